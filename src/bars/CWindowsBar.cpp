#include "CWindowsBar.h"

#include "CStringIds.h"
#include "CStringTable.h"

#include <QAction>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionToolButton>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kTabWidth = 160;
constexpr int kMinTabWidth = 60;
constexpr int kRowHeight = 25;
// Rows are kRowHeight apart; a tab button leaves the last two pixels as the gap
// between rows, which is why the band is rows x 25 - 2 high.
constexpr int kTabHeight = kRowHeight - 2;
// Room at a tab's right edge for the flat separator between buttons.
constexpr int kSeparatorGap = 4;
constexpr int kImageSize = 16;
constexpr int kImageCount = 10;
constexpr int kIdleImage = 9;
// The tooltip keeps what fitted the original fixed 80-character buffer.
constexpr int kMaxToolTip = 79;

// Draws tab image n in a 16x16 logical square. 0 to 8 is a pie filling in eighths
// clockwise from twelve o'clock; 9, the idle mark, is a smaller hollow circle.
void DrawTabImage(QPainter &p, int n)
{
    const QColor outline(0x40, 0x40, 0x40);
    const QColor fill(0x2a, 0x7a, 0xd8);
    p.setRenderHint(QPainter::Antialiasing);

    if (n == kIdleImage) {
        p.setPen(QPen(outline, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 3.5, 3.5);
        return;
    }

    const QRectF disc(1.5, 1.5, 13, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    if (n >= 8)
        p.drawEllipse(disc);
    else if (n > 0)
        p.drawPie(disc, 90 * 16, -n * 45 * 16); // Qt angles run counter-clockwise.

    p.setPen(QPen(outline, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(disc);
    if (n == 0)
        p.drawLine(QPointF(8, 1.5), QPointF(8, 5.5));
}

QIcon MakeTabImage(int n)
{
    QIcon icon;
    for (int scale = 1; scale <= 2; ++scale) {
        QPixmap pixmap(kImageSize * scale, kImageSize * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.scale(scale, scale);
        DrawTabImage(p, n);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// At most nMax UTF-16 units, without leaving half of a surrogate pair at the end.
QString CutText(const QString &text, int nMax)
{
    if (text.size() <= nMax)
        return text;
    int n = nMax;
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

CWindowsBar::CWindowsBar(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(BandHeight());
}

CWindowsBar::~CWindowsBar() = default;

int CWindowsBar::AddTab(IBarWindow *pView, bool bSelect)
{
    const int nIndex = int(m_tabs.size());
    Tab tab;
    tab.pView = pView;
    m_tabs.append(tab);
    Relayout();
    if (bSelect)
        m_nCurSel = nIndex;
    update();
    return nIndex;
}

int CWindowsBar::FindTab(const IBarWindow *pView) const
{
    if (!pView)
        return -1;
    for (int i = 0; i < m_tabs.size(); ++i) {
        if (m_tabs.at(i).pView == pView)
            return i;
    }
    return -1;
}

int CWindowsBar::SelectTab(const IBarWindow *pView)
{
    const int nIndex = FindTab(pView);
    if (nIndex >= 0 && nIndex != m_nCurSel) {
        m_nCurSel = nIndex;
        update();
    }
    return nIndex;
}

void CWindowsBar::SetTabText(const IBarWindow *pView, const QString &text)
{
    const int nIndex = FindTab(pView);
    if (nIndex < 0 || text.isEmpty())
        return;
    m_tabs[nIndex].text = text;
    update(m_tabs.at(nIndex).rect);
}

void CWindowsBar::SetTabProgress(const IBarWindow *pView, int nPercent)
{
    const int nIndex = FindTab(pView);
    if (nIndex < 0 || nPercent > 100)
        return;
    // The current window never shows a full pie for a finished page: it falls back
    // to idle unless a download is still running.
    if (nIndex == m_nCurSel && (nPercent == 100 || nPercent == -1))
        nPercent = pView->IsBusy() ? 100 : -1;
    // Below -1 is not a percentage any caller sends; show it as an empty pie.
    const int nImage = nPercent == -1 ? kIdleImage : std::max(0, nPercent * 8 / 100);
    if (m_tabs.at(nIndex).nImage == nImage)
        return;
    m_tabs[nIndex].nImage = nImage;
    update(m_tabs.at(nIndex).rect);
}

void CWindowsBar::RemoveTab(const IBarWindow *pView)
{
    const int nIndex = FindTab(pView);
    if (nIndex < 0)
        return;
    if (m_pClickedView == pView)
        m_pClickedView = nullptr;
    m_tabs.removeAt(nIndex);
    // Removing the current tab leaves none current: the window activated next
    // selects its own tab.
    if (m_nCurSel == nIndex)
        m_nCurSel = -1;
    else if (m_nCurSel > nIndex)
        --m_nCurSel;
    m_nHot = -1;
    Relayout();
    update();
}

IBarWindow *CWindowsBar::GetTabView(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_tabs.size())
        return nullptr;
    return m_tabs.at(nIndex).pView;
}

int CWindowsBar::GetItemCount() const
{
    return int(m_tabs.size());
}

int CWindowsBar::GetCurSel() const
{
    return m_nCurSel;
}

int CWindowsBar::GetRowCount() const
{
    return m_nRows;
}

QString CWindowsBar::GetTabText(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_tabs.size())
        return QString();
    return m_tabs.at(nIndex).text;
}

int CWindowsBar::GetTabImage(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_tabs.size())
        return -1;
    return m_tabs.at(nIndex).nImage;
}

QString CWindowsBar::GetTabToolTip(int nIndex) const
{
    const IBarWindow *pView = GetTabView(nIndex);
    if (!pView)
        return QString();
    return CutText(pView->DocumentTitle(), kMaxToolTip);
}

QRect CWindowsBar::TabRect(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_tabs.size())
        return QRect();
    return m_tabs.at(nIndex).rect;
}

void CWindowsBar::ActivatePrevWindow(const IBarWindow *pView)
{
    const int nIndex = pView ? FindTab(pView) : m_nCurSel;
    if (nIndex < 1)
        return;
    if (IBarWindow *pPrev = GetTabView(nIndex - 1))
        pPrev->ActivateFrame(IBarWindow::ShowDefault);
}

void CWindowsBar::ActivateNextWindow(const IBarWindow *pView)
{
    const int nIndex = pView ? FindTab(pView) : m_nCurSel;
    if (nIndex >= GetItemCount() - 1)
        return;
    if (IBarWindow *pNext = GetTabView(nIndex + 1))
        pNext->ActivateFrame(IBarWindow::ShowDefault);
}

int CWindowsBar::BandHeight() const
{
    return std::max(1, m_nRows) * kRowHeight - 2;
}

void CWindowsBar::SetActiveChildMaximizedQuery(std::function<bool()> query)
{
    m_isActiveChildMaximized = std::move(query);
}

const QList<QIcon> &CWindowsBar::TabImages()
{
    static const QList<QIcon> images = [] {
        QList<QIcon> list;
        for (int n = 0; n < kImageCount; ++n)
            list.append(MakeTabImage(n));
        return list;
    }();
    return images;
}

void CWindowsBar::CloseClickedWindow()
{
    if (m_pClickedView)
        m_pClickedView->CloseWindow();
}

void CWindowsBar::ClickedBack()
{
    if (m_pClickedView)
        m_pClickedView->GoBack();
}

void CWindowsBar::ClickedForward()
{
    if (m_pClickedView)
        m_pClickedView->GoForward();
}

void CWindowsBar::ClickedStop()
{
    if (m_pClickedView)
        m_pClickedView->Stop();
}

void CWindowsBar::ClickedRefresh()
{
    if (m_pClickedView)
        m_pClickedView->Refresh();
}

void CWindowsBar::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QList<QIcon> &images = TabImages();
    const QRect dirty = event->rect();
    for (int i = 0; i < m_tabs.size(); ++i) {
        const Tab &tab = m_tabs.at(i);
        if (!tab.rect.intersects(dirty.adjusted(-kSeparatorGap, 0, kSeparatorGap, 0)))
            continue;

        QStyleOptionToolButton opt;
        opt.initFrom(this);
        opt.rect = tab.rect;
        opt.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
        if (i == m_nCurSel)
            opt.state |= QStyle::State_Sunken | QStyle::State_On;
        else if (i == m_nHot)
            opt.state |= QStyle::State_Raised | QStyle::State_MouseOver;
        if (opt.state & (QStyle::State_Sunken | QStyle::State_Raised))
            style()->drawPrimitive(QStyle::PE_PanelButtonTool, &opt, &p, this);

        const QRect inner = tab.rect.adjusted(4, 0, -4, 0);
        const QRect imageRect(inner.left(), inner.top() + (inner.height() - kImageSize) / 2,
                              kImageSize, kImageSize);
        if (tab.nImage >= 0 && tab.nImage < images.size())
            images.at(tab.nImage).paint(&p, imageRect);

        const QRect textRect = inner.adjusted(kImageSize + 4, 0, 0, 0);
        const QString label = fontMetrics().elidedText(tab.text, Qt::ElideRight, textRect.width());
        style()->drawItemText(&p, textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              palette(), isEnabled(), label, QPalette::ButtonText);

        // A flat separator in the gap after every button.
        const int x = tab.rect.right() + kSeparatorGap / 2;
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(x, tab.rect.top() + 3, x, tab.rect.bottom() - 3);
    }
}

void CWindowsBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Relayout();
}

void CWindowsBar::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const int nIndex = HitTest(pos);
        if (nIndex < 0)
            return;
        if (nIndex == m_nCurSel) {
            OnClick(nIndex);
        } else {
            m_nCurSel = nIndex;
            update();
            OnSelChange(nIndex);
        }
    } else if (event->button() == Qt::RightButton) {
        OnRightClick(pos, event->globalPosition().toPoint());
    } else {
        QWidget::mousePressEvent(event);
    }
}

