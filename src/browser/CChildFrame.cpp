#include "CChildFrame.h"

#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CStringTable.h"
#include "IBrowserHost.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionTitleBar>

namespace {
// The "Caption" popup: commands that act on this window.
struct CaptionItem
{
    int nId;
    const char *text;
};
constexpr CaptionItem kCaptionItems[] = {
    {32803, QT_TRANSLATE_NOOP("Quillbrow", "&Add to Favorites...")},
    {32820, QT_TRANSLATE_NOOP("Quillbrow", "A&dd to AutoClose...\tF8")},
    {0, nullptr},
    {32779, QT_TRANSLATE_NOOP("Quillbrow", "&Back\tAlt+Left Arrow")},
    {32780, QT_TRANSLATE_NOOP("Quillbrow", "&Forward\tAlt+Right Arrow")},
    {32781, QT_TRANSLATE_NOOP("Quillbrow", "&Stop\tEsc")},
    {32787, QT_TRANSLATE_NOOP("Quillbrow", "&Refresh\tF5")},
    {0, nullptr},
    {57602, QT_TRANSLATE_NOOP("Quillbrow", "&Close\tCtrl+W")},
    {32776, QT_TRANSLATE_NOOP("Quillbrow", "C&lose All")},
    {32805, QT_TRANSLATE_NOOP("Quillbrow", "Close All &Except Current")},
};
} // namespace

CChildFrame::CChildFrame(IBrowserHost *pHost, CQuillbrowDoc *pDoc, CQuillbrowView *pView)
    : m_pHost(pHost)
    , m_pDoc(pDoc)
    , m_pView(pView)
    , m_pCaptionMenu(new QMenu(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(pView);
    pDoc->setParent(this);
    pDoc->SetFrame(this);
    setWindowIcon(
        QIcon::fromTheme(QStringLiteral("text-html"), style()->standardIcon(QStyle::SP_FileIcon)));

    // Until the command framework routes them, the commands that exist act here
    // directly; the rest are shown disabled.
    for (const CaptionItem &item : kCaptionItems) {
        if (!item.text) {
            m_pCaptionMenu->addSeparator();
            continue;
        }
        QAction *action
            = m_pCaptionMenu->addAction(QCoreApplication::translate("Quillbrow", item.text));
        action->setData(item.nId);
        switch (item.nId) {
        case 32779:
            connect(action, &QAction::triggered, pView, &CQuillbrowView::GoBack);
            break;
        case 32780:
            connect(action, &QAction::triggered, pView, &CQuillbrowView::GoForward);
            break;
        case 32781:
            connect(action, &QAction::triggered, pView, &CQuillbrowView::Stop);
            break;
        case 32787:
            connect(action, &QAction::triggered, pView, &CQuillbrowView::Refresh);
            break;
        case 57602:
            connect(action, &QAction::triggered, pDoc, &CQuillbrowDoc::OnCloseDocument,
                    Qt::QueuedConnection);
            break;
        default:
            action->setEnabled(false);
            break;
        }
    }
    connect(m_pCaptionMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction *action : m_pCaptionMenu->actions()) {
            if (action->data().toInt() == 32779)
                action->setEnabled(m_pView->CanGoBack());
            else if (action->data().toInt() == 32780)
                action->setEnabled(m_pView->CanGoForward());
            else if (action->data().toInt() == 32781)
                action->setEnabled(m_pView->IsBusy());
        }
    });
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

void CChildFrame::DestroyWindow()
{
    if (m_bDestroying)
        return;
    m_bDestroying = true;
    m_pHost->PlayAnimation(false);
    if (IsActiveFrame()) {
        m_pHost->SetChildMaximized(isMaximized());
        m_pHost->SetLastAddress(m_pView->GetLocationURL());
    }
    // Inside closeEvent the pending close goes on by itself; a nested close() would not.
    if (!m_bInCloseEvent)
        close();
}

void CChildFrame::closeEvent(QCloseEvent *event)
{
    // A close from the window's own close box goes through the document first, which
    // picks the next active window and then comes back here through DestroyWindow.
    if (!m_bDestroying) {
        m_bInCloseEvent = true;
        m_pDoc->OnCloseDocument();
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
        m_pCaptionMenu->popup(event->globalPos());
}

void CChildFrame::changeEvent(QEvent *event)
{
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && IsActiveFrame())
        m_pHost->SetChildMaximized(isMaximized());
}
