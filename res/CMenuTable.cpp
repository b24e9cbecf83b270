#include "CMenuTable.h"

#include "CStringIds.h"
#include "CStringTable.h"

#include <QCoreApplication>
#include <QHash>

#define TR(text) QT_TRANSLATE_NOOP("Quillbrow", text)

namespace {
CMenuDef Item(int nID, const char *text)
{
    return CMenuDef {nID, text, {}, {}};
}

CMenuDef Popup(const char *text, QList<CMenuDef> items, const QString &name = QString())
{
    return CMenuDef {0, text, std::move(items), name};
}

const CMenuDef kSeparator {};
} // namespace

QString CMenuDef::Text() const
{
    return text ? QCoreApplication::translate("Quillbrow", text) : QString();
}

const QList<CMenuDef> &MainMenuBar()
{
    static const QList<CMenuDef> menus = {
        Popup(TR("&File"),
              {Popup(TR("&New"),
                     {Item(ID_FILE_NEW_BLANK, TR("&Blank")), Item(ID_FILE_NEW_HOME, TR("&Home")),
                      Item(ID_FILE_NEW_CURRENT, TR("&Current"))},
                     QStringLiteral("NewMenu")),
               Item(ID_FILE_OPEN, TR("&Open...")), Item(ID_FILE_CLOSE, TR("&Close")),
               Popup(TR("Close A&ll"),
                     {Item(ID_FILE_CLOSE_ALL, TR("&Close All")),
                      Item(ID_FILE_CLOSE_ALL_EXCEPT_CURRENT, TR("Close &All Except Current"))}),
               kSeparator, Item(ID_FILE_SAVE_AS, TR("Save &As...")), kSeparator,
               Item(ID_FILE_PAGE_SETUP, TR("Page Set&up...")),
               Item(ID_FILE_PRINT_PREVIEW, TR("Print Pre&view...")),
               Item(ID_FILE_PRINT, TR("&Print...")), kSeparator,
               Item(ID_FILE_PROPERTIES, TR("P&roperties...")),
               Item(ID_FILE_WORK_OFFLINE, TR("&Work Offline")), kSeparator,
               Item(ID_APP_EXIT, TR("E&xit"))},
              QStringLiteral("FileMenu")),
        Popup(TR("&Edit"),
              {Item(ID_EDIT_CUT, TR("Cu&t")), Item(ID_EDIT_COPY, TR("&Copy")),
               Item(ID_EDIT_PASTE, TR("&Paste")), kSeparator,
               Item(ID_EDIT_SELECT_ALL, TR("&Select All")), kSeparator,
               Item(ID_EDIT_FIND, TR("&Find in this page..."))},
              QStringLiteral("EditMenu")),
        Popup(TR("&View"),
              {Popup(TR("&Toobars"),
                     {Item(ID_VIEW_TOOLBAR, TR("&Standard Buttons")),
                      Item(ID_VIEW_ADDRESS_BAR, TR("&Address Bar")),
                      Item(ID_VIEW_WINDOWS_BAR, TR("&Windows Bar")), kSeparator,
                      Item(ID_VIEW_CUSTOMIZE_TOOLBAR, TR("Customize &Toolbar...")),
                      Item(ID_VIEW_CLEAR_ADDRESSES, TR("&Clear Addresses...")), kSeparator,
                      Item(ID_VIEW_STATUS_BAR, TR("&Status Bar"))},
                     QStringLiteral("ToolbarsMenu")),
               kSeparator, Item(ID_VIEW_REFRESH, TR("&Refresh")),
               Item(ID_VIEW_REFRESH_ALL, TR("Refresh &All")), kSeparator,
               Popup(TR("T&ext Size"),
                     {Item(ID_VIEW_FONT_LARGEST, TR("Lar&gest")),
                      Item(ID_VIEW_FONT_LARGER, TR("&Larger")),
                      Item(ID_VIEW_FONT_MEDIUM, TR("&Medium")),
                      Item(ID_VIEW_FONT_SMALLER, TR("&Smaller")),
                      Item(ID_VIEW_FONT_SMALLEST, TR("Sm&allest"))},
                     QStringLiteral("TextSizeMenu")),
               Item(ID_VIEW_ADD_TO_AUTOCLOSE, TR("A&dd to AutoClose...")), kSeparator,
               Item(ID_VIEW_SOURCE, TR("&View Source...")), kSeparator,
               Item(ID_VIEW_FULL_SCREEN, TR("&Full Screen"))},
              QStringLiteral("ViewMenu")),
        Popup(TR("&Go"),
              {Item(ID_GO_BACK, TR("&Back")), Item(ID_GO_FORWARD, TR("&Forward")), kSeparator,
               Item(ID_GO_STOP, TR("&Stop")), Item(ID_GO_STOP_ALL, TR("Stop &All")), kSeparator,
               Item(ID_GO_HOME, TR("&Home")), Item(ID_GO_SEARCH, TR("S&earch"))},
              QStringLiteral("GoMenu")),
        Popup(TR("F&avorites"),
              {Item(ID_FAVORITES_ADD, TR("&Add to Favorites...")),
               Item(ID_FAVORITES_ORGANIZE, TR("&Organize your Favorites...")), kSeparator,
               Item(ID_FAVORITES_IMPORT, TR("Import &Favorites...")),
               Item(ID_FAVORITES_EXPORT, TR("&Export Favorites..."))},
              QStringLiteral("FavoritesMenu")),
        Popup(TR("&Tools"),
              {Item(ID_TOOLS_MAIL, TR("&Mail...")), Item(ID_TOOLS_NEWS, TR("&News...")),
               Item(ID_TOOLS_SYNCHRONIZE, TR("&Synchronize...")), kSeparator,
               Item(ID_TOOLS_DOWNLOADS, TR("&Downloads...")), kSeparator,
               Item(ID_TOOLS_OPTIONS, TR("Quillbrow &Options...")),
               Item(ID_TOOLS_INTERNET_OPTIONS, TR("&Internet Options..."))},
              QStringLiteral("ToolsMenu")),
        Popup(TR("&Windows"),
              {Item(ID_WINDOW_CASCADE, TR("&Casade Windows")),
               Item(ID_WINDOW_TILE_HORZ, TR("Title Windows &Horizontally")),
               Item(ID_WINDOW_TILE_VERT, TR("Title Window &Vertically")),
               Item(ID_WINDOW_ARRANGE, TR("&Arrange Icons")), kSeparator,
               Item(ID_WINDOW_PREVIOUS, TR("&Previous")), Item(ID_WINDOW_NEXT, TR("&Next"))},
              QStringLiteral("WindowsMenu")),
        Popup(TR("&Help"),
              {Item(ID_HELP_CONTENTS, TR("&Quillbrow Help...")),
               Item(ID_HELP_WEB_SITE, TR("Quillbrow &Web Site...")), kSeparator,
               Item(ID_APP_ABOUT, TR("&About Quillbrow..."))},
              QStringLiteral("HelpMenu")),
    };
    return menus;
}

