#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// Asks for a user name and password for a site (or a proxy) that requires them,
// naming the site and the realm it gave. The password is handed to the engine and
// kept nowhere else.
class CSignInDlg : public QDialog
{
    Q_OBJECT
public:
    // strUserName fills the name field; bRetry says that the last answer for this
    // site and realm was refused.
    CSignInDlg(QWidget *pParent, const QString &strSite, const QString &strRealm, bool bProxy,
               const QString &strUserName, bool bRetry);

    // Runs modally; QDialog::Accepted when the user chose OK.
    int exec() override;

    QString UserName() const;
    QString Password() const;

    // Tests answer the next dialog in advance: OK with a name and password, or
    // Cancel. The dialog is still built and filled first.
    static void SetNextAnswer(const QString &strUserName, const QString &strPassword);
    static void SetNextCancel();
    static bool HasPendingAnswers();
    static void ClearNextAnswers();
    // What the last dialog showed, for tests: its text and the name it offered.
    static QString LastText();
    static QString LastUserName();

    QLabel *TextLabel() const { return m_pText; }
    QLineEdit *UserNameEdit() const { return m_pUser; }
    QLineEdit *PasswordEdit() const { return m_pPassword; }

private:
    QLabel *m_pText;
    QLineEdit *m_pUser;
    QLineEdit *m_pPassword;
};
