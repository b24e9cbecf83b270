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
    // Hovering a gripper shows the split cursor.
    setMouseTracking(true);
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

QList<QList<int>> CMainReBar::BandRows() const
{
    QList<QList<int>> ids;
    for (const QList<int> &row : Rows()) {
        QList<int> rowIds;
        for (int i : row)
            rowIds.append(int(m_bands.at(i).record.wID));
        ids.append(rowIds);
    }
    return ids;
}

QRect CMainReBar::GripperRect(int nId) const
{
    const SBand *pBand = FindBand(nId);
    if (!pBand || !HasGripper(*pBand) || !IsShown(*pBand) || pBand->rect.isEmpty())
        return QRect();
    return QRect(pBand->rect.topLeft(), QSize(HeaderWidth(*pBand), pBand->rect.height()));
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
            if (HasGripper(band)) {
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
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (const SBand *pBand = GripperAt(pos)) {
            m_nDragId = int(pBand->record.wID);
            m_nGrabOffset = pos.x() - pBand->rect.left();
            event->accept();
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void CMainReBar::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton))
        m_nDragId = 0;
    if (m_nDragId != 0)
        DragTo(pos);
    if (m_nDragId != 0 || GripperAt(pos))
        setCursor(Qt::SplitHCursor);
    else
        unsetCursor();
    event->accept();
}

void CMainReBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_nDragId != 0) {
        m_nDragId = 0;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CMainReBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (const SBand *pBand = GripperAt(event->position().toPoint())) {
            ToggleWidth(int(pBand->record.wID));
            event->accept();
            return;
        }
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CMainReBar::contextMenuEvent(QContextMenuEvent *event)
{
    // The right-button press already asked for the menu; a context-menu event that
    // a child left over must not reach the main window, whose own toolbar menu
    // would show as well.
    event->accept();
}

int CMainReBar::IndexOf(int nId) const
{
    for (int i = 0; i < m_bands.size(); ++i) {
        if (int(m_bands.at(i).record.wID) == nId)
            return i;
    }
    return -1;
}

CMainReBar::SBand *CMainReBar::FindBand(int nId)
{
    const int nIndex = IndexOf(nId);
    return nIndex < 0 ? nullptr : &m_bands[nIndex];
}

const CMainReBar::SBand *CMainReBar::FindBand(int nId) const
{
    const int nIndex = IndexOf(nId);
    return nIndex < 0 ? nullptr : &m_bands.at(nIndex);
}

bool CMainReBar::IsShown(const SBand &band) const
{
    const QWidget *pChild = BandChild(int(band.record.wID));
    return pChild && !pChild->isHidden();
}

bool CMainReBar::HasGripper(const SBand &band) const
{
    const quint32 nStyle = Style(band.record);
    return (nStyle & RBBS_GRIPPERALWAYS) && !(nStyle & RBBS_NOGRIPPER);
}

bool CMainReBar::IsFixedSize(const SBand &band) const
{
    return Style(band.record) & RBBS_FIXEDSIZE;
}

int CMainReBar::HeaderWidth(const SBand &band) const
{
    return HasGripper(band) ? kGripperHeader : kPlainHeader;
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

QList<int> CMainReBar::RowOf(int nIndex) const
{
    for (const QList<int> &row : Rows()) {
        if (row.contains(nIndex))
            return row;
    }
    return {};
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
            if (IsFixedSize(band))
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

const CMainReBar::SBand *CMainReBar::GripperAt(QPoint pos) const
{
    for (const SBand &band : m_bands) {
        if (GripperRect(int(band.record.wID)).contains(pos))
            return &band;
    }
    return nullptr;
}

int CMainReBar::RowAt(int y) const
{
    if (y < 0)
        return -1;
    const QList<QList<int>> rows = Rows();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        // A row reaches down to the next one, the line between them included.
        if (y <= m_bands.at(rows.at(r).first()).rect.bottom() + kRowGap)
            return int(r);
    }
    return int(rows.size());
}

QList<QList<int>> CMainReBar::AllRows() const
{
    QList<QList<int>> rows;
    for (int i = 0; i < m_bands.size(); ++i) {
        if (rows.isEmpty()
            || ((Style(m_bands.at(i).record) & RBBS_BREAK) && !rows.last().isEmpty()))
            rows.append(QList<int>());
        rows.last().append(i);
    }
    return rows;
}

void CMainReBar::SetOrder(const QList<QList<int>> &rows)
{
    QList<SBand> bands;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        for (qsizetype k = 0; k < rows.at(r).size(); ++k) {
            SBand band = m_bands.at(rows.at(r).at(k));
            CBandRecord &record = band.record;
            const bool bBreak = r > 0 && k == 0;
            if (bBreak && !(record.fMask & RBBIM_STYLE)) {
                // Style bits that the mask left out never counted.
                record.fMask |= RBBIM_STYLE;
                record.fStyle = 0;
            }
            record.fStyle = bBreak ? record.fStyle | RBBS_BREAK : record.fStyle & ~RBBS_BREAK;
            bands.append(band);
        }
    }
    m_bands = bands;
}

void CMainReBar::SetWidth(SBand &band, int nWidth)
{
    band.record.fMask |= RBBIM_SIZE;
    band.record.cx = quint32(std::max(0, nWidth));
}

int CMainReBar::ResizableLeftOf(const QList<int> &row, qsizetype k) const
{
    for (qsizetype j = k - 1; j >= 0; --j) {
        if (!IsFixedSize(m_bands.at(row.at(j))))
            return row.at(j);
    }
    return -1;
}

void CMainReBar::DragTo(QPoint pos)
{
    const int nIndex = IndexOf(m_nDragId);
    if (nIndex < 0 || !IsShown(m_bands.at(nIndex))) {
        m_nDragId = 0;
        return;
    }
    const QList<QList<int>> rows = Rows();
    int nRow = 0;
    while (!rows.at(nRow).contains(nIndex))
        ++nRow;
    // A band alone in the first row that goes above it, or alone in the last one
    // that goes below, becomes the same row again.
    if (const int nTarget = RowAt(pos.y()); nTarget != nRow) {
        MoveToRow(m_nDragId, nTarget, pos.x());
        Relayout();
    }
    DragWithinRow(m_nDragId, pos.x());
}

void CMainReBar::MoveToRow(int nId, int nRow, int x)
{
    const QList<QList<int>> shown = Rows();
    const int nIndex = IndexOf(nId);
    // In a shown row the band goes after every band whose gripper is left of x.
    int nBefore = -1;
    int nAfter = -1;
    if (nRow >= 0 && nRow < shown.size()) {
        const QList<int> &target = shown.at(nRow);
        qsizetype k = 0;
        while (k < target.size()) {
            const SBand &band = m_bands.at(target.at(k));
            if (x < band.rect.left() + HeaderWidth(band))
                break;
            ++k;
        }
        if (k < target.size())
            nBefore = target.at(k);
        else
            nAfter = target.last();
    }

    QList<QList<int>> rows = AllRows();
    for (QList<int> &row : rows)
        row.removeOne(nIndex);
    rows.removeIf([](const QList<int> &row) { return row.isEmpty(); });
    if (nRow < 0) {
        rows.prepend(QList<int> {nIndex});
    } else if (nRow >= shown.size()) {
        rows.append(QList<int> {nIndex});
    } else {
        for (QList<int> &row : rows) {
            if (const qsizetype at = row.indexOf(nBefore >= 0 ? nBefore : nAfter); at >= 0) {
                row.insert(nBefore >= 0 ? at : at + 1, nIndex);
                break;
            }
        }
    }
    SetOrder(rows);
}

void CMainReBar::DragWithinRow(int nId, int x)
{
    const int nIndex = IndexOf(nId);
    QList<int> row = RowOf(nIndex);
    qsizetype k = row.indexOf(nIndex);
    if (k < 0)
        return;

    // The left edge follows the pointer as far as both bands' minimum widths allow;
    // the band's right edge stays where it is.
    const int nLeft = ResizableLeftOf(row, k);
    if (!IsFixedSize(m_bands.at(nIndex)) && nLeft >= 0) {
        SBand &band = m_bands[nIndex];
        SBand &left = m_bands[nLeft];
        const int nMove
            = std::clamp(x - m_nGrabOffset - band.rect.left(), MinWidth(left) - left.rect.width(),
                         band.rect.width() - MinWidth(band));
        if (nMove != 0) {
            SetWidth(left, left.rect.width() + nMove);
            SetWidth(band, band.rect.width() - nMove);
            Relayout();
        }
    }

    // Where the edge could not follow, the pointer reaches a neighbour's gripper or
    // goes past it: the two change places.
    int nSwapWith = -1;
    bool bBefore = false;
    if (k > 0) {
        const SBand &left = m_bands.at(row.at(k - 1));
        if (x < left.rect.left() + HeaderWidth(left)) {
            nSwapWith = row.at(k - 1);
            bBefore = true;
        }
    }
    if (nSwapWith < 0 && k + 1 < row.size()) {
        const SBand &right = m_bands.at(row.at(k + 1));
        if (x >= right.rect.left() + HeaderWidth(right))
            nSwapWith = row.at(k + 1);
    }
    if (nSwapWith < 0)
        return;
    QList<QList<int>> rows = AllRows();
    for (QList<int> &allRow : rows) {
        if (!allRow.contains(nSwapWith))
            continue;
        allRow.removeOne(nIndex);
        const qsizetype at = allRow.indexOf(nSwapWith);
        allRow.insert(bBefore ? at : at + 1, nIndex);
    }
    SetOrder(rows);
    Relayout();
}

void CMainReBar::ToggleWidth(int nId)
{
    const int nIndex = IndexOf(nId);
    const QList<int> row = RowOf(nIndex);
    const qsizetype k = row.indexOf(nIndex);
    if (k < 0 || IsFixedSize(m_bands.at(nIndex)))
        return;
    SBand &band = m_bands[nIndex];

    const int nWidth = band.rect.width();
    const bool bMinimize = nWidth > MinWidth(band);
    if (const int nLeft = ResizableLeftOf(row, k); nLeft >= 0) {
        // As when dragging: the band to the left gives or takes the width.
        SBand &left = m_bands[nLeft];
        const int nMove = bMinimize ? nWidth - MinWidth(band) : MinWidth(left) - left.rect.width();
        SetWidth(left, left.rect.width() + nMove);
        SetWidth(band, nWidth - nMove);
    } else if (bMinimize) {
        SetWidth(band, MinWidth(band));
    } else {
        // The first band of a row grows to the right, taking what the bands there
        // can give.
        int nSpare = 0;
        for (qsizetype j = k + 1; j < row.size(); ++j) {
            const SBand &other = m_bands.at(row.at(j));
            if (!IsFixedSize(other))
                nSpare += other.rect.width() - MinWidth(other);
        }
        SetWidth(band, nWidth + nSpare);
    }
    Relayout();
}
