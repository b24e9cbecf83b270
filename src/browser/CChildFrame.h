#pragma once

#include "CCmdTarget.h"

#include <QMdiSubWindow>

class CQuillbrowDoc;
class CQuillbrowView;
class IBrowserHost;
class QMenu;

// The MDI child window of one browser window. Keeps the main frame told whether
// children are maximized and which address to remember, and offers the "Caption"
// popup on a right-click of its title bar.
class CChildFrame : public QMdiSubWindow, public CCmdTarget
{
    Q_OBJECT
public:
    CChildFrame(IBrowserHost *pHost, CQuillbrowDoc *pDoc, CQuillbrowView *pView);
    ~CChildFrame() override;

    CQuillbrowDoc *GetDocument() const { return m_pDoc; }
    CQuillbrowView *GetActiveView() const { return m_pView; }

    // Shows and activates the frame: 3 maximized, 1 normal, 4 without activation,
    // -1 in the state it has.
    void ActivateFrame(int nCmdShow = -1);
    // While this is the active window: its maximized state and address become the
    // main frame's, to be remembered at exit.
    void RememberIfActive();
    // Records the active window's state in the main frame, then goes.
    void DestroyWindow();

protected:
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool IsActiveFrame() const;
    bool IsOnTitleBar(const QPoint &pos) const;

    IBrowserHost *m_pHost;
    CQuillbrowDoc *m_pDoc;
    CQuillbrowView *m_pView;
    bool m_bDestroying = false;
    bool m_bInCloseEvent = false;
};
