#include "CMainReBar.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

// A stored value may hold any number; nothing on a screen is wider or taller.
constexpr int kMaxExtent = 4096;
constexpr int kGripperHeader = 10; // room for the gripper at a band's left
constexpr int kPlainHeader = 2;
constexpr int kChildEdge = 2; // above and below a child with RBBS_CHILDEDGE
constexpr int kBandGap = 4; // between bands of a row, with its border line
constexpr int kRowGap = 2; // between rows, with its border line
constexpr int kBottomBorder = 2;

int Clamp(quint32 n)
{
    return int(std::min<quint32>(n, kMaxExtent));
}

// A field counts only when the record's mask says it is set.
quint32 Masked(const CBandRecord &r, quint32 nMaskBit, quint32 nValue)
{
    return (r.fMask & nMaskBit) ? nValue : 0;
}

quint32 Style(const CBandRecord &r)
{
    return Masked(r, RBBIM_STYLE, r.fStyle);
}

int BandIndex(int nId)
{
    return CBandRecord::IsBandId(quint32(nId)) ? nId - int(CBandRecord::BandToolBar) : -1;
}

void DrawEtchedLine(QPainter &p, const QPalette &palette, QPoint from, QPoint to)
{
    const QPoint shift = from.x() == to.x() ? QPoint(1, 0) : QPoint(0, 1);
    p.setPen(palette.color(QPalette::Mid));
    p.drawLine(from, to);
    p.setPen(palette.color(QPalette::Light));
    p.drawLine(from + shift, to + shift);
}

} // namespace

CMainReBar::CMainReBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ReBar"));
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CMainReBar::SetBandChild(int nId, QWidget *pChild)
{
    const int nIndex = BandIndex(nId);
    if (nIndex < 0)
        return;
    if (m_children[nIndex] && m_children[nIndex] != pChild)
        m_children[nIndex]->removeEventFilter(this);
    m_children[nIndex] = pChild;
    if (pChild) {
        pChild->setParent(this);
        pChild->installEventFilter(this);
        const SBand *pBand = FindBand(nId);
        pChild->setVisible(pBand && pBand->record.visible);
    }
    Relayout();
}

QWidget *CMainReBar::BandChild(int nId) const
{
    const int nIndex = BandIndex(nId);
    return nIndex < 0 ? nullptr : m_children[nIndex].data();
}

void CMainReBar::ApplyLayout(const QList<CBandRecord> &records)
{
    m_bands.clear();
    for (const CBandRecord &r : records) {
        if (CBandRecord::IsBandId(r.wID) && !FindBand(int(r.wID)))
            m_bands.append({r, QRect()});
    }
    for (int nId = CBandRecord::BandToolBar; nId <= int(CBandRecord::BandWindowsBar); ++nId) {
        if (QWidget *pChild = BandChild(nId)) {
            const SBand *pBand = FindBand(nId);
            pChild->setVisible(pBand && pBand->record.visible);
        }
    }
    Relayout();
}

QList<CBandRecord> CMainReBar::CaptureLayout() const
{
    QList<CBandRecord> records;
    for (const SBand &band : m_bands) {
        const CBandRecord &in = band.record;
        CBandRecord r = in;
        r.cbSize = CBandRecord::kSize;
        r.fMask = CBandRecord::kStoredMask;
        r.fStyle = Style(in);
        r.cxMinChild = Masked(in, RBBIM_CHILDSIZE, in.cxMinChild);
        r.cyMinChild = Masked(in, RBBIM_CHILDSIZE, in.cyMinChild);
        r.cx = Masked(in, RBBIM_SIZE, in.cx);
        r.cxIdeal = Masked(in, RBBIM_IDEALSIZE, in.cxIdeal);
        r.visible = IsShown(band) ? 1 : 0;
        const QWidget *pChild = BandChild(int(in.wID));
        r.cyChild = pChild ? quint32(pChild->height()) : 0;
        r.cxHeader = quint32(HeaderWidth(band));
        records.append(r);
    }
    return records;
}

