#include "CChildFrame.h"

#include "CMenuTable.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CStringIds.h"
#include "IBrowserHost.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionTitleBar>

CChildFrame::CChildFrame(IBrowserHost *pHost, CQuillbrowDoc *pDoc, CQuillbrowView *pView)
    : m_pHost(pHost)
    , m_pDoc(pDoc)
    , m_pView(pView)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(pView);
    pDoc->setParent(this);
    pDoc->SetFrame(this);
    setWindowIcon(
        QIcon::fromTheme(QStringLiteral("text-html"), style()->standardIcon(QStyle::SP_FileIcon)));
    // The window menu's Close answers to Ctrl+W as well as Ctrl+F4 here, which made the
    // frame's own Ctrl+W (File > Close) ambiguous, and Qt then ran neither. Ctrl+F4 stays
    // the window's own.
    if (QMenu *menu = systemMenu()) {
        for (QAction *action : menu->actions()) {
            QList<QKeySequence> keys = action->shortcuts();
            if (keys.removeAll(CommandKeys(ID_FILE_CLOSE)) > 0)
                action->setShortcuts(keys);
        }
    }
}

CChildFrame::~CChildFrame() = default;

bool CChildFrame::IsActiveFrame() const
{
    CQuillbrowView *active = m_pHost->GetActiveHtmlView();
    return active && active == m_pView;
}

void CChildFrame::ActivateFrame(int nCmdShow)
{
    QMdiArea *mdi = mdiArea();
    switch (nCmdShow) {
    case 3:
        showMaximized();
        break;
    case 1:
        showNormal();
        break;
    case 4: {
        // Shown where it belongs, without taking the activation from the current window.
        QMdiSubWindow *current = mdi ? mdi->currentSubWindow() : nullptr;
        show();
        if (mdi && current && current != this)
            mdi->setActiveSubWindow(current);
        return;
    }
    default:
        if (isMinimized())
            showNormal();
        else
            show();
        break;
    }
    if (mdi)
        mdi->setActiveSubWindow(this);
}

void CChildFrame::RememberIfActive()
{
    if (IsActiveFrame()) {
        m_pHost->SetChildMaximized(isMaximized());
        m_pHost->SetLastAddress(m_pView->GetLocationURL());
    }
}

void CChildFrame::DestroyWindow()
{
    if (m_bDestroying)
        return;
    m_bDestroying = true;
    m_pHost->PlayAnimation(false);
    RememberIfActive();
    // Inside closeEvent the pending close goes on by itself; a nested close() would not.
    if (!m_bInCloseEvent)
        close();
}

void CChildFrame::closeEvent(QCloseEvent *event)
{
    // A close from the window's own close box asks the page, then goes through the
    // document, which picks the next active window and comes back here through
    // DestroyWindow.
    if (!m_bDestroying) {
        m_bInCloseEvent = true;
        m_pView->RequestClose();
        m_bInCloseEvent = false;
        if (!m_bDestroying) {
            event->ignore();
            return;
        }
    }
    QMdiSubWindow::closeEvent(event);
}

bool CChildFrame::IsOnTitleBar(const QPoint &pos) const
{
    if (isMaximized())
        return false;
    // The caption text area only: the system-menu box and the buttons keep their own
    // behaviour, the border shows nothing.
    QStyleOptionTitleBar option;
    option.initFrom(this);
    option.titleBarState = int(windowState());
    option.titleBarFlags = windowFlags();
    option.text = windowTitle();
    option.icon = windowIcon();
    const int border = isMinimized()
        ? 0
        : style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int height = style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, this);
    option.rect = QRect(border, border, width() - 2 * border, height - border);
    const QRect label
        = style()->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, this);
    return label.contains(pos);
}

void CChildFrame::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (IsOnTitleBar(event->pos()))
        m_pHost->ShowCaptionMenu(event->globalPos());
}

void CChildFrame::changeEvent(QEvent *event)
{
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && IsActiveFrame())
        m_pHost->SetChildMaximized(isMaximized());
}
