#include "CWebView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QWebEnginePage>

QMenu *CWebView::CreateContextMenu()
{
    QMenu *menu = createStandardContextMenu();
    QWebEnginePage *pPage = page();
    for (const auto action :
         {QWebEnginePage::OpenLinkInNewTab, QWebEnginePage::OpenLinkInNewBackgroundTab})
        menu->removeAction(pPage->action(action));
    pPage->action(QWebEnginePage::OpenLinkInThisWindow)->setText(tr("Open Link"));
    pPage->action(QWebEnginePage::OpenLinkInNewWindow)->setText(tr("Open Link in New Window"));
    pPage->action(QWebEnginePage::DownloadLinkToDisk)->setText(tr("Save Link As..."));
    pPage->action(QWebEnginePage::CopyLinkToClipboard)->setText(tr("Copy Link Address"));
    return menu;
}

void CWebView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
