#include "CWebPage.h"

#include "CConfirmDlg.h"
#include "CExternalLinks.h"
#include "CPromptDlg.h"
#include "CSignInDlg.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWebEngine.h"

#include <QAuthenticator>
#include <QHash>
#include <QWebEngineCertificateError>
#include <QWebEngineView>

namespace {

struct SSignIn
{
    QString strUser;
    bool bAnswered = false;
};

// Per site (or proxy) and realm; user names only, never a password.
QHash<QString, SSignIn> &SignIns()
{
    static QHash<QString, SSignIn> signIns;
    return signIns;
}

// Per origin and feature, for the run only.
QHash<QPair<QString, int>, bool> &Permissions()
{
    static QHash<QPair<QString, int>, bool> permissions;
    return permissions;
}

int PermissionQuestion(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::MediaVideoCapture:
        return IDS_PERMISSION_CAMERA;
    case QWebEnginePage::MediaAudioCapture:
        return IDS_PERMISSION_MICROPHONE;
    case QWebEnginePage::MediaAudioVideoCapture:
        return IDS_PERMISSION_CAMERA_MICROPHONE;
    case QWebEnginePage::Geolocation:
        return IDS_PERMISSION_LOCATION;
    case QWebEnginePage::Notifications:
        return IDS_PERMISSION_NOTIFICATIONS;
    case QWebEnginePage::DesktopVideoCapture:
        return IDS_PERMISSION_SCREEN;
    case QWebEnginePage::DesktopAudioVideoCapture:
        return IDS_PERMISSION_SCREEN_AUDIO;
    case QWebEnginePage::MouseLock:
        return IDS_PERMISSION_MOUSE_LOCK;
    }
    return 0;
}

} // namespace

CWebPage::CWebPage(CWebEngine *pEngine, QWebEngineProfile *pProfile)
    : QWebEnginePage(pProfile, pEngine)
    , m_pEngine(pEngine)
{
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *pAuthenticator) {
                OnSignInRequired(url, pAuthenticator, QString());
            });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this, &CWebPage::OnSignInRequired);
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            &CWebPage::OnFeaturePermissionRequested);
    connect(this, &QWebEnginePage::certificateError, this,
            [this](QWebEngineCertificateError error) {
                if (m_pEngine)
                    m_pEngine->OnCertificateError(error);
                else
                    error.rejectCertificate();
            });
}

CWebPage::~CWebPage() = default;

void CWebPage::ForgetSignIns()
{
    SignIns().clear();
}

void CWebPage::ForgetPermissions()
{
    Permissions().clear();
}

void CWebPage::OnFeaturePermissionRequested(const QUrl &origin, Feature feature)
{
    const auto key = qMakePair(origin.toString(QUrl::RemoveUserInfo), int(feature));
    const auto known = Permissions().constFind(key);
    const int nQuestion = PermissionQuestion(feature);
    bool bAllow = false;
    if (known != Permissions().constEnd()) {
        bAllow = *known;
    } else if (m_pEngine && nQuestion && m_pEngine->IsWindowActive()) {
        CConfirmDlg dlg(
            DialogParent(),
            LoadStringWith(nQuestion, QStringLiteral("%site%"),
                           origin.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemovePath)),
            Mb::YesNo | Mb::IconQuestion | Mb::DefButton2, false, DialogCaption());
        bAllow = dlg.exec() == IDYES;
        Permissions().insert(key, bAllow);
    }
    setFeaturePermission(origin, feature,
                         bAllow ? PermissionGrantedByUser : PermissionDeniedByUser);
}

bool CWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // A detached page goes nowhere. Frames are part of the page, and a redirect
    // continues the navigation already announced.
    if (!m_pEngine)
        return false;
    // The engine would hand such a link to the desktop unasked, from any frame.
    if (CExternalLinks::IsExternal(url)) {
        m_pEngine->OnExternalLink(url);
        return false;
    }
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
    return m_pEngine ? m_pEngine->View() : nullptr;
}

QString CWebPage::DialogCaption() const
{
    return url().toDisplayString(QUrl::RemoveUserInfo);
}

bool CWebPage::MayShowDialog(IEngineEvents::EPageDialog kind, const QString &strMessage)
{
    if (!m_pEngine)
        return false;
    if (m_pEngine->IsWindowActive())
        return true;
    m_pEngine->OnDialogInBackground(kind, strMessage);
    return false;
}

void CWebPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    if (!MayShowDialog(IEngineEvents::EPageDialog::Alert, msg))
        return;
    CConfirmDlg dlg(DialogParent(), msg, Mb::Ok | Mb::IconExclamation, false, DialogCaption());
    dlg.exec();
}

bool CWebPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    // While the window is being closed the only question a page can ask is whether
    // to leave it.
    if (m_pEngine && m_pEngine->IsCloseRequested()) {
        CConfirmDlg dlg(DialogParent(), LoadString(IDS_CONFIRM_LEAVE_ON_CLOSE),
                        Mb::YesNo | Mb::IconQuestion, false, DialogCaption());
        const bool bLeave = dlg.exec() == IDYES;
        if (!bLeave)
            m_pEngine->OnCloseRefused();
        return bLeave;
    }
    if (!MayShowDialog(IEngineEvents::EPageDialog::Confirm, msg))
        return false;
    CConfirmDlg dlg(DialogParent(), msg, Mb::OkCancel | Mb::IconQuestion, false, DialogCaption());
    return dlg.exec() == IDOK;
}

bool CWebPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &defaultValue,
                                QString *result)
{
    if (!MayShowDialog(IEngineEvents::EPageDialog::Prompt, msg))
        return false;
    CPromptDlg dlg(DialogParent(), DialogCaption(), msg, defaultValue);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    if (result)
        *result = dlg.Text();
    return true;
}

void CWebPage::OnSignInRequired(const QUrl &url, QAuthenticator *pAuthenticator,
                                const QString &strProxy)
{
    // A detached page loads nothing more.
    if (!m_pEngine) {
        *pAuthenticator = QAuthenticator();
        return;
    }
    const bool bProxy = !strProxy.isEmpty();
    const QString site = bProxy ? strProxy
                                : url.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemovePath
                                                      | QUrl::RemoveQuery | QUrl::RemoveFragment);
    const QString key = (bProxy ? QStringLiteral("proxy ") : QStringLiteral("site ")) + site
        + QLatin1Char(' ') + pAuthenticator->realm();
    SSignIn &signIn = SignIns()[key];

    CSignInDlg dlg(DialogParent(), site, pAuthenticator->realm(), bProxy, signIn.strUser,
                   signIn.bAnswered);
    if (dlg.exec() != QDialog::Accepted) {
        // A null authenticator cancels: the engine shows the server's own page.
        *pAuthenticator = QAuthenticator();
        return;
    }
    signIn.strUser = dlg.UserName();
    signIn.bAnswered = true;
    pAuthenticator->setUser(dlg.UserName());
    pAuthenticator->setPassword(dlg.Password());
}