void CWindowsBar::mouseMoveEvent(QMouseEvent *event)
{
    SetHotTab(HitTest(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void CWindowsBar::leaveEvent(QEvent *event)
{
    SetHotTab(-1);
    QWidget::leaveEvent(event);
}

bool CWindowsBar::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *pHelp = static_cast<QHelpEvent *>(event);
        const int nIndex = HitTest(pHelp->pos());
        const QString text = GetTabToolTip(nIndex);
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(pHelp->globalPos(), text, this, TabRect(nIndex));
        }
        return true;
    }
    return QWidget::event(event);
}

QSize CWindowsBar::sizeHint() const
{
    return QSize(std::max<int>(1, int(m_tabs.size())) * kTabWidth, BandHeight());
}

QSize CWindowsBar::minimumSizeHint() const
{
    return QSize(10, BandHeight());
}

int CWindowsBar::HitTest(const QPoint &pos) const
{
    for (int i = 0; i < m_tabs.size(); ++i) {
        if (m_tabs.at(i).rect.contains(pos))
            return i;
    }
    return -1;
}

void CWindowsBar::OnSelChange(int nIndex)
{
    if (nIndex >= GetItemCount())
        return;
    ActivateClickedTab(nIndex);
}

void CWindowsBar::OnClick(int nIndex)
{
    // Only a click on the tab that is already current: the control reports no
    // selection change then, and this is what brings back a minimized window.
    if (nIndex < 0 || nIndex != m_nCurSel)
        return;
    ActivateClickedTab(nIndex);
}

