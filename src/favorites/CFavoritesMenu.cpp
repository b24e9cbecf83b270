#include "CFavoritesMenu.h"

#include "CAddFavoriteDlg.h"
#include "CBookmarkFile.h"
#include "CConfirmDlg.h"
#include "CDesktopLink.h"
#include "CErrorReport.h"
#include "CFavoritesFolder.h"
#include "CFavoritesMenuStyle.h"
#include "CFileDialog.h"
#include "COrganizeFavoritesDlg.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "IBrowserHost.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>

#include <optional>

namespace {
const QString kFileName = QStringLiteral("%filename%");
const QString kDesktopSuffix = QStringLiteral(".desktop");
const QString kEightSpaces = QStringLiteral("        ");

// A desktop link is kept as the path of its file, an Internet shortcut as its address.
bool IsDesktopLinkPath(const QString &target)
{
    return target.startsWith(u'/') && target.endsWith(kDesktopSuffix, Qt::CaseInsensitive)
        && target.size() > kDesktopSuffix.size() + 1;
}

// The place a stored value names, whether or not it exists.
QString FavoritesLocation()
{
    QString stored;
    RegReadString(ERegRoot::Engine, CFavoritesMenu::kShellFoldersKey,
                  CFavoritesMenu::kFavoritesValue, stored);
    return CFavoritesFolder::Locate(stored);
}

class CBusyCursor
{
public:
    explicit CBusyCursor(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~CBusyCursor() { QApplication::restoreOverrideCursor(); }
    CBusyCursor(const CBusyCursor &) = delete;
    CBusyCursor &operator=(const CBusyCursor &) = delete;
};
} // namespace

const QString CFavoritesMenu::kShellFoldersKey = QStringLiteral("User Shell Folders");
const QString CFavoritesMenu::kFavoritesValue = QStringLiteral("Favorites");

CFavoritesMenu::CFavoritesMenu(IBrowserHost *pHost, QMenu *pTopMenu, std::function<void(int)> route,
                               QWidget *pParent)
    : QObject(pParent)
    , m_pHost(pHost)
    , m_hFavoritesMenu(pTopMenu)
    , m_route(std::move(route))
    , m_pParent(pParent)
    , m_pStyle(new CFavoritesMenuStyle)
{
    m_pStyle->setParent(this);
    if (!pTopMenu)
        return;
    m_nFixedItems = int(pTopMenu->actions().size());
    pTopMenu->setStyle(m_pStyle);
    pTopMenu->installEventFilter(this);
    connect(pTopMenu, &QMenu::aboutToShow, this,
            [this] { BuildFavoritesMenu(m_hFavoritesMenu, QString(), true); });
}

CFavoritesMenu::~CFavoritesMenu()
{
    // The menus outlive this object by a moment; they must not keep its style.
    if (m_hFavoritesMenu) {
        ClearFavoritesMenu(m_hFavoritesMenu, true);
        m_hFavoritesMenu->setStyle(nullptr);
    }
}

QString CFavoritesMenu::GetFavoritesFolder()
{
    const QString folder = FavoritesLocation();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return QString();
    return folder;
}

bool CFavoritesMenu::eventFilter(QObject *watched, QEvent *event)
{
    // A menu opened from the menu bar passes its status texts to the bar, which is
    // inside the frame. Opened from the toolbar's button, the menu has only itself to
    // tell; being a window of its own, it would not pass them on to the frame.
    if (event->type() == QEvent::StatusTip && m_pParent && watched != m_pParent) {
        QCoreApplication::sendEvent(m_pParent, event);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CFavoritesMenu::SetMeasureFont(const QFont &font)
{
    m_pStyle->SetMeasureFont(font);
}

QMenu *CFavoritesMenu::AddFolderItem(QMenu *pMenu, const QString &name, const QString &path)
{
    auto *sub = new QMenu(name, pMenu);
    sub->setStyle(m_pStyle);
    sub->installEventFilter(this);
    sub->menuAction()->setIcon(CFavoritesMenuStyle::FolderIcon());
    pMenu->addMenu(sub);
    connect(sub, &QMenu::aboutToShow, this,
            [this, sub, path] { BuildFavoritesMenu(sub, path, false); });
    return sub;
}

void CFavoritesMenu::BuildFavoritesMenu(QMenu *pMenu, const QString &folder, bool bTop)
{
    if (!pMenu)
        return;
    ClearFavoritesMenu(pMenu, bTop);
    // The whole folder is read while the user waits for the menu.
    std::optional<CBusyCursor> busy;
    if (bTop)
        busy.emplace(Qt::BusyCursor);
    const SFolderListing listing = CFavoritesFolder::Scan(bTop ? GetFavoritesFolder() : folder);

    if (bTop && (!listing.m_folders.isEmpty() || !listing.m_links.isEmpty()))
        pMenu->addSeparator();
    int nRoom = kMaxItemsPerMenu;
    int nLeftOut = 0;
    for (const SFavoriteItem &item : listing.m_folders) {
        if (nRoom == 0) {
            ++nLeftOut;
            continue;
        }
        --nRoom;
        AddFolderItem(pMenu, item.m_strName, item.m_strPath);
    }
    QList<int> entries;
    for (const SFavoriteItem &item : listing.m_links) {
        const int nEntry = nRoom > 0 ? m_table.AddEntry(item.m_strName, item.m_strTarget) : -1;
        if (nEntry < 0) {
            ++nLeftOut;
            continue;
        }
        --nRoom;
        const int nID = CFavoritesTable::LinkId(nEntry);
        QAction *link = pMenu->addAction(CFavoritesMenuStyle::PageIcon(), item.m_strName);
        link->setData(nID);
        // Items of one entry show its target, whichever of them added it.
        link->setStatusTip(tr("Open %1").arg(m_table.Target(nEntry)));
        // Queued, so the command never runs inside the menu's own handling.
        connect(
            link, &QAction::triggered, this, [this, nID] { m_route(nID); }, Qt::QueuedConnection);
        if (!entries.contains(nEntry))
            entries.append(nEntry);
    }
    if (!entries.isEmpty()) {
        pMenu->addSeparator();
        QAction *openAll = pMenu->addAction(LoadString(IDS_FAVORITES_OPEN_ALL));
        const int nRange = m_table.AddRange(entries);
        if (nRange < 0) {
            openAll->setEnabled(false);
        } else {
            const int nID = CFavoritesTable::RangeId(nRange);
            openAll->setData(nID);
            openAll->setStatusTip(LoadString(IDS_OPEN_ALL_LINKS_PROMPT));
            connect(
                openAll, &QAction::triggered, this, [this, nID] { m_route(nID); },
                Qt::QueuedConnection);
        }
    }
    if (nLeftOut > 0) {
        pMenu->addSeparator();
        pMenu
            ->addAction(
                LoadStringWith(IDS_FAVORITES_NOT_SHOWN, u"%count%"_qs, QString::number(nLeftOut)))
            ->setEnabled(false);
    }
    if (listing.m_folders.isEmpty() && listing.m_links.isEmpty())
        pMenu->addAction(kEightSpaces);
}

void CFavoritesMenu::ClearFavoritesMenu(QMenu *pMenu, bool bTop)
{
    if (!pMenu)
        return;
    if (bTop)
        m_table.Clear();
    const auto actions = pMenu->actions();
    for (qsizetype i = bTop ? m_nFixedItems : 0; i < actions.size(); ++i) {
        QAction *action = actions.at(i);
        if (QMenu *sub = action->menu(); sub && sub->parent() == pMenu)
            delete sub;
        else if (action->parent() == pMenu)
            delete action;
        else
            pMenu->removeAction(action);
    }
}

bool CFavoritesMenu::ResolveTarget(QString &target)
{
    if (!IsDesktopLinkPath(target))
        return true;
    QString resolved;
    if (CDesktopLink::Resolve(target, resolved)) {
        target = resolved;
        return true;
    }
    CConfirmDlg dlg(m_pParent, LoadStringWith(IDS_CANNOT_RESOLVE_LINK, u"%link%"_qs, target),
                    Mb::Ok | Mb::IconStop, false);
    dlg.exec();
    return false;
}

void CFavoritesMenu::OpenFavorite(int nID)
{
    const int nEntry = m_table.EntryOfId(nID);
    if (nEntry < 0)
        return;
    QString target = m_table.Target(nEntry);
    CQuillbrowView *view = m_pHost->GetActiveHtmlView();
    if (!view)
        view = m_pHost->CreateNewWindow(true, true);
    if (!view || !ResolveTarget(target))
        return;
    view->Navigate2(target);
}

void CFavoritesMenu::OpenFolderLinks(int nID)
{
    const int nRange = m_table.RangeOfId(nID);
    if (nRange < 0)
        return;
    const QList<int> entries = m_table.Range(nRange);
    for (int nEntry : entries) {
        QString target = m_table.Target(nEntry);
        if (!ResolveTarget(target))
            continue;
        if (CQuillbrowView *view = m_pHost->CreateNewWindow(true, true))
            view->Navigate2(target);
    }
}

void CFavoritesMenu::AddToFavorites(CQuillbrowView *pView)
{
    if (!pView)
        return;
    const QString address = pView->GetLocationURL();
    if (address.isEmpty())
        return;
    const QString folder = GetFavoritesFolder();
    if (folder.isEmpty()) {
        ShowErrorText(LoadStringWith(IDS_FAVORITES_NO_FOLDER, kFileName, FavoritesLocation()),
                      m_pParent);
        return;
    }
    const QString title = pView->GetLocationName();
    CAddFavoriteDlg dlg(folder, title.isEmpty() ? address : title, m_pParent);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (CFavoritesFolder::AddLink(dlg.Folder(), dlg.Name(), address).isEmpty())
        ShowErrorText(LoadStringWith(IDS_FAVORITE_NOT_SAVED, kFileName, dlg.Folder()), m_pParent);
}

void CFavoritesMenu::OrganizeFavorites()
{
    const QString folder = GetFavoritesFolder();
    if (folder.isEmpty()) {
        ShowErrorText(LoadStringWith(IDS_FAVORITES_NO_FOLDER, kFileName, FavoritesLocation()),
                      m_pParent);
        return;
    }
    COrganizeFavoritesDlg dlg(folder, m_pParent);
    dlg.exec();
}

void CFavoritesMenu::TransferFavorites(bool bImport)
{
    const QString folder = GetFavoritesFolder();
    if (folder.isEmpty()) {
        ShowErrorText(LoadStringWith(IDS_FAVORITES_NO_FOLDER, kFileName, FavoritesLocation()),
                      m_pParent);
        return;
    }
    const QStringList filters = {tr("Bookmark Files (*.htm *.html)"), tr("All Files (*)")};
    if (!bImport) {
        QString path = CFileDialog::GetSaveFileName(
            m_pParent, tr("Export Favorites"), QDir::home().filePath(u"bookmark.htm"_qs), filters);
        if (path.isEmpty())
            return;
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1String(".htm");
        EBookmarkResult result;
        {
            const CBusyCursor wait(Qt::WaitCursor);
            result = CBookmarkFile::Write(path, CBookmarkFile::FromFolder(folder));
        }
        if (result != EBookmarkResult::Ok) {
            ShowErrorText(LoadStringWith(IDS_EXPORT_CANNOT_WRITE, kFileName, path), m_pParent);
            return;
        }
        CConfirmDlg(m_pParent, LoadStringWith(IDS_EXPORT_DONE, kFileName, path),
                    Mb::Ok | Mb::IconInformation, false)
            .exec();
        return;
    }

    const QString path = CFileDialog::GetOpenFileName(m_pParent, tr("Import Favorites"),
                                                      QDir::homePath(), filters);
    if (path.isEmpty())
        return;
    EBookmarkResult result;
    int nLinks = 0;
    QString failed;
    {
        const CBusyCursor wait(Qt::WaitCursor);
        SBookmark root;
        result = CBookmarkFile::Read(path, root);
        if (result == EBookmarkResult::Ok)
            result = CBookmarkFile::Import(root, folder, &nLinks, &failed);
    }
    int nMessage = 0;
    QString subject = path;
    switch (result) {
    case EBookmarkResult::Ok:
        CConfirmDlg(m_pParent,
                    LoadStringWith(IDS_IMPORT_DONE, u"%count%"_qs, QString::number(nLinks)),
                    Mb::Ok | Mb::IconInformation, false)
            .exec();
        return;
    case EBookmarkResult::CannotRead:
        nMessage = IDS_IMPORT_CANNOT_READ;
        break;
    case EBookmarkResult::TooLarge:
        nMessage = IDS_IMPORT_TOO_LARGE;
        break;
    case EBookmarkResult::NotBookmarkFile:
        nMessage = IDS_IMPORT_NOT_BOOKMARKS;
        break;
    case EBookmarkResult::NoFavorites:
        nMessage = IDS_IMPORT_EMPTY;
        break;
    case EBookmarkResult::TooMany:
        nMessage = IDS_IMPORT_TOO_MANY;
        break;
    case EBookmarkResult::CannotWrite:
        nMessage = IDS_IMPORT_CANNOT_WRITE;
        subject = failed;
        break;
    }
    ShowErrorText(LoadStringWith(nMessage, kFileName, subject), m_pParent);
}
