#include "CFavoritesTree.h"

#include "CFavoritesFolder.h"
#include "CFavoritesMenuStyle.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
void AddChildren(QTreeWidgetItem *pParent, const SFavoriteNode &node, bool bFoldersOnly)
{
    for (const SFavoriteNode &child : node.m_children) {
        const SFavoriteItem &item = child.m_item;
        if (bFoldersOnly && !item.m_bFolder)
            continue;
        auto *pItem = new QTreeWidgetItem(pParent, {item.m_strName});
        pItem->setIcon(0,
                       item.m_bFolder ? CFavoritesMenuStyle::FolderIcon()
                                      : CFavoritesMenuStyle::PageIcon());
        pItem->setData(0, CFavoritesTree::PathRole, item.m_strPath);
        pItem->setData(0, CFavoritesTree::FolderRole, item.m_bFolder);
        pItem->setData(0, CFavoritesTree::TargetRole, item.m_strTarget);
        pItem->setToolTip(0, item.m_bFolder ? item.m_strPath : item.m_strTarget);
        if (item.m_bFolder)
            AddChildren(pItem, child, bFoldersOnly);
    }
}
} // namespace

QTreeWidgetItem *CFavoritesTree::Fill(QTreeWidget *pTree, const QString &root, const QString &title,
                                      bool bFoldersOnly)
{
    pTree->clear();
    const SFavoriteNode node = CFavoritesFolder::ScanTree(root);
    auto *pTop = new QTreeWidgetItem(pTree, {title});
    pTop->setIcon(0, CFavoritesMenuStyle::FolderIcon());
    pTop->setData(0, PathRole, node.m_item.m_strPath);
    pTop->setData(0, FolderRole, true);
    // The folder itself is neither renamed nor moved.
    pTop->setFlags(pTop->flags() & ~(Qt::ItemIsEditable | Qt::ItemIsDragEnabled));
    AddChildren(pTop, node, bFoldersOnly);
    pTop->setExpanded(true);
    return pTop;
}

QTreeWidgetItem *CFavoritesTree::FindByPath(QTreeWidget *pTree, const QString &path)
{
    for (QTreeWidgetItemIterator it(pTree); *it; ++it) {
        if (PathOf(*it) == path)
            return *it;
    }
    return nullptr;
}

QString CFavoritesTree::PathOf(const QTreeWidgetItem *pItem)
{
    return pItem ? pItem->data(0, PathRole).toString() : QString();
}

bool CFavoritesTree::IsFolder(const QTreeWidgetItem *pItem)
{
    return pItem && pItem->data(0, FolderRole).toBool();
}
