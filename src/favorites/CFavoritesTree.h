#pragma once

#include <QString>

struct SFavoriteNode;
class QTreeWidget;
class QTreeWidgetItem;

// The Favorites folder shown in a tree view by the Add and Organize dialogs: the
// folder itself as the one top item, its folders and links below in menu order.
// Each item keeps its path on disk.
class CFavoritesTree
{
public:
    enum { PathRole = Qt::UserRole + 1, FolderRole, TargetRole };

    // Replaces the tree's items by the Favorites folder root, its top item titled
    // title; links are left out with bFoldersOnly. Returns the top item.
    static QTreeWidgetItem *Fill(QTreeWidget *pTree, const QString &root, const QString &title,
                                 bool bFoldersOnly);
    static QTreeWidgetItem *FindByPath(QTreeWidget *pTree, const QString &path);
    static QString PathOf(const QTreeWidgetItem *pItem);
    static bool IsFolder(const QTreeWidgetItem *pItem);
};
