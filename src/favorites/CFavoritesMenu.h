#pragma once

#include "CFavoritesTable.h"

#include <QFont>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>

class CFavoritesMenuStyle;
class CQuillbrowView;
class IBrowserHost;
class QWidget;

// The Favorites menu and its commands: the public face of the Favorites library.
//
// The menu bar's "F&avorites" menu (which the toolbar's Favorites button opens too)
// is filled from the Favorites folder each time it opens, below its fixed commands:
// a separator, the sub-folders as sub-menus, the links, then "&Open All"; an empty
// folder shows one item of eight spaces. A sub-menu is filled each time it opens.
// Links and Open All items carry the command ids of CFavoritesTable; the frame
// routes them back to OpenFavorite and OpenFolderLinks.
//
// The Favorites folder is the value "Favorites" of the key "User Shell Folders" in
// the engine's store (environment variables expanded), by default "Favorites" in
// the program's data folder; it is made when missing.
class CFavoritesMenu : public QObject
{
    Q_OBJECT
public:
    // More items than this in one folder are left out of its menu, which says how
    // many; a longer menu would take too long to open and to look through.
    static constexpr int kMaxItemsPerMenu = 1000;

    // pTopMenu is the Favorites menu with its fixed commands; route sends a command
    // id through the frame's routing. Dialogs and messages are owned by pParent.
    CFavoritesMenu(IBrowserHost *pHost, QMenu *pTopMenu, std::function<void(int)> route,
                   QWidget *pParent);
    ~CFavoritesMenu() override;

    // The folder, made when it is missing. Empty when it cannot be made.
    static QString GetFavoritesFolder();
    static const QString kShellFoldersKey;
    static const QString kFavoritesValue;

    // The font the items are measured in.
    void SetMeasureFont(const QFont &font);

    // Fills a menu (the top-level one with bTop) from folder; the top-level menu
    // reads the Favorites folder itself and starts a new numbering.
    void BuildFavoritesMenu(QMenu *pMenu, const QString &folder, bool bTop);
    // Removes what BuildFavoritesMenu added.
    void ClearFavoritesMenu(QMenu *pMenu, bool bTop);

    // Command ids 4000 to 10000: opens the link in the active window, or in a new
    // one when none is open. A desktop link is resolved first.
    void OpenFavorite(int nID);
    // Command ids 2001 to 3199: opens each link of the folder in a new window.
    void OpenFolderLinks(int nID);
    // Add to Favorites for a window (the active one, or the Tab popup's).
    void AddToFavorites(CQuillbrowView *pView);
    void OrganizeFavorites();
    // Import (true) or Export (false) of a bookmark file the user chooses.
    void TransferFavorites(bool bImport);

    QMenu *TopMenu() const { return m_hFavoritesMenu; }
    CFavoritesMenuStyle *Style() const { return m_pStyle; }
    const CFavoritesTable &Table() const { return m_table; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool ResolveTarget(QString &target);
    QMenu *AddFolderItem(QMenu *pMenu, const QString &name, const QString &path);

    IBrowserHost *m_pHost;
    QPointer<QMenu> m_hFavoritesMenu;
    std::function<void(int)> m_route;
    QWidget *m_pParent;
    CFavoritesMenuStyle *m_pStyle;
    int m_nFixedItems = 0;
    CFavoritesTable m_table;
};
