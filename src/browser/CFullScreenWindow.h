#pragma once

#include <QPointer>
#include <QWidget>

class QBoxLayout;
class QWebEngineView;

// A page that asked for full screen (a video's full-screen button): its view leaves
// the browser window for a window of its own that fills the screen. Escape ends it,
// as does the page itself; on destruction the view goes back where it came from, so
// the browser window and the frame are as they were.
class CFullScreenWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CFullScreenWindow(QWebEngineView *pView);
    ~CFullScreenWindow() override;

    QWebEngineView *View() const { return m_pView; }

private:
    QPointer<QWebEngineView> m_pView;
    QPointer<QWidget> m_pOldParent;
    QPointer<QBoxLayout> m_pOldLayout;
    int m_nOldIndex = -1;
    int m_nOldStretch = 0;
    bool m_bHadFocus = false;
};
