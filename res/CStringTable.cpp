#include "CStringTable.h"

#include "CStringIds.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace {

struct SStringEntry
{
    int nId;
    const char *pszText;
};

constexpr char kContext[] = "Quillbrow";

// Texts are UTF-8 source strings; a line break splits a command's status-bar
// prompt from its tooltip.
constexpr SStringEntry kStringTable[] = {
    {IDS_HTML_DOC_TEMPLATE,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "\nHTML\nHTML\nHTML Document (*.htm;*.html)\n.htm\nHTML.Document\n"
                       "HTML Document")},
    {IDS_OPEN_ALL_LINKS_PROMPT, QT_TRANSLATE_NOOP("Quillbrow", "Open all links in this folder")},
    {IDS_FAVORITES_OPEN_ALL, QT_TRANSLATE_NOOP("Quillbrow", "&Open All")},

    {IDS_ERROR_CAPTION, QT_TRANSLATE_NOOP("Quillbrow", "Error")},
    {IDS_NO_MAIL_PROGRAM,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "There is no default mail program defined. Please define your "
                       "default mail program in Internet Options.")},
    {IDS_NO_NEWS_PROGRAM,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "There is no default news program defined. Please define your "
                       "default news program in Internet Options.")},
    {IDS_CANNOT_START_MAIL,
     QT_TRANSLATE_NOOP("Quillbrow", "Quillbrow cannot start default mail program: ")},
    {IDS_CANNOT_START_NEWS,
     QT_TRANSLATE_NOOP("Quillbrow", "Quillbrow cannot start default news program: ")},
    {IDS_CONFIRM_SYNCHRONIZE,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "This command will update all your offline folders. Do you "
                       "want to continue?")},
    {IDS_SYNCHRONIZE_FAILED,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow failed to start Synchronize Manager. Please use Qt "
                       "WebEngine to synchronize your offline folders.")},
    {IDS_SYNCHRONIZE_CAPTION, QT_TRANSLATE_NOOP("Quillbrow", "Synchronize")},
    {IDS_CONFIRM_EXIT_APP, QT_TRANSLATE_NOOP("Quillbrow", "Do you want to exit Quillbrow?")},
    {IDS_CONFIRM_CLOSE_ALL, QT_TRANSLATE_NOOP("Quillbrow", "Are you going to close all windows?")},
    {IDS_CONFIRM_USER_CLOSE,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "The web page you are viewing is trying to close the window. "
                       "Do you want to close current window?")},
    {IDS_VERSION, QT_TRANSLATE_NOOP("Quillbrow", "1.01c")},
    {IDS_CONFIRM_CLOSE_ALL_EX,
     QT_TRANSLATE_NOOP("Quillbrow", "Are you going to close all windows except selected one?")},
    {IDS_OPTIONS_CAPTION, QT_TRANSLATE_NOOP("Quillbrow", "Quillbrow Options")},
    {IDS_EMPTY_CUSTOM_PAGE,
     QT_TRANSLATE_NOOP("Quillbrow", "Invalid address. It cannot be empty here.")},
    {IDS_CONFIRM_CLEAR_ADDRESS,
     QT_TRANSLATE_NOOP("Quillbrow", "Are you going to clear all the addresses?")},
    {IDS_AUTOCLOSE_COLUMN_LINK, QT_TRANSLATE_NOOP("Quillbrow", "Link")},
    {IDS_AUTOCLOSE_COLUMN_STATUS, QT_TRANSLATE_NOOP("Quillbrow", "Status")},
    {IDS_AUTOCLOSE_ENABLED, QT_TRANSLATE_NOOP("Quillbrow", "Enabled")},
    {IDS_AUTOCLOSE_DISABLED, QT_TRANSLATE_NOOP("Quillbrow", "Disabled")},
    {IDS_AUTOCLOSE_DUPLICATE,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "\"%address%\" is already in the address list. Please enter "
                       "an address different.")},
    {IDS_CONFIRM_DELETE_AUTOCLOSE,
     QT_TRANSLATE_NOOP("Quillbrow", "Are you going to delete address \"%address%\"?")},
    {IDS_AUTOCLOSE_ADDED,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "\"%address%\" has been added into AutoClose list successfully.")},
    {IDS_ADDRESSES_CLEARED, QT_TRANSLATE_NOOP("Quillbrow", "The addresses list has been cleared.")},
    {IDS_NO_PRINT_PREVIEW,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Print Preview is not available in the current version of Qt WebEngine "
                       "installed on this computer.\n\nQt WebEngine implements print preview in "
                       "version 5.5 and later. Please upgrade your Qt WebEngine to the latest "
                       "version.")},
    {IDS_NOT_DEFAULT_BROWSER,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow is not the default browser. Do you want to make "
                       "Quillbrow the default browser?")},
    {IDS_DONT_CHECK_ON_START,
     QT_TRANSLATE_NOOP("Quillbrow", "&Don't perform this check on start up")},
    {IDS_CONFIRM_SET_DEFAULT,
     QT_TRANSLATE_NOOP("Quillbrow", "Are you going to make Quillbrow the default browser?")},
    {IDS_INVALID_ENGINE_VERSION,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Invalid version of Qt WebEngine.\n\nQuillbrow requires Qt "
                       "WebEngine %version% or above.")},
    {IDS_WEB_SITE_ADDRESS, QT_TRANSLATE_NOOP("Quillbrow", "https://www.quillbrow.example/")},
    {IDS_EMAIL_ADDRESS, QT_TRANSLATE_NOOP("Quillbrow", "dev@quillbrow.example")},
    {IDS_FILE_NOT_FOUND,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow could not find following file in specified "
                       "location. Please reinstall Quillbrow to recover "
                       "it.\n\n\"%filename%\"")},
    {IDS_CANNOT_RESOLVE_LINK,
     QT_TRANSLATE_NOOP("Quillbrow", "Quillbrow failed to resolve following link:\n\n\"%link%\"")},
    {IDS_CANNOT_OPEN_LINK,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow could not find a program to open following link:\n\n\"%link%\"")},
    {IDS_POPUP_CLOSED, QT_TRANSLATE_NOOP("Quillbrow", "Closed a pop-up window: %address%")},
    {IDS_POPUPS_REFUSED,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Too many pop-up windows at once: refused the rest from %address%")},
    {IDS_CONFIRM_DELETE_COOKIES,
     QT_TRANSLATE_NOOP("Quillbrow", "Are you going to delete all cookies?")},
    {IDS_CONFIRM_DELETE_FILES,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Are you going to delete all the files the web engine keeps to show "
                       "pages faster?")},
    {IDS_CONFIRM_CLEAR_HISTORY,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Are you going to clear the history of the addresses you typed and the "
                       "pages you visited?")},

    {IDS_FAVORITES_NOT_SHOWN,
     QT_TRANSLATE_NOOP("Quillbrow", "%count% more items of this folder are not shown")},
    {IDS_FAVORITES_NO_FOLDER,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow cannot open or create your Favorites folder:\n\n\"%filename%\"")},
    {IDS_FAVORITE_NOT_SAVED,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow could not save the favorite in following folder:\n\n"
                       "\"%filename%\"")},
    {IDS_FAVORITES_FOLDER_NOT_MADE,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow could not create following folder:\n\n\"%filename%\"")},
    {IDS_FAVORITE_NOT_CHANGED,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow could not change following item of your Favorites:\n\n"
                       "\"%filename%\"")},
    {IDS_CONFIRM_DELETE_FAVORITE,
     QT_TRANSLATE_NOOP("Quillbrow", "Are you going to delete \"%filename%\" from your Favorites?")},
    {IDS_CONFIRM_DELETE_FAVORITES_FOLDER,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Are you going to delete the folder \"%filename%\" and everything in it?")},
    {IDS_IMPORT_CANNOT_READ,
     QT_TRANSLATE_NOOP("Quillbrow", "Quillbrow cannot read following file:\n\n\"%filename%\"")},
    {IDS_IMPORT_TOO_LARGE,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Following file is larger than 32 MB, too large for a bookmark file. "
                       "Nothing has been imported.\n\n\"%filename%\"")},
    {IDS_IMPORT_NOT_BOOKMARKS,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Following file is not a bookmark file. Nothing has been imported.\n\n"
                       "\"%filename%\"")},
    {IDS_IMPORT_EMPTY,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Following bookmark file holds no favorites. Nothing has been "
                       "imported.\n\n\"%filename%\"")},
    {IDS_IMPORT_TOO_MANY,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Following bookmark file holds more than 50,000 favorites, or folders "
                       "nested more than 64 deep. Nothing has been imported.\n\n\"%filename%\"")},
    {IDS_IMPORT_CANNOT_WRITE,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow could not write following item into your Favorites, so "
                       "nothing has been imported:\n\n\"%filename%\"")},
    {IDS_IMPORT_DONE, QT_TRANSLATE_NOOP("Quillbrow", "%count% favorites have been imported.")},
    {IDS_EXPORT_CANNOT_WRITE,
     QT_TRANSLATE_NOOP("Quillbrow", "Quillbrow could not write following file:\n\n\"%filename%\"")},
    {IDS_EXPORT_DONE,
     QT_TRANSLATE_NOOP("Quillbrow", "Your favorites have been exported to \"%filename%\".")},

    {IDS_DOWNLOAD_FILE_MISSING,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "\"%filename%\" cannot be found. It may have been moved or deleted.")},
    {IDS_DOWNLOAD_CANNOT_OPEN,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow cannot open \"%filename%\". No program is set up to open it.")},
    {IDS_SIGN_IN_SITE,
     QT_TRANSLATE_NOOP("Quillbrow", "The site %address% asks for a user name and password.")},
    {IDS_SIGN_IN_PROXY,
     QT_TRANSLATE_NOOP("Quillbrow", "The proxy %address% asks for a user name and password.")},
    {IDS_SIGN_IN_SITE_REALM, QT_TRANSLATE_NOOP("Quillbrow", "The site says: \"%realm%\"")},
    {IDS_SIGN_IN_PROXY_REALM, QT_TRANSLATE_NOOP("Quillbrow", "The proxy says: \"%realm%\"")},
    {IDS_SIGN_IN_RETRY,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "The user name or password was not accepted. Please try again.")},
    {IDS_SIGN_IN_CAPTION, QT_TRANSLATE_NOOP("Quillbrow", "Sign In")},
    {IDS_CONFIRM_LEAVE_ON_CLOSE,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "The web page you are closing asks you to confirm that you want to leave "
                       "it. Changes you made on it may not be saved.\n\nDo you want to close "
                       "this window?")},
    {IDS_EXTERNAL_LINK_ASK,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "This page wants to open a \"%scheme%:\" link with %program%:\n\n"
                       "%address%\n\nDo you want to open links like this one with %program%? "
                       "Your answer holds until you close Quillbrow.")},
    {IDS_EXTERNAL_LINK_NO_PROGRAM,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow cannot open this link:\n\n%address%\n\nNo program on this "
                       "computer is set up to open \"%scheme%:\" links.")},
    {IDS_EXTERNAL_LINK_CANNOT_START,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "%program% could not be started to open this link:\n\n%address%")},
    {IDS_EXTERNAL_LINK_CAPTION, QT_TRANSLATE_NOOP("Quillbrow", "Open Link")},
    {IDS_PERMISSION_CAMERA,
     QT_TRANSLATE_NOOP("Quillbrow", "%site% wants to use your camera. Allow?")},
    {IDS_PERMISSION_MICROPHONE,
     QT_TRANSLATE_NOOP("Quillbrow", "%site% wants to use your microphone. Allow?")},
    {IDS_PERMISSION_CAMERA_MICROPHONE,
     QT_TRANSLATE_NOOP("Quillbrow", "%site% wants to use your camera and microphone. Allow?")},
    {IDS_PERMISSION_LOCATION,
     QT_TRANSLATE_NOOP("Quillbrow", "%site% wants to know your location. Allow?")},
    {IDS_PERMISSION_NOTIFICATIONS,
     QT_TRANSLATE_NOOP("Quillbrow", "%site% wants to show you notifications. Allow?")},
    {IDS_PERMISSION_SCREEN,
     QT_TRANSLATE_NOOP("Quillbrow", "%site% wants to see your screen. Allow?")},
    {IDS_PERMISSION_SCREEN_AUDIO,
     QT_TRANSLATE_NOOP("Quillbrow", "%site% wants to see your screen and hear its sound. Allow?")},
    {IDS_PERMISSION_MOUSE_LOCK,
     QT_TRANSLATE_NOOP("Quillbrow", "%site% wants to take over your mouse pointer. Allow?")},
    {IDS_CONFIRM_REOPEN_WINDOWS,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Quillbrow did not close normally the last time. Do you want to open "
                       "the windows that were open then again?\n\n%windows%")},

    {IDS_APP_TITLE, QT_TRANSLATE_NOOP("Quillbrow", "Quillbrow")},
    {IDS_IDLE_MESSAGE, QT_TRANSLATE_NOOP("Quillbrow", "Ready")},

    {ID_FILE_NEW_BLANK, QT_TRANSLATE_NOOP("Quillbrow", "Open a new blank window\nNew Blank")},
    {ID_FILE_NEW_HOME, QT_TRANSLATE_NOOP("Quillbrow", "Open a new window with homepage\nNew Home")},
    {ID_FILE_NEW_CURRENT,
     QT_TRANSLATE_NOOP("Quillbrow", "Open a new window with current location\nNew Current")},
    {ID_FILE_OPEN, QT_TRANSLATE_NOOP("Quillbrow", "Open an existing document\nOpen")},
    {ID_FILE_CLOSE, QT_TRANSLATE_NOOP("Quillbrow", "Close the active document\nClose")},
    {ID_FILE_CLOSE_ALL, QT_TRANSLATE_NOOP("Quillbrow", "Close all windows\nClose All")},
    {ID_FILE_CLOSE_ALL_EXCEPT_CURRENT,
     QT_TRANSLATE_NOOP("Quillbrow", "Close all windows except current")},
    {ID_FILE_SAVE_AS,
     QT_TRANSLATE_NOOP("Quillbrow", "Save the active document with a new name\nSave As")},
    {ID_FILE_PAGE_SETUP, QT_TRANSLATE_NOOP("Quillbrow", "Change the printing options\nPage Setup")},
    {ID_FILE_PRINT_PREVIEW,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Preview the print result of selected document\nPrint Preview")},
    {ID_FILE_PRINT, QT_TRANSLATE_NOOP("Quillbrow", "Print the active document\nPrint")},
    {ID_FILE_PROPERTIES,
     QT_TRANSLATE_NOOP("Quillbrow", "Display properties of current document\nProperties")},
    {ID_FILE_WORK_OFFLINE,
     QT_TRANSLATE_NOOP("Quillbrow", "Toggle working state between online and offline")},
    {ID_APP_EXIT, QT_TRANSLATE_NOOP("Quillbrow", "Quit Quillbrow")},

    {ID_EDIT_CUT,
     QT_TRANSLATE_NOOP("Quillbrow", "Cut the selection and put it on the Clipboard\nCut")},
    {ID_EDIT_COPY,
     QT_TRANSLATE_NOOP("Quillbrow", "Copy the selection and put it on the Clipboard\nCopy")},
    {ID_EDIT_PASTE, QT_TRANSLATE_NOOP("Quillbrow", "Insert Clipboard contents\nPaste")},
    {ID_EDIT_SELECT_ALL, QT_TRANSLATE_NOOP("Quillbrow", "Select the entire document\nSelect All")},
    {ID_EDIT_FIND, QT_TRANSLATE_NOOP("Quillbrow", "Find the specified text\nFind")},

    {ID_VIEW_TOOLBAR,
     QT_TRANSLATE_NOOP("Quillbrow", "Show or hide the standard buttons\nToggle Standard Buttons")},
    {ID_VIEW_ADDRESS_BAR, QT_TRANSLATE_NOOP("Quillbrow", "Show or hide the address bar")},
    {ID_VIEW_WINDOWS_BAR, QT_TRANSLATE_NOOP("Quillbrow", "Show or hide the windows bar")},
    {ID_VIEW_CUSTOMIZE_TOOLBAR, QT_TRANSLATE_NOOP("Quillbrow", "Customize the buttons in Toolbar")},
    {ID_VIEW_CLEAR_ADDRESSES,
     QT_TRANSLATE_NOOP("Quillbrow", "Clear the addresses in the address combo")},
    {ID_VIEW_STATUS_BAR,
     QT_TRANSLATE_NOOP("Quillbrow", "Show or hide the status bar\nToggle StatusBar")},
    {ID_VIEW_REFRESH, QT_TRANSLATE_NOOP("Quillbrow", "Refresh current page\nRefresh")},
    {ID_VIEW_REFRESH_ALL, QT_TRANSLATE_NOOP("Quillbrow", "Refresh all pages\nRefresh All")},
    {ID_VIEW_FONT_LARGEST, QT_TRANSLATE_NOOP("Quillbrow", "Select lagest font size")},
    {ID_VIEW_FONT_LARGER, QT_TRANSLATE_NOOP("Quillbrow", "Select larger font size")},
    {ID_VIEW_FONT_SMALLER, QT_TRANSLATE_NOOP("Quillbrow", "Select smaller font size")},
    {ID_VIEW_FONT_SMALLEST, QT_TRANSLATE_NOOP("Quillbrow", "Select smallest font size")},
    {ID_VIEW_ADD_TO_AUTOCLOSE,
     QT_TRANSLATE_NOOP("Quillbrow", "Add current page into AutoClose list")},
    {ID_VIEW_SOURCE, QT_TRANSLATE_NOOP("Quillbrow", "View the source of current page")},
    {ID_VIEW_FULL_SCREEN, QT_TRANSLATE_NOOP("Quillbrow", "Toggle Full Screen Mode\nFull Screen")},

    {ID_GO_BACK, QT_TRANSLATE_NOOP("Quillbrow", "Go to previous page\nBack")},
    {ID_GO_FORWARD, QT_TRANSLATE_NOOP("Quillbrow", "Go to next page\nForward")},
    {ID_GO_STOP, QT_TRANSLATE_NOOP("Quillbrow", "Stop downloading current page\nStop")},
    {ID_GO_STOP_ALL, QT_TRANSLATE_NOOP("Quillbrow", "Stop downloading all pages\nStop All")},
    {ID_GO_HOME, QT_TRANSLATE_NOOP("Quillbrow", "Go to homepage\nHomepage")},
    {ID_GO_SEARCH, QT_TRANSLATE_NOOP("Quillbrow", "Go to search page\nSearch")},

    {ID_FAVORITES_ADD, QT_TRANSLATE_NOOP("Quillbrow", "Add current location to your favorites")},
    {ID_FAVORITES_ORGANIZE, QT_TRANSLATE_NOOP("Quillbrow", "Organize your favorites")},
    {ID_FAVORITES_IMPORT, QT_TRANSLATE_NOOP("Quillbrow", "Import favorites from file")},
    {ID_FAVORITES_EXPORT, QT_TRANSLATE_NOOP("Quillbrow", "Export favorites to file")},
    {ID_TOOLS_MAIL, QT_TRANSLATE_NOOP("Quillbrow", "Open your mail application\nMail")},
    {ID_TOOLS_NEWS, QT_TRANSLATE_NOOP("Quillbrow", "Open your news application\nNews")},
    {ID_TOOLS_SYNCHRONIZE,
     QT_TRANSLATE_NOOP("Quillbrow", "Update all offline contents\nSynchronize")},
    {ID_TOOLS_DOWNLOADS,
     QT_TRANSLATE_NOOP("Quillbrow",
                       "Show the files you downloaded and those still coming\nDownloads")},
    {ID_TOOLS_OPTIONS, QT_TRANSLATE_NOOP("Quillbrow", "Change Quillbrow Settings")},
    {ID_TOOLS_INTERNET_OPTIONS, QT_TRANSLATE_NOOP("Quillbrow", "Change Internet Settings")},
    {ID_WINDOW_CASCADE,
     QT_TRANSLATE_NOOP("Quillbrow", "Arrange windows so they overlap\nCascade Windows")},
    {ID_WINDOW_TILE_HORZ,
     QT_TRANSLATE_NOOP("Quillbrow", "Arrange windows as non-overlapping tiles\nTile Windows")},
    {ID_WINDOW_TILE_VERT,
     QT_TRANSLATE_NOOP("Quillbrow", "Arrange windows as non-overlapping tiles\nTile Windows")},
    {ID_WINDOW_ARRANGE,
     QT_TRANSLATE_NOOP("Quillbrow", "Arrange icons at the bottom of the window\nArrange Windows")},
    {ID_WINDOW_PREVIOUS, QT_TRANSLATE_NOOP("Quillbrow", "Activate previous window")},
    {ID_WINDOW_NEXT, QT_TRANSLATE_NOOP("Quillbrow", "Activate next window")},
    {ID_HELP_CONTENTS, QT_TRANSLATE_NOOP("Quillbrow", "Help contents of Quillbrow")},
    {ID_HELP_WEB_SITE, QT_TRANSLATE_NOOP("Quillbrow", "Visit Web Site of Quillbrow")},
    {ID_APP_ABOUT, QT_TRANSLATE_NOOP("Quillbrow", "Display information about Quillbrow\nAbout")},

    {ID_TAB_ADD_TO_FAVORITES, QT_TRANSLATE_NOOP("Quillbrow", "Add this page into your Favorites")},
    {ID_TAB_ADD_TO_AUTOCLOSE,
     QT_TRANSLATE_NOOP("Quillbrow", "Add selected page into AutoClose list")},
    {ID_TAB_BACK, QT_TRANSLATE_NOOP("Quillbrow", "Go to previous page")},
    {ID_TAB_FORWARD, QT_TRANSLATE_NOOP("Quillbrow", "Go to next page")},
    {ID_TAB_STOP, QT_TRANSLATE_NOOP("Quillbrow", "Stop downloading this page")},
    {ID_TAB_REFRESH, QT_TRANSLATE_NOOP("Quillbrow", "Refresh this page")},
    {ID_TAB_CLOSE, QT_TRANSLATE_NOOP("Quillbrow", "Close this window")},
    {ID_TAB_CLOSE_ALL_EXCEPT_THIS, QT_TRANSLATE_NOOP("Quillbrow", "Close all windows except this")},

    {ID_TOOLBAR_FAVORITES, QT_TRANSLATE_NOOP("Quillbrow", "Open or manage favorites\nFavories")},
    {ID_TOOLBAR_TEXT_SIZE,
     QT_TRANSLATE_NOOP("Quillbrow", "Change the text size of the page\nText Size")},
};

