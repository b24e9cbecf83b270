#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// Asks for the name of a new Favorites folder. OK is offered once the name holds
// more than spaces.
class CFolderNameDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CFolderNameDlg(QWidget *parent = nullptr);

    QString Name() const;
    QLineEdit *NameEdit() const { return m_pName; }
    QPushButton *OkButton() const { return m_pOk; }

    // Tests answer the next prompt in advance: the name typed, or an empty one for
    // Cancel. The dialog is built first.
    static void SetNextAnswer(const QString &name);
    static bool HasPendingAnswers();
    static void ClearNextAnswers();

    int exec() override;

private:
    QLineEdit *m_pName;
    QPushButton *m_pOk;
};
