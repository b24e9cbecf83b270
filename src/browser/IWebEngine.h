#pragma once

// The engine as the browser view sees it: calls in IWebEngine, events in
// IEngineEvents. CWebEngine maps them onto Qt WebEngine once; tests of the view's
// logic use a fake.
//
// Order the view relies on, for one navigation:
//   OnBeforeNavigate2 (cancellable; a redirect is the same navigation, not a new one)
//   OnDownloadBegin, OnProgressChange / OnTitleChange
//   OnNavigateComplete2 with the final address after redirects
//   OnDownloadComplete
//   OnDocumentComplete (top-level document only)

#include <QString>

#include <functional>

class QWidget;
class IWebEngine;

class IEngineEvents
{
public:
    virtual ~IEngineEvents() = default;

    virtual void OnBeforeNavigate2(const QString &strURL, bool &bCancel) = 0;
    virtual void OnNavigateComplete2(const QString &strURL) = 0;
    virtual void OnDocumentComplete(const QString &strURL) = 0;
    virtual void OnTitleChange(const QString &strTitle) = 0;
    virtual void OnProgressChange(int nProgress, int nProgressMax) = 0;
    virtual void OnStatusTextChange(const QString &strText) = 0;
    // nCommand: 1 forward, 2 back.
    virtual void OnCommandStateChange(int nCommand, bool bEnable) = 0;
    virtual void OnDownloadBegin() = 0;
    virtual void OnDownloadComplete() = 0;
    // A page asks for a new window: return the engine of a window made for it (hidden,
    // without a tab), or null with bCancel set to refuse.
    virtual IWebEngine *OnNewWindow2(bool &bCancel) = 0;
    // A page asks to close its window; bCancel keeps it.
    virtual void OnWindowClosing(bool bIsChildWindow, bool &bCancel) = 0;
    // The page's renderer process ended abnormally; the page is gone until a reload.
    virtual void OnRendererCrashed() = 0;
};

class IWebEngine
{
public:
    enum ECommand { CmdForward = 1, CmdBack = 2 };

    virtual ~IWebEngine() = default;

    virtual void SetEventSink(IEngineEvents *pSink) = 0;
    // The widget that shows the page; owned by the engine until a parent takes it.
    virtual QWidget *Widget() = 0;

    // Loads an address, a file path or a bare host name as typed.
    virtual void Navigate2(const QString &strURL) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;

    // Both empty before the first page.
    virtual QString GetLocationURL() const = 0;
    virtual QString GetLocationName() const = 0;
    virtual bool GetBusy() const = 0;
    virtual bool CanGoBack() const = 0;
    virtual bool CanGoForward() const = 0;

    // Calls done once the cookies the page has set are in the engine's store: a page
    // sends them on their way without waiting, and an exit right after would lose
    // them. Soon, or never when the page's renderer is gone.
    virtual void SettleCookies(std::function<void()> done) = 0;
};