const char *FindText(int nId)
{
    const auto it = std::find_if(std::begin(kStringTable), std::end(kStringTable),
                                 [nId](const SStringEntry &entry) { return entry.nId == nId; });
    return it == std::end(kStringTable) ? nullptr : it->pszText;
}

} // namespace

QString LoadString(int nId)
{
    const char *pszText = FindText(nId);
    return pszText ? QCoreApplication::translate(kContext, pszText) : QString();
}

QString SourceString(int nId)
{
    const char *pszText = FindText(nId);
    return pszText ? QString::fromUtf8(pszText) : QString();
}

QString ReplacePlaceholder(QString text, const QString &placeholder, const QString &value)
{
    if (placeholder.isEmpty())
        return text;
    // QString::replace takes value literally and does not rescan it, so an address
    // that itself contains "%address%" or "%1" comes through unchanged.
    return text.replace(placeholder, value);
}

QString LoadStringWith(int nId, const QString &placeholder, const QString &value)
{
    const QChar percent(u'%');
    QString name = placeholder;
    if (!name.isEmpty() && !(name.size() > 1 && name.startsWith(percent) && name.endsWith(percent)))
        name = percent + name + percent;
    return ReplacePlaceholder(LoadString(nId), name, value);
}

QList<int> StringTableIds()
{
    QList<int> ids;
    ids.reserve(static_cast<qsizetype>(std::size(kStringTable)));
    for (const SStringEntry &entry : kStringTable)
        ids.append(entry.nId);
    return ids;
}
