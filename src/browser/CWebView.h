#pragma once

#include <QWebEngineView>

// The widget of one page. Its context menu is the engine's own with the entries a
// window of this program has: a link opens in a new window (which goes the way of any
// window a page opens, AutoClose included) or is saved through the download question;
// the engine's tab entries have no place here, as every window is a window.
class CWebView : public QWebEngineView
{
    Q_OBJECT
public:
    using QWebEngineView::QWebEngineView;

    // The context menu for the request the page made last, ready to show.
    QMenu *CreateContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
