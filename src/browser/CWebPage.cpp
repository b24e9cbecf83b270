#include "CWebPage.h"

#include "CConfirmDlg.h"
#include "CWebEngine.h"

#include <QInputDialog>
#include <QWebEngineView>

#include <optional>

namespace {

struct SPromptAnswer
{
    QString strText;
    bool bAccepted;
};

std::optional<SPromptAnswer> &NextPromptAnswer()
{
    static std::optional<SPromptAnswer> answer;
    return answer;
}

} // namespace

CWebPage::CWebPage(CWebEngine *pEngine, QWebEngineProfile *pProfile)
    : QWebEnginePage(pProfile, pEngine)
    , m_pEngine(pEngine)
{ }

CWebPage::~CWebPage() = default;

void CWebPage::SetNextPromptAnswer(const QString &strText, bool bAccepted)
{
    NextPromptAnswer() = SPromptAnswer {strText, bAccepted};
}

void CWebPage::ClearNextPromptAnswer()
{
    NextPromptAnswer().reset();
}

bool CWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // Frames are part of the page, and a redirect continues the navigation already
    // announced.
    if (!m_pEngine)
        return false;
    if (!isMainFrame || type == NavigationTypeRedirect)
        return true;
    return m_pEngine->OnNavigationRequest(url);
}

QWebEnginePage *CWebPage::createWindow(WebWindowType)
{
    return m_pEngine ? m_pEngine->OnCreateWindow() : nullptr;
}

QWidget *CWebPage::DialogParent() const
{
    return m_pEngine->View();
}

void CWebPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    if (!m_pEngine)
        return;
    CConfirmDlg dlg(DialogParent(), msg, Mb::Ok | Mb::IconExclamation, false,
                    securityOrigin.host());
    dlg.exec();
}

bool CWebPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    if (!m_pEngine)
        return false;
    CConfirmDlg dlg(DialogParent(), msg, Mb::OkCancel | Mb::IconQuestion, false,
                    securityOrigin.host());
    return dlg.exec() == IDOK;
}

bool CWebPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                                const QString &defaultValue, QString *result)
{
    if (!m_pEngine)
        return false;
    if (auto &answer = NextPromptAnswer()) {
        const SPromptAnswer given = *std::exchange(answer, std::nullopt);
        if (given.bAccepted && result)
            *result = given.strText;
        return given.bAccepted;
    }

    // An empty host (a file, about:blank) leaves the caption to the dialog's default,
    // as the message box does.
    QString strCaption = securityOrigin.host();
    if (strCaption.isEmpty())
        strCaption = tr("Quillbrow");
    bool bOk = false;
    const QString text = QInputDialog::getText(DialogParent(), strCaption, msg, QLineEdit::Normal,
                                               defaultValue, &bOk);
    if (bOk && result)
        *result = text;
    return bOk;
}
