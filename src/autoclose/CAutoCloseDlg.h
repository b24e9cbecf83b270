#pragma once

#include "CDialogScript.h"

#include <QDialog>
#include <QString>

class COptionsAutoClose;
class QCheckBox;
class QLineEdit;
class QPushButton;

// Edits one AutoClose entry: the address, a "starts with" box that is the entry's
// trailing "*", and an "enabled" box that is the absence of its leading "!". The
// address and the two boxes are kept consistent while the user types. Add to
// AutoClose shows a further box that switches the dialog itself off; the list page
// lets the dialog test the address for duplicates before OK closes it.
class CAutoCloseDlg : public QDialog
{
    Q_OBJECT
public:
    // strEntry: the entry string to edit, empty for a new entry. pOwner: the list page
    // that refuses duplicates, null for no test; nIndex: its row left out of the test
    // (the row being edited), -1 for a new entry.
    CAutoCloseDlg(QWidget *pParent, const QString &strEntry, bool bShowDoNotDisplay,
                  COptionsAutoClose *pOwner = nullptr, int nIndex = -1);

    // Runs modally; returns IDOK or IDCANCEL. Entry() and ShowNextTime are valid
    // afterwards, whatever the ending.
    int exec() override;
    void done(int nResult) override;

    // The entry string built from the controls when the dialog closed.
    QString Entry() const { return m_strEntry; }
    // 1 when the do-not-display box was clear as the dialog closed, 0 when ticked.
    int ShowNextTime = 1;

    QLineEdit *AddressEdit() const { return m_pAddress; }
    QCheckBox *StartsWithBox() const { return m_pStartsWith; }
    QCheckBox *EnableBox() const { return m_pEnable; }
    QCheckBox *DoNotDisplayBox() const { return m_pDoNotDisplay; }
    QPushButton *OkButton() const { return m_pOk; }
    QPushButton *CancelButton() const { return m_pCancel; }

    // Tests act on the next dialog in advance; see CDialogScript.
    static void SetNextScript(CDialogScript<CAutoCloseDlg>::Script script);
    static bool HasPendingScripts();
    static void ClearNextScripts();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnInitDialog(const QString &strEntry);
    void OnAddressChanged(const QString &strText);
    void OnStartsWith();
    void OnOK();

    QPushButton *m_pOk;
    QPushButton *m_pCancel;
    QLineEdit *m_pAddress;
    QCheckBox *m_pStartsWith;
    QCheckBox *m_pDoNotDisplay;
    QCheckBox *m_pEnable;
    int m_nIndex;
    COptionsAutoClose *m_pOwner;
    QString m_strEntry;
};