const CMenuDef &CaptionPopup()
{
    static const CMenuDef menu = Popup(
        TR("Caption"),
        {Item(ID_FAVORITES_ADD, TR("&Add to Favorites...")),
         Item(ID_VIEW_ADD_TO_AUTOCLOSE, TR("A&dd to AutoClose...\tF8")), kSeparator,
         Item(ID_GO_BACK, TR("&Back\tAlt+Left Arrow")),
         Item(ID_GO_FORWARD, TR("&Forward\tAlt+Right Arrow")), Item(ID_GO_STOP, TR("&Stop\tEsc")),
         Item(ID_VIEW_REFRESH, TR("&Refresh\tF5")), kSeparator,
         Item(ID_FILE_CLOSE, TR("&Close\tCtrl+W")), Item(ID_FILE_CLOSE_ALL, TR("C&lose All")),
         Item(ID_FILE_CLOSE_ALL_EXCEPT_CURRENT, TR("Close All &Except Current"))},
        QStringLiteral("CaptionMenu"));
    return menu;
}

const CMenuDef &TabPopup()
{
    static const CMenuDef menu
        = Popup(TR("Tab"),
                {Item(ID_TAB_ADD_TO_FAVORITES, TR("&Add to Favorites...")),
                 Item(ID_TAB_ADD_TO_AUTOCLOSE, TR("A&dd to AutoClose...")),
                 Item(ID_TAB_BACK, TR("&Back")), Item(ID_TAB_FORWARD, TR("&Forward")),
                 Item(ID_TAB_STOP, TR("&Stop")), Item(ID_TAB_REFRESH, TR("&Refresh")),
                 Item(ID_TAB_CLOSE, TR("&Close")), Item(ID_FILE_CLOSE_ALL, TR("C&lose All")),
                 Item(ID_TAB_CLOSE_ALL_EXCEPT_THIS, TR("Close All &Except This"))},
                QStringLiteral("TabMenu"));
    return menu;
}

