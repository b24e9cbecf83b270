#include "CBrowserWindow.h"

#include "CChildFrame.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CWindowsBar.h"
#include "IBrowserHost.h"

#include <QMdiArea>

#include <algorithm>

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
    const QSize area = mdi->viewport()->size().expandedTo(QSize(800, 560));
    frame->resize(area * 3 / 4);
    // Cascaded from the top left, always inside the area (QMdiArea's own placement may
    // put a window partly outside it).
    constexpr int kStep = 24;
    const int nSteps = std::max(
        1, std::min(area.width() - frame->width(), area.height() - frame->height()) / kStep);
    const int nOffset = int(mdi->subWindowList().size() - 1) % (nSteps + 1) * kStep;
    frame->move(nOffset, nOffset);

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
