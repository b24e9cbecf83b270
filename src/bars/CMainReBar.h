#pragma once

#include "CBandRecord.h"

#include <QList>
#include <QPointer>
#include <QWidget>

// The main frame's rebar: the four bars (toolbar 1007, address bar 1008, busy
// animation 1009, Windows Bar 1010) as bands laid out in rows. A band with
// RBBS_BREAK starts a new row; within a row bands run left to right at their
// widths, and the last band that may grow takes the rest of the row. A row is as
// high as its tallest band; a hidden band takes no space. A band is visible while
// its child widget is not hidden, so hiding the child hides the band.
//
// The user rearranges the bands by their grippers. Dragged sideways, a band's left
// edge follows the pointer: the nearest band to its left that may change size gives
// or takes the width, down to either band's minimum; fixed-size bands keep their
// width and shift along. With the pointer on the left neighbour's gripper, or past
// the right neighbour's, the two bands change places. Dragged onto another row,
// the band joins that row where the pointer is; dragged above the first or below
// the last row, it starts a row of its own there. A double-click on a gripper
// toggles the band between its minimum width and the widest its row allows. The
// new order, row breaks and widths are what CaptureLayout returns.
class CMainReBar : public QWidget
{
    Q_OBJECT
public:
    explicit CMainReBar(QWidget *parent = nullptr);

    // Gives band nId (1007..1010) its widget; the rebar becomes its parent.
    void SetBandChild(int nId, QWidget *pChild);
    // The band's widget; null for another id or a band without one.
    QWidget *BandChild(int nId) const;

    // Replaces the bands by the given records, in their order, and shows or hides
    // each child by the record's visible flag. Records of other ids, and later
    // records of an id already seen, are skipped. The child of a band that is not
    // in the layout is hidden.
    void ApplyLayout(const QList<CBandRecord> &records);
    // The bands in order as records to store: styles, widths, minimum sizes, and the
    // visible flag 1 for a band whose child is shown.
    QList<CBandRecord> CaptureLayout() const;

    void ShowBand(int nId, bool bShow);
    bool IsBandVisible(int nId) const;
    // The band ids of each row as shown, top to bottom, left to right.
    QList<QList<int>> BandRows() const;
    // Where the band's gripper is, in rebar coordinates; empty for a hidden band or
    // one without a gripper.
    QRect GripperRect(int nId) const;
    // The Windows Bar's band grows with its rows of tabs.
    void SetBandMinHeight(int nId, int nHeight);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A right click on the rebar itself (not one a band's child took).
    void contextMenuRequested(const QPoint &globalPos);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct SBand
    {
        CBandRecord record;
        QRect rect; // the whole band, gripper included; empty while hidden
    };

    int IndexOf(int nId) const; // into m_bands, -1 for none
    SBand *FindBand(int nId);
    const SBand *FindBand(int nId) const;
    bool IsShown(const SBand &band) const;
    bool HasGripper(const SBand &band) const;
    bool IsFixedSize(const SBand &band) const;
    int HeaderWidth(const SBand &band) const;
    int MinWidth(const SBand &band) const;
    int Width(const SBand &band) const;
    int Height(const SBand &band) const;
    // Indexes into m_bands of the shown bands of each row, rows without one left out.
    QList<QList<int>> Rows() const;
    // The shown row that holds m_bands[nIndex]; empty when the band is hidden.
    QList<int> RowOf(int nIndex) const;
    int RowHeight(const QList<int> &row) const;
    void Relayout();

    // The shown band whose gripper is at pos; null when there is none.
    const SBand *GripperAt(QPoint pos) const;
    // Index into Rows() of the row at height y: -1 above the first row, the row
    // count below the last.
    int RowAt(int y) const;
    // Every band in order, hidden ones too, split where a row starts. Each shown row
    // of Rows() has its bands in exactly one of these.
    QList<QList<int>> AllRows() const;
    // Puts the bands into the order of rows and gives the first band of every row
    // but the first the row break, and no other band.
    void SetOrder(const QList<QList<int>> &rows);
    void SetWidth(SBand &band, int nWidth);
    // The nearest shown band left of row[k] in its row that may change size, or -1.
    int ResizableLeftOf(const QList<int> &row, qsizetype k) const;

    void DragTo(QPoint pos);
    // Moves band nId into shown row nRow at the pointer's x, or into a new row above
    // (nRow -1) or below (nRow = row count) the others.
    void MoveToRow(int nId, int nRow, int x);
    // Sideways: the band's left edge follows x less the grab offset as far as the
    // widths allow; then the band changes places with its left neighbour when x is
    // on that one's gripper, or with its right neighbour when x is past its gripper.
    void DragWithinRow(int nId, int x);
    void ToggleWidth(int nId);

    QList<SBand> m_bands;
    int m_nDragId = 0; // the band being dragged by its gripper, 0 for none
    int m_nGrabOffset = 0; // from the dragged band's left edge to the pointer
    QPointer<QWidget> m_children[CBandRecord::kBandCount];
};
