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
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct SBand
    {
        CBandRecord record;
        QRect rect; // the whole band, gripper included; empty while hidden
    };

    SBand *FindBand(int nId);
    const SBand *FindBand(int nId) const;
    bool IsShown(const SBand &band) const;
    int HeaderWidth(const SBand &band) const;
    int MinWidth(const SBand &band) const;
    int Width(const SBand &band) const;
    int Height(const SBand &band) const;
    // Indexes into m_bands of the shown bands of each row, rows without one left out.
    QList<QList<int>> Rows() const;
    int RowHeight(const QList<int> &row) const;
    void Relayout();

    QList<SBand> m_bands;
    QPointer<QWidget> m_children[CBandRecord::kBandCount];
};