void CMainReBar::ShowBand(int nId, bool bShow)
{
    if (SBand *pBand = FindBand(nId))
        pBand->record.visible = bShow ? 1 : 0;
    if (QWidget *pChild = BandChild(nId))
        pChild->setVisible(bShow && FindBand(nId));
    Relayout();
}

bool CMainReBar::IsBandVisible(int nId) const
{
    const SBand *pBand = FindBand(nId);
    return pBand && IsShown(*pBand);
}

void CMainReBar::SetBandMinHeight(int nId, int nHeight)
{
    SBand *pBand = FindBand(nId);
    if (!pBand)
        return;
    pBand->record.fMask |= RBBIM_CHILDSIZE;
    pBand->record.cyMinChild = quint32(std::max(0, nHeight));
    Relayout();
}

QSize CMainReBar::sizeHint() const
{
    int nWidth = 0;
    int nHeight = 0;
    for (const QList<int> &row : Rows()) {
        int nRowWidth = kBandGap * int(row.size() - 1);
        for (int i : row)
            nRowWidth += Width(m_bands.at(i));
        nWidth = std::max(nWidth, nRowWidth);
        nHeight += RowHeight(row) + kRowGap;
    }
    return QSize(nWidth, std::max(0, nHeight - kRowGap) + kBottomBorder);
}

QSize CMainReBar::minimumSizeHint() const
{
    int nWidth = 0;
    for (const QList<int> &row : Rows()) {
        int nRowWidth = kBandGap * int(row.size() - 1);
        for (int i : row)
            nRowWidth += MinWidth(m_bands.at(i));
        nWidth = std::max(nWidth, nRowWidth);
    }
    return QSize(nWidth, sizeHint().height());
}

bool CMainReBar::event(QEvent *event)
{
    // A child asked for a new size (the Windows Bar gaining a row of tabs), or a
    // band's child went away.
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::ChildRemoved)
        Relayout();
    return QWidget::event(event);
}

bool CMainReBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
        Relayout();
    return QWidget::eventFilter(watched, event);
}

void CMainReBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Relayout();
}

void CMainReBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QList<QList<int>> rows = Rows();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QList<int> &row = rows.at(r);
        for (qsizetype b = 0; b < row.size(); ++b) {
            const SBand &band = m_bands.at(row.at(b));
            if (Style(band.record) & RBBS_GRIPPERALWAYS) {
                QStyleOption option;
                option.initFrom(this);
                option.rect = QRect(band.rect.left() + 2, band.rect.top() + 2, kGripperHeader - 4,
                                    band.rect.height() - 4);
                option.state |= QStyle::State_Horizontal;
                style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &p, this);
            }
            if (b + 1 < row.size()) {
                const int x = band.rect.right() + kBandGap / 2;
                DrawEtchedLine(p, palette(), QPoint(x, band.rect.top()),
                               QPoint(x, band.rect.bottom()));
            }
        }
        const int y = m_bands.at(row.first()).rect.bottom() + 1;
        if (r + 1 < rows.size())
            DrawEtchedLine(p, palette(), QPoint(0, y), QPoint(width() - 1, y));
    }
    DrawEtchedLine(p, palette(), QPoint(0, height() - kBottomBorder),
                   QPoint(width() - 1, height() - kBottomBorder));
}

void CMainReBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit contextMenuRequested(event->globalPosition().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

void CMainReBar::contextMenuEvent(QContextMenuEvent *event)
{
    // The right-button press already asked for the menu; a context-menu event that
    // a child left over must not reach the main window, whose own toolbar menu
    // would show as well.
    event->accept();
}

CMainReBar::SBand *CMainReBar::FindBand(int nId)
{
    for (SBand &band : m_bands) {
        if (int(band.record.wID) == nId)
            return &band;
    }
    return nullptr;
}

const CMainReBar::SBand *CMainReBar::FindBand(int nId) const
{
    return const_cast<CMainReBar *>(this)->FindBand(nId);
}

bool CMainReBar::IsShown(const SBand &band) const
{
    const QWidget *pChild = BandChild(int(band.record.wID));
    return pChild && !pChild->isHidden();
}

int CMainReBar::HeaderWidth(const SBand &band) const
{
    const quint32 nStyle = Style(band.record);
    return (nStyle & RBBS_GRIPPERALWAYS) && !(nStyle & RBBS_NOGRIPPER) ? kGripperHeader
                                                                       : kPlainHeader;
}

int CMainReBar::MinWidth(const SBand &band) const
{
    return HeaderWidth(band) + Clamp(Masked(band.record, RBBIM_CHILDSIZE, band.record.cxMinChild));
}

int CMainReBar::Width(const SBand &band) const
{
    return std::max(MinWidth(band), Clamp(Masked(band.record, RBBIM_SIZE, band.record.cx)));
}

int CMainReBar::Height(const SBand &band) const
{
    int nHeight = Clamp(Masked(band.record, RBBIM_CHILDSIZE, band.record.cyMinChild));
    if (const QWidget *pChild = BandChild(int(band.record.wID)))
        nHeight = std::max(nHeight, std::min(pChild->sizeHint().height(), kMaxExtent));
    if (Style(band.record) & RBBS_CHILDEDGE)
        nHeight += 2 * kChildEdge;
    return nHeight;
}

QList<QList<int>> CMainReBar::Rows() const
{
    QList<QList<int>> rows(1);
    for (int i = 0; i < m_bands.size(); ++i) {
        if ((Style(m_bands.at(i).record) & RBBS_BREAK) && !rows.last().isEmpty())
            rows.append(QList<int>());
        if (IsShown(m_bands.at(i)))
            rows.last().append(i);
    }
    rows.removeIf([](const QList<int> &row) { return row.isEmpty(); });
    return rows;
}

int CMainReBar::RowHeight(const QList<int> &row) const
{
    int nHeight = 0;
    for (int i : row)
        nHeight = std::max(nHeight, Height(m_bands.at(i)));
    return nHeight;
}

void CMainReBar::Relayout()
{
    for (SBand &band : m_bands)
        band.rect = QRect();

    int y = 0;
    for (const QList<int> &row : Rows()) {
        const int nHeight = RowHeight(row);
        QList<int> widths;
        int nTotal = kBandGap * int(row.size() - 1);
        for (int i : row) {
            widths.append(Width(m_bands.at(i)));
            nTotal += widths.last();
        }

        // Fixed-size bands keep their width; the last band that may change gives
        // or takes the difference, and bands to its left shrink after it.
        int nSpare = width() - nTotal;
        for (qsizetype k = row.size() - 1; k >= 0 && nSpare != 0; --k) {
            const SBand &band = m_bands.at(row.at(k));
            if (Style(band.record) & RBBS_FIXEDSIZE)
                continue;
            const int nNew = std::max(MinWidth(band), widths.at(k) + nSpare);
            nSpare -= nNew - widths.at(k);
            widths[k] = nNew;
        }

        int x = 0;
        for (qsizetype k = 0; k < row.size(); ++k) {
            SBand &band = m_bands[row.at(k)];
            band.rect = QRect(x, y, widths.at(k), nHeight);
            x += widths.at(k) + kBandGap;

            QWidget *pChild = BandChild(int(band.record.wID));
            const int nEdge = (Style(band.record) & RBBS_CHILDEDGE) ? kChildEdge : 0;
            const int nChildHeight = std::min(nHeight - 2 * nEdge, Height(band) - 2 * nEdge);
            const int nHeader = HeaderWidth(band);
            pChild->setGeometry(band.rect.left() + nHeader, y + (nHeight - nChildHeight) / 2,
                                std::max(0, band.rect.width() - nHeader), nChildHeight);
        }
        y += nHeight + kRowGap;
    }

    if (sizeHint().height() != height())
        updateGeometry();
    update();
}
