#pragma once

#include "CDialogScript.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// The web engine's own settings, which every window shares: the home page (with "Use
// Current" and "Use Blank"), the search page, and the buttons that delete the cookies,
// the cached files and the history (typed addresses and the engine's visited links).
// The pages are written to the engine store when the dialog closes with OK; the
// deleting buttons act at once, after a question.
class CInternetOptionsDlg : public QDialog
{
    Q_OBJECT
public:
    // currentAddress: the active window's page for "Use Current"; empty disables it.
    CInternetOptionsDlg(QWidget *pParent, const QString &currentAddress);
    ~CInternetOptionsDlg() override;

    // Runs modally; QDialog::Accepted when the pages were saved.
    int exec() override;

    // Tests act on the next dialog in advance; see CDialogScript.
    static void SetNextScript(CDialogScript<CInternetOptionsDlg>::Script script);
    static bool HasPendingScripts();
    static void ClearNextScripts();

    QLineEdit *HomePageEdit() const { return m_pHomePage; }
    QLineEdit *SearchPageEdit() const { return m_pSearchPage; }
    QPushButton *UseCurrentButton() const { return m_pUseCurrent; }
    QPushButton *UseBlankButton() const { return m_pUseBlank; }
    QPushButton *DeleteCookiesButton() const { return m_pDeleteCookies; }
    QPushButton *DeleteFilesButton() const { return m_pDeleteFiles; }
    QPushButton *ClearHistoryButton() const { return m_pClearHistory; }
    QPushButton *OkButton() const { return m_pOk; }
    // What the last deleting button did, as the dialog says it.
    QString StatusText() const;

public slots:
    void accept() override;

private:
    // Asks nQuestionId; on Yes runs action and says done.
    void AskAndRun(int nQuestionId, const std::function<void()> &action, const QString &done);

    QString m_strCurrentAddress;
    QString m_strOldHomePage;
    QString m_strOldSearchPage;
    QLineEdit *m_pHomePage;
    QLineEdit *m_pSearchPage;
    QPushButton *m_pUseCurrent;
    QPushButton *m_pUseBlank;
    QPushButton *m_pDeleteCookies;
    QPushButton *m_pDeleteFiles;
    QPushButton *m_pClearHistory;
    QPushButton *m_pOk = nullptr;
    QLabel *m_pStatus;
};

// Shows the Internet Options over pParent; returns the dialog's result.
int ShowInternetOptions(QWidget *pParent, const QString &currentAddress = QString());
