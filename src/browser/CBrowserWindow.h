#pragma once

#include "IWebEngine.h"

#include <memory>

class CQuillbrowView;
class IBrowserHost;

// Makes a browser window (document, child frame and view) in the host's MDI area.
// bShow: visible at once. bAddTab: a tab in the Windows Bar and activation now;
// without it the window is a page's pending pop-up, hidden until its first real
// address decides whether it is shown or closed.
CQuillbrowView *CreateBrowserWindow(IBrowserHost *pHost, bool bShow, bool bAddTab,
                                    std::unique_ptr<IWebEngine> engine);