void CWindowsBar::ActivateClickedTab(int nIndex)
{
    IBarWindow *pView = GetTabView(nIndex);
    if (!pView)
        return;
    const bool bMaximized = m_isActiveChildMaximized && m_isActiveChildMaximized();
    pView->ActivateFrame(bMaximized ? IBarWindow::ShowMaximized : IBarWindow::ShowNormal);
}

void CWindowsBar::OnRightClick(const QPoint &pos, const QPoint &globalPos)
{
    // Kept after the menu closes: the frame may carry out the chosen command later.
    m_pClickedView = GetTabView(HitTest(pos));
    if (m_pClickedView && m_pTabMenu)
        m_pTabMenu->popup(globalPos);
}

void CWindowsBar::SetHotTab(int nIndex)
{
    if (nIndex == m_nHot)
        return;
    if (m_nHot >= 0)
        update(TabRect(m_nHot));
    m_nHot = nIndex;
    if (m_nHot >= 0)
        update(TabRect(m_nHot));
}

void CWindowsBar::Relayout()
{
    const int nTabWidth = std::clamp(width(), kMinTabWidth, kTabWidth);
    const int nPerRow = std::max(1, width() / nTabWidth);
    for (int i = 0; i < m_tabs.size(); ++i) {
        const int nRow = i / nPerRow;
        const int nCol = i % nPerRow;
        m_tabs[i].rect
            = QRect(nCol * nTabWidth, nRow * kRowHeight, nTabWidth - kSeparatorGap, kTabHeight);
    }
    const int nRows = std::max(1, int((m_tabs.size() + nPerRow - 1) / nPerRow));
    if (nRows != m_nRows) {
        m_nRows = nRows;
        UpdateBandHeight();
    }
    update();
}

void CWindowsBar::UpdateBandHeight()
{
    setMinimumHeight(BandHeight());
    updateGeometry();
    emit bandHeightChanged(BandHeight());
}
