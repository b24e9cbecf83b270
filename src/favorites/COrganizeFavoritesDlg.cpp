#include "COrganizeFavoritesDlg.h"

#include "CConfirmDlg.h"
#include "CErrorReport.h"
#include "CFavoritesFolder.h"
#include "CFavoritesTree.h"
#include "CFolderNameDlg.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace {
QList<std::function<void(COrganizeFavoritesDlg &)>> &PendingSessions()
{
    static QList<std::function<void(COrganizeFavoritesDlg &)>> sessions;
    return sessions;
}
} // namespace

const QString CFavoritesTreeView::kMimeType = QStringLiteral("application/x-quillbrow-favorites");

CFavoritesTreeView::CFavoritesTreeView(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setSelectionMode(SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setEditTriggers(EditKeyPressed | SelectedClicked);
}

QStringList CFavoritesTreeView::mimeTypes() const
{
    return {kMimeType};
}

QMimeData *CFavoritesTreeView::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    QStringList paths;
    for (const QTreeWidgetItem *item : items) {
        if (item && item->parent())
            paths << CFavoritesTree::PathOf(item);
    }
    auto *data = new QMimeData;
    data->setData(kMimeType, paths.join(u'\n').toUtf8());
    return data;
}

QString CFavoritesTreeView::DropFolder(const QPoint &pos) const
{
    const QTreeWidgetItem *item = itemAt(pos);
    if (!item)
        return CFavoritesTree::PathOf(topLevelItem(0));
    if (!CFavoritesTree::IsFolder(item))
        item = item->parent();
    return CFavoritesTree::PathOf(item);
}

void CFavoritesTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(kMimeType))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CFavoritesTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!event->mimeData()->hasFormat(kMimeType)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CFavoritesTreeView::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(kMimeType)) {
        event->ignore();
        return;
    }
    const QStringList paths
        = QString::fromUtf8(event->mimeData()->data(kMimeType)).split(u'\n', Qt::SkipEmptyParts);
    const QString folder = DropFolder(event->position().toPoint());
    // The move happens on disk, after the drag has ended; reported as a copy, the
    // drag leaves the view's items alone.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!paths.isEmpty() && !folder.isEmpty())
        emit moveRequested(paths, folder);
}

