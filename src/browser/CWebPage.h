#pragma once

#include <QWebEnginePage>

class CWebEngine;

// The page of one CWebEngine: hands navigation requests and new-window requests to
// its engine, and shows the page's JavaScript dialogs modally over its window with
// the program's own message box.
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

    // Tests answer the next prompt() in advance; without an answer a dialog asks.
    static void SetNextPromptAnswer(const QString &strText, bool bAccepted = true);
    static void ClearNextPromptAnswer();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;

private:
    QWidget *DialogParent() const;

    CWebEngine *m_pEngine;
};
