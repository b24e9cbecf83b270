#pragma once

#include <QPoint>
#include <QString>

class CEngineInfo;
class CQuillbrowView;
class CSettings;
class CWindowsBar;
class QMdiArea;

// The main frame as the browser windows see it. Only the active window drives the
// shared displays (address bar, animation, status text); every window reaches its
// tab through WindowsBar().
class IBrowserHost
{
public:
    virtual ~IBrowserHost() = default;

    virtual CSettings &Settings() = 0;
    // The engine's start page and version, as start-up read them.
    virtual const CEngineInfo &EngineInfo() const = 0;
    virtual QMdiArea *MdiClient() const = 0;
    virtual CWindowsBar *WindowsBar() const = 0;
    // The view of the current MDI child, null when there is none.
    virtual CQuillbrowView *GetActiveHtmlView() const = 0;
    virtual bool IsActiveChildMaximized() const = 0;
    virtual bool ChildMaximized() const = 0;
    virtual void SetChildMaximized(bool bMaximized) = 0;

    // An empty address is ignored; without force nothing changes while the user types
    // in the address bar.
    virtual void SetAddressText(const QString &strAddress, bool bForce) = 0;
    virtual void PlayAnimation(bool bPlay) = 0;
    virtual void SetStatusText(const QString &strText) = 0;
    // Shows strText for nTimeoutMs, then the idle text again unless something else
    // has been shown meanwhile.
    virtual void ShowStatusMessage(const QString &strText, int nTimeoutMs) = 0;
    // Ignored while frozen (the frame is closing) or when empty.
    virtual void SetLastAddress(const QString &strAddress) = 0;
    virtual void AddTypedAddress(const QString &strAddress) = 0;
    // A document's title changed: the frame's caption may show it.
    virtual void OnDocumentTitleChanged() = 0;
    // A window committed a new address or finished loading its page.
    virtual void OnWindowNavigated() = 0;

    // Makes a browser window; see CQuillbrowApp::CreateNewWindow.
    virtual CQuillbrowView *CreateNewWindow(bool bShow, bool bAddTab) = 0;
    // True while Close All closes the windows: no next-window choice is made then.
    virtual bool IsClosingAll() const = 0;
    // Shows the "Caption" popup, its commands routed to the active window.
    virtual void ShowCaptionMenu(const QPoint &globalPos) = 0;
    // The first window's first page has completed.
    virtual void SignalSplashDone() = 0;
};
