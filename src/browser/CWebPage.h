#pragma once

#include "IWebEngine.h"

#include <QWebEnginePage>

class CWebEngine;
class QAuthenticator;

// The page of one CWebEngine: hands navigation requests and new-window requests to
// its engine, asks for the user name and password a site or proxy requires, and shows
// the page's JavaScript dialogs as the program's own, titled with the page's address.
//
// A page whose window is not the active one cannot bring itself to the front with a
// dialog: the dialog is answered as dismissed at once (OK for an alert, Cancel for the
// others) and the window is told what the page said, to show when the user gets there.
class CWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    CWebPage(CWebEngine *pEngine, QWebEngineProfile *pProfile);
    ~CWebPage() override;

    CWebEngine *Engine() const { return m_pEngine; }
    // The engine is going while this page finishes a print: from now on the page
    // refuses navigations, new windows and script dialogs.
    void Detach() { m_pEngine = nullptr; }

    // The user names given for sites and proxies in this run, so a second request
    // (a wrong password) comes with the name filled in. Tests start afresh.
    static void ForgetSignIns();
    // A site's use of the camera, the microphone, the location, notifications and the
    // screen is asked for once per site and feature in a run, No being the default
    // answer, and the answer kept for the run only. A page in a window that is not the
    // active one is refused without a question, and not remembered, so it may ask
    // again once the user is there. Tests start afresh.
    static void ForgetPermissions();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;

private:
    QWidget *DialogParent() const;
    QString DialogCaption() const;
    // False, after telling the window, when the page may not show its dialog.
    bool MayShowDialog(IEngineEvents::EPageDialog kind, const QString &strMessage);
    void OnFeaturePermissionRequested(const QUrl &origin, Feature feature);
    void OnSignInRequired(const QUrl &url, QAuthenticator *pAuthenticator, const QString &strProxy);

    CWebEngine *m_pEngine;
};