QKeySequence CommandKeys(int nID)
{
    static const QHash<int, QKeySequence> keys = {
        {ID_FILE_NEW_BLANK, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {ID_FILE_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {ID_FILE_CLOSE, QKeySequence(Qt::CTRL | Qt::Key_W)},
        {ID_FILE_PRINT, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {ID_EDIT_CUT, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {ID_EDIT_COPY, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {ID_EDIT_PASTE, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {ID_EDIT_SELECT_ALL, QKeySequence(Qt::CTRL | Qt::Key_A)},
        {ID_EDIT_FIND, QKeySequence(Qt::CTRL | Qt::Key_F)},
        {ID_VIEW_REFRESH, QKeySequence(Qt::Key_F5)},
        {ID_VIEW_REFRESH_ALL, QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {ID_VIEW_ADD_TO_AUTOCLOSE, QKeySequence(Qt::Key_F8)},
        {ID_VIEW_FULL_SCREEN, QKeySequence(Qt::Key_F11)},
        {ID_GO_BACK, QKeySequence(Qt::ALT | Qt::Key_Left)},
        {ID_GO_FORWARD, QKeySequence(Qt::ALT | Qt::Key_Right)},
        {ID_GO_STOP, QKeySequence(Qt::Key_Escape)},
        {ID_GO_STOP_ALL, QKeySequence(Qt::SHIFT | Qt::Key_Escape)},
        {ID_GO_HOME, QKeySequence(Qt::ALT | Qt::Key_Home)},
        {ID_WINDOW_PREVIOUS, QKeySequence(Qt::Key_F9)},
        {ID_WINDOW_NEXT, QKeySequence(Qt::Key_F10)},
        {ID_TOOLS_DOWNLOADS, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Y)},
    };
    return keys.value(nID);
}

QString CommandPrompt(int nID)
{
    return LoadString(nID).section(QLatin1Char('\n'), 0, 0);
}

QString CommandToolTip(int nID)
{
    const QString text = LoadString(nID);
    const qsizetype nBreak = text.indexOf(QLatin1Char('\n'));
    return nBreak > 0 ? text.mid(nBreak + 1) : QString();
}

QList<int> MenuCommandIds()
{
    QList<int> ids;
    std::function<void(const QList<CMenuDef> &)> walk = [&](const QList<CMenuDef> &items) {
        for (const CMenuDef &item : items) {
            if (item.IsPopup())
                walk(item.items);
            else if (item.nID && !ids.contains(item.nID))
                ids.append(item.nID);
        }
    };
    walk(MainMenuBar());
    walk(CaptionPopup().items);
    walk(TabPopup().items);
    return ids;
}
