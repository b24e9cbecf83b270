#include "CBrowserWindow.h"

#include "CChildFrame.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CWindowsBar.h"
#include "IBrowserHost.h"

#include <QMdiArea>

CQuillbrowView *CreateBrowserWindow(IBrowserHost *pHost, bool bShow, bool bAddTab,
                                    std::unique_ptr<IWebEngine> engine)
{
    QMdiArea *mdi = pHost->MdiClient();
    if (!mdi || !engine)
        return nullptr;
    auto *doc = new CQuillbrowDoc(pHost);
    auto *view = new CQuillbrowView(pHost, doc, std::move(engine));
    auto *frame = new CChildFrame(pHost, doc, view);
    frame->hide();
    mdi->addSubWindow(frame);
    // Before the frame is first laid out its MDI area has no real size yet.
    frame->resize(mdi->size().expandedTo(QSize(800, 560)) * 3 / 4);

    const bool bMaximized = pHost->ChildMaximized();
    if (bShow && bAddTab && bMaximized)
        frame->setWindowState(frame->windowState() | Qt::WindowMaximized);
    if (bShow)
        frame->show();

    if (bAddTab) {
        if (CWindowsBar *bar = pHost->WindowsBar())
            bar->AddTab(view, bShow);
        frame->ActivateFrame(!bShow ? 4 : bMaximized ? 3 : 5);
    } else {
        view->m_nPopupState = CQuillbrowView::PopupPending;
    }
    return view;
}