COrganizeFavoritesDlg::COrganizeFavoritesDlg(const QString &root, QWidget *parent)
    : QDialog(parent)
    , m_strRoot(QFileInfo(root).absoluteFilePath())
    , m_pTree(new CFavoritesTreeView(this))
    , m_pDetails(new QLabel(this))
    , m_pCreate(new QPushButton(tr("Create &Folder"), this))
    , m_pRename(new QPushButton(tr("&Rename"), this))
    , m_pDelete(new QPushButton(tr("&Delete"), this))
{
    setWindowTitle(tr("Organize Favorites"));
    auto *intro = new QLabel(tr("To create a new folder, click Create Folder. To rename or "
                                "delete an item, select it and click Rename or Delete. To "
                                "move an item, drag it onto a folder."),
                             this);
    intro->setWordWrap(true);
    m_pDetails->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pDetails->setWordWrap(true);
    m_pTree->setMinimumSize(320, 300);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *side = new QVBoxLayout;
    side->addWidget(intro);
    side->addSpacing(8);
    side->addWidget(m_pCreate);
    side->addWidget(m_pRename);
    side->addWidget(m_pDelete);
    side->addSpacing(16);
    side->addWidget(m_pDetails);
    side->addStretch();
    side->addWidget(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(side, 0);
    layout->addWidget(m_pTree, 1);
    intro->setFixedWidth(200);
    m_pDetails->setFixedWidth(200);

    connect(m_pCreate, &QPushButton::clicked, this, &COrganizeFavoritesDlg::OnCreateFolder);
    connect(m_pRename, &QPushButton::clicked, this, [this] {
        if (QTreeWidgetItem *item = m_pTree->currentItem(); item && item->parent())
            m_pTree->editItem(item);
    });
    connect(m_pDelete, &QPushButton::clicked, this, [this] { DeleteItem(m_pTree->currentItem()); });
    connect(m_pTree, &QTreeWidget::currentItemChanged, this,
            &COrganizeFavoritesDlg::OnCurrentItemChanged);
    connect(m_pTree, &QTreeWidget::itemChanged, this, &COrganizeFavoritesDlg::OnItemChanged);
    // After the drag or the editor is done with the tree's items.
    connect(
        m_pTree, &CFavoritesTreeView::moveRequested, this,
        [this](const QStringList &paths, const QString &folder) {
            for (const QString &path : paths)
                MoveItem(path, folder);
        },
        Qt::QueuedConnection);

    Reload(m_strRoot);
    resize(620, 420);
}

void COrganizeFavoritesDlg::Reload(const QString &selectPath)
{
    QSet<QString> expanded;
    for (QTreeWidgetItemIterator it(m_pTree); *it; ++it) {
        if ((*it)->isExpanded())
            expanded.insert(CFavoritesTree::PathOf(*it));
    }
    m_bFilling = true;
    QTreeWidgetItem *top = CFavoritesTree::Fill(m_pTree, m_strRoot, tr("Favorites"), false);
    for (QTreeWidgetItemIterator it(m_pTree); *it; ++it) {
        QTreeWidgetItem *item = *it;
        if (item == top)
            continue;
        Qt::ItemFlags flags = item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
        if (!CFavoritesTree::IsFolder(item))
            flags &= ~Qt::ItemIsDropEnabled;
        item->setFlags(flags);
        if (expanded.contains(CFavoritesTree::PathOf(item)))
            item->setExpanded(true);
    }
    m_bFilling = false;
    QTreeWidgetItem *selected = CFavoritesTree::FindByPath(m_pTree, selectPath);
    if (!selected && !selectPath.isEmpty())
        selected = CFavoritesTree::FindByPath(m_pTree, QFileInfo(selectPath).absolutePath());
    m_pTree->setCurrentItem(selected ? selected : top);
    for (QTreeWidgetItem *item = m_pTree->currentItem(); item; item = item->parent()) {
        if (item != m_pTree->currentItem())
            item->setExpanded(true);
    }
    OnCurrentItemChanged();
}

QTreeWidgetItem *COrganizeFavoritesDlg::FindItem(const QString &relativePath) const
{
    const QString path = relativePath.isEmpty()
        ? m_strRoot
        : QDir::cleanPath(QDir(m_strRoot).absoluteFilePath(relativePath));
    return CFavoritesTree::FindByPath(m_pTree, path);
}

QString COrganizeFavoritesDlg::DetailsText() const
{
    return m_pDetails->text();
}

void COrganizeFavoritesDlg::OnCurrentItemChanged()
{
    const QTreeWidgetItem *item = m_pTree->currentItem();
    const bool bMovable = item && item->parent();
    m_pRename->setEnabled(bMovable);
    m_pDelete->setEnabled(bMovable);
    if (!bMovable)
        m_pDetails->clear();
    else if (CFavoritesTree::IsFolder(item))
        m_pDetails->setText(item->text(0));
    else
        m_pDetails->setText(item->text(0) + u'\n'
                            + item->data(0, CFavoritesTree::TargetRole).toString());
}

void COrganizeFavoritesDlg::OnItemChanged(QTreeWidgetItem *pItem)
{
    if (m_bFilling || !pItem)
        return;
    const QString path = CFavoritesTree::PathOf(pItem);
    const QString name = pItem->text(0);
    // The editor is still closing; the tree is read again once it has.
    QMetaObject::invokeMethod(
        this,
        [this, path, name] {
            if (QTreeWidgetItem *item = CFavoritesTree::FindByPath(m_pTree, path))
                RenameItem(item, name);
        },
        Qt::QueuedConnection);
}

void COrganizeFavoritesDlg::ReportFailure(const QString &path)
{
    ShowErrorText(LoadStringWith(IDS_FAVORITE_NOT_CHANGED, u"%filename%"_qs, path), this);
}

QString COrganizeFavoritesDlg::OnCreateFolder()
{
    const QTreeWidgetItem *item = m_pTree->currentItem();
    if (item && !CFavoritesTree::IsFolder(item))
        item = item->parent();
    const QString parent = item ? CFavoritesTree::PathOf(item) : m_strRoot;
    CFolderNameDlg prompt(this);
    if (prompt.exec() != QDialog::Accepted)
        return QString();
    const QString path = CFavoritesFolder::CreateFolder(parent, prompt.Name());
    if (path.isEmpty()) {
        ShowErrorText(LoadStringWith(IDS_FAVORITES_FOLDER_NOT_MADE, u"%filename%"_qs,
                                     QDir(parent).absoluteFilePath(prompt.Name())),
                      this);
        return QString();
    }
    Reload(path);
    return path;
}

QString COrganizeFavoritesDlg::RenameItem(QTreeWidgetItem *pItem, const QString &name)
{
    const QString path = CFavoritesTree::PathOf(pItem);
    if (!pItem || !pItem->parent() || name.trimmed().isEmpty()) {
        Reload(path);
        return QString();
    }
    const QString newPath = CFavoritesFolder::Rename(path, name.trimmed());
    if (newPath.isEmpty()) {
        ReportFailure(path);
        Reload(path);
        return QString();
    }
    Reload(newPath);
    return newPath;
}

QString COrganizeFavoritesDlg::MoveItem(const QString &path, const QString &folder)
{
    // Dropped onto itself or into a folder of its own: nothing to do.
    if (QFileInfo(path).isDir() && CFavoritesFolder::IsInside(folder, path))
        return QString();
    const QString newPath = CFavoritesFolder::Move(path, folder);
    if (newPath.isEmpty()) {
        ReportFailure(path);
        Reload(path);
        return QString();
    }
    Reload(newPath);
    return newPath;
}

bool COrganizeFavoritesDlg::DeleteItem(QTreeWidgetItem *pItem)
{
    if (!pItem || !pItem->parent())
        return false;
    const QString path = CFavoritesTree::PathOf(pItem);
    const int nQuestion = CFavoritesTree::IsFolder(pItem) ? IDS_CONFIRM_DELETE_FAVORITES_FOLDER
                                                          : IDS_CONFIRM_DELETE_FAVORITE;
    CConfirmDlg question(this, LoadStringWith(nQuestion, u"%filename%"_qs, pItem->text(0)),
                         Mb::YesNo | Mb::IconQuestion, false);
    if (question.exec() != IDYES)
        return false;
    const bool bRemoved = CFavoritesFolder::Remove(path);
    if (!bRemoved)
        ReportFailure(path);
    Reload(QFileInfo(path).absolutePath());
    return bRemoved;
}

void COrganizeFavoritesDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && !m_pTree->IsEditing()) {
        DeleteItem(m_pTree->currentItem());
        return;
    }
    QDialog::keyPressEvent(event);
}

int COrganizeFavoritesDlg::exec()
{
    if (!PendingSessions().isEmpty()) {
        const auto session = PendingSessions().takeFirst();
        session(*this);
        setResult(Accepted);
        return Accepted;
    }
    return QDialog::exec();
}

void COrganizeFavoritesDlg::SetNextSession(std::function<void(COrganizeFavoritesDlg &)> session)
{
    PendingSessions().append(std::move(session));
}

bool COrganizeFavoritesDlg::HasPendingSessions()
{
    return !PendingSessions().isEmpty();
}

void COrganizeFavoritesDlg::ClearNextSessions()
{
    PendingSessions().clear();
}
