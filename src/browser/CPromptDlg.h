#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// A page's prompt(): its question, a line to answer in and OK and Cancel, titled with
// the page's address like the page's other dialogs.
class CPromptDlg : public QDialog
{
    Q_OBJECT
public:
    CPromptDlg(QWidget *pParent, const QString &strCaption, const QString &strText,
               const QString &strDefault);

    // Runs modally; QDialog::Accepted when the user chose OK.
    int exec() override;
    QString Text() const;

    // Tests answer the next prompt in advance: the text typed and OK, or Cancel.
    static void SetNextAnswer(const QString &strText, bool bAccepted = true);
    static bool HasPendingAnswers();
    static void ClearNextAnswers();
    // The caption and question of the last prompt run, for tests.
    static QString LastCaption();
    static QString LastText();

private:
    QLabel *m_pText;
    QLineEdit *m_pEdit;
};
