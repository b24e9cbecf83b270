#pragma once

#include <QString>

// A browser window as the Windows Bar sees it. The bar keeps pointers to these
// and owns none of them.
class IBarWindow
{
public:
    virtual ~IBarWindow() = default;

    // A download runs (the view's m_bBusy).
    virtual bool IsBusy() const = 0;
    // The window's document title: its caption text, shown in the tab's tooltip.
    virtual QString DocumentTitle() const = 0;
    // Activates the window's frame: ShowMaximized, ShowNormal, or ShowDefault (-1)
    // for the frame's own state.
    enum EShowCmd { ShowDefault = -1, ShowNormal = 1, ShowMaximized = 3 };
    virtual void ActivateFrame(int nShowCmd) = 0;

    // The "Tab" popup's commands on this window.
    virtual void CloseWindow() = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    virtual bool CanGoBack() const = 0;
    virtual bool CanGoForward() const = 0;
};
