#pragma once

#include "IBarWindow.h"

#include <QIcon>
#include <QList>
#include <QWidget>

#include <functional>

class QMenu;

// One flat tab button per browser window, in creation order, wrapping onto as
// many rows as the width needs. Each tab shows its window's title and a pie that
// fills while the page loads (images 0 to 8) or a small circle when idle (9).
class CWindowsBar : public QWidget
{
    Q_OBJECT
public:
    explicit CWindowsBar(QWidget *parent = nullptr);
    ~CWindowsBar() override;

    // Appends a tab with image 0 and no text; select makes it current without
    // activating anything. Returns its index.
    int AddTab(IBarWindow *pView, bool bSelect);
    int FindTab(const IBarWindow *pView) const;
    // Makes the view's tab current (no activation); negative when it has none.
    int SelectTab(const IBarWindow *pView);
    // An empty text keeps the old label.
    void SetTabText(const IBarWindow *pView, const QString &text);
    // percent -1 (idle) to 100; more than 100 changes nothing.
    void SetTabProgress(const IBarWindow *pView, int nPercent);
    void RemoveTab(const IBarWindow *pView);
    IBarWindow *GetTabView(int nIndex) const;

    int GetItemCount() const;
    int GetCurSel() const;
    int GetRowCount() const;
    QString GetTabText(int nIndex) const;
    int GetTabImage(int nIndex) const;
    QString GetTabToolTip(int nIndex) const;

    // Activates the window left or right of the view's tab (the current tab when
    // null); nothing at either end.
    void ActivatePrevWindow(const IBarWindow *pView);
    void ActivateNextWindow(const IBarWindow *pView);

    // Minimum height of the bar's band: rows x 25 - 2.
    int BandHeight() const;

    // The frame's answer to "is the active window maximized?", used when a tab
    // click activates its window.
    void SetActiveChildMaximizedQuery(std::function<bool()> query);

    // The ten 16x16 tab images, drawn once.
    static const QList<QIcon> &TabImages();

    // The window whose tab was right-clicked last; null when the click hit no tab or
    // that window has gone since.
    IBarWindow *m_pClickedView = nullptr;

    // The "Tab" popup shown on a right-click of a tab; its commands, routed by the frame,
    // act on m_pClickedView through the Clicked operations below. Not owned.
    QMenu *TabMenu() const { return m_pTabMenu; }
    void SetTabMenu(QMenu *pMenu) { m_pTabMenu = pMenu; }

    // Commands of the "Tab" popup on m_pClickedView; each does nothing without one.
    void CloseClickedWindow();
    void ClickedBack();
    void ClickedForward();
    void ClickedStop();
    void ClickedRefresh();

    // Where tab nIndex is drawn and hit; empty for an index out of range.
    QRect TabRect(int nIndex) const;

signals:
    void bandHeightChanged(int nHeight);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    struct Tab
    {
        IBarWindow *pView = nullptr;
        QString text;
        int nImage = 0;
        QRect rect;
    };

    int HitTest(const QPoint &pos) const;
    void OnSelChange(int nIndex);
    void OnClick(int nIndex);
    void OnRightClick(const QPoint &pos, const QPoint &globalPos);
    void ActivateClickedTab(int nIndex);
    void SetHotTab(int nIndex);
    void Relayout();
    void UpdateBandHeight();

    QList<Tab> m_tabs;
    int m_nCurSel = -1;
    int m_nRows = 1;
    int m_nHot = -1;
    QMenu *m_pTabMenu = nullptr;
    std::function<bool()> m_isActiveChildMaximized;
};
