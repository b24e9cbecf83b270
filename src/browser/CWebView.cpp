#include "CWebView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QWebEnginePage>

namespace {

struct SEntryText
{
    QWebEnginePage::WebAction action;
    const char *text;
};

// The engine's texts, in the words and the case of the program's menus. Everything
// saved goes through the download question, hence the dots.
const SEntryText kEntryTexts[] = {
    {QWebEnginePage::OpenLinkInThisWindow, QT_TR_NOOP("Open Link")},
    {QWebEnginePage::OpenLinkInNewWindow, QT_TR_NOOP("Open Link in New Window")},
    {QWebEnginePage::DownloadLinkToDisk, QT_TR_NOOP("Save Link As...")},
    {QWebEnginePage::CopyLinkToClipboard, QT_TR_NOOP("Copy Link Address")},
    {QWebEnginePage::CopyImageToClipboard, QT_TR_NOOP("Copy Image")},
    {QWebEnginePage::CopyImageUrlToClipboard, QT_TR_NOOP("Copy Image Address")},
    {QWebEnginePage::DownloadImageToDisk, QT_TR_NOOP("Save Image As...")},
    {QWebEnginePage::CopyMediaUrlToClipboard, QT_TR_NOOP("Copy Media Address")},
    {QWebEnginePage::DownloadMediaToDisk, QT_TR_NOOP("Save Media As...")},
    {QWebEnginePage::SelectAll, QT_TR_NOOP("Select All")},
    {QWebEnginePage::ViewSource, QT_TR_NOOP("View Page Source")},
};

} // namespace

QMenu *CWebView::CreateContextMenu()
{
    QMenu *menu = createStandardContextMenu();
    QWebEnginePage *pPage = page();
    // Every window here is a window with its tab; and a whole page is saved with the
    // File menu's Save As, which asks where.
    for (const auto action : {QWebEnginePage::OpenLinkInNewTab,
                              QWebEnginePage::OpenLinkInNewBackgroundTab, QWebEnginePage::SavePage})
        menu->removeAction(pPage->action(action));
    for (const SEntryText &entry : kEntryTexts)
        pPage->action(entry.action)->setText(tr(entry.text));
    return menu;
}

void CWebView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
