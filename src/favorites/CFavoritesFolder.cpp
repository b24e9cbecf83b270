#include "CFavoritesFolder.h"

#include "CDesktopLink.h"
#include "CInternetShortcut.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace {
const QString kUrlSuffix = QStringLiteral(".url");
const QString kDesktopSuffix = QStringLiteral(".desktop");
// Tried before giving up on finding a free name.
constexpr int kMaxNumberedNames = 10000;

bool EndsWithCi(const QString &text, const QString &suffix)
{
    return text.endsWith(suffix, Qt::CaseInsensitive) && text.size() > suffix.size();
}

// The link suffix a file keeps when it is renamed or moved, as it is written.
QString LinkExtension(const QFileInfo &info)
{
    if (info.isDir())
        return QString();
    for (const QString &suffix : {kUrlSuffix, kDesktopSuffix}) {
        if (EndsWithCi(info.fileName(), suffix))
            return info.fileName().right(suffix.size());
    }
    return QString();
}

// An entry that exists in any form, a dangling symbolic link included.
bool IsTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// text cut to at most nMaxBytes bytes of UTF-8, never inside a character.
QString CutToBytes(const QString &text, int nMaxBytes)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool bPair = text.at(i).isHighSurrogate() && i + 1 < text.size()
            && text.at(i + 1).isLowSurrogate();
        const qsizetype units = bPair ? 2 : 1;
        const qsizetype size = text.mid(i, units).toUtf8().size();
        if (bytes + size > nMaxBytes)
            break;
        bytes += size;
        i += units;
    }
    return text.left(i);
}

QString TrimEnd(QString text)
{
    while (!text.isEmpty() && (text.back() == u'.' || text.back().isSpace()))
        text.chop(1);
    return text;
}

// Renames without ever replacing what is at to. Files that must cross to another
// file system are copied, then removed; folders cannot cross.
bool MoveNoReplace(const QString &from, const QString &to)
{
    if (IsTaken(to))
        return false;
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) {
        // The file system cannot promise not to replace; the check above has to do.
        if (::rename(src.constData(), dst.constData()) == 0)
            return true;
    }
    if (errno != EXDEV || QFileInfo(from).isDir())
        return false;
    if (!QFile::copy(from, to))
        return false;
    if (!QFile::remove(from)) {
        QFile::remove(to);
        return false;
    }
    return true;
}

QString Canonical(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
}

void ScanInto(SFavoriteNode &node, QSet<QString> &ancestors, int nDepth)
{
    const QString canonical = Canonical(node.m_item.m_strPath);
    if (ancestors.contains(canonical)) {
        node.m_bLoop = true;
        return;
    }
    const SFolderListing listing = CFavoritesFolder::Scan(node.m_item.m_strPath);
    if (!listing.m_bReadable || nDepth >= CFavoritesFolder::kMaxDepth) {
        node.m_bUnreadable = true;
        return;
    }
    ancestors.insert(canonical);
    for (const SFavoriteItem &folder : listing.m_folders) {
        SFavoriteNode child {folder, {}, false, false};
        ScanInto(child, ancestors, nDepth + 1);
        node.m_children.append(child);
    }
    for (const SFavoriteItem &link : listing.m_links)
        node.m_children.append({link, {}, false, false});
    ancestors.remove(canonical);
}
} // namespace

QString CFavoritesFolder::ExpandEnvironment(const QString &value)
{
    static const QRegularExpression kVariable(
        QStringLiteral("%([^%]+)%|\\$\\{([^}]+)\\}|\\$([A-Za-z_][A-Za-z0-9_]*)"));
    QString out;
    qsizetype last = 0;
    auto it = kVariable.globalMatch(value);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        QString name = match.captured(1);
        if (name.isEmpty())
            name = match.captured(2);
        if (name.isEmpty())
            name = match.captured(3);
        out += QStringView(value).mid(last, match.capturedStart() - last);
        const QByteArray key = name.toLocal8Bit();
        out += qEnvironmentVariableIsSet(key.constData()) ? qEnvironmentVariable(key.constData())
                                                          : match.captured();
        last = match.capturedEnd();
    }
    out += QStringView(value).mid(last);
    if (out == u'~' || out.startsWith(QLatin1String("~/")))
        out.replace(0, 1, QDir::homePath());
    return out;
}

QString CFavoritesFolder::DefaultLocation()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Tarvo/Quillbrow/Favorites");
}

QString CFavoritesFolder::Locate(const QString &storedValue)
{
    const QString expanded = ExpandEnvironment(storedValue).trimmed();
    if (expanded.isEmpty())
        return DefaultLocation();
    return QDir::cleanPath(QDir::home().absoluteFilePath(expanded));
}

bool CFavoritesFolder::ReadItem(const QFileInfo &info, SFavoriteItem &item)
{
    const QString fileName = info.fileName();
    if (fileName.startsWith(u'.') || !info.exists())
        return false;
    item = SFavoriteItem {};
    item.m_strPath = info.absoluteFilePath();
    if (info.isDir()) {
        item.m_strName = fileName;
        item.m_bFolder = true;
        return true;
    }
    if (EndsWithCi(fileName, kUrlSuffix)) {
        item.m_strTarget = CInternetShortcut::ReadUrl(item.m_strPath);
        item.m_strName = fileName.chopped(kUrlSuffix.size());
    } else if (EndsWithCi(fileName, kDesktopSuffix)) {
        const CDesktopLink link = CDesktopLink::Read(item.m_strPath);
        if (link.m_bLink)
            item.m_strTarget = item.m_strPath;
        item.m_strName
            = link.m_strName.isEmpty() ? fileName.chopped(kDesktopSuffix.size()) : link.m_strName;
    }
    return !item.m_strTarget.isEmpty() && !item.m_strName.isEmpty();
}

void CFavoritesFolder::SortByName(QList<SFavoriteItem> &items)
{
    std::stable_sort(items.begin(), items.end(),
                     [](const SFavoriteItem &a, const SFavoriteItem &b) {
                         return a.m_strName.compare(b.m_strName, Qt::CaseInsensitive) < 0;
                     });
}

SFolderListing CFavoritesFolder::Scan(const QString &folder)
{
    SFolderListing listing;
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable())
        return listing;
    listing.m_bReadable = true;
    const QDir dir(folder);
    const QFileInfoList entries
        = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        SFavoriteItem item;
        if (!ReadItem(entry, item))
            continue;
        (item.m_bFolder ? listing.m_folders : listing.m_links).append(item);
    }
    SortByName(listing.m_folders);
    SortByName(listing.m_links);
    return listing;
}

SFavoriteNode CFavoritesFolder::ScanTree(const QString &folder)
{
    SFavoriteNode root;
    root.m_item.m_strPath = QFileInfo(folder).absoluteFilePath();
    root.m_item.m_strName = QFileInfo(folder).fileName();
    root.m_item.m_bFolder = true;
    QSet<QString> ancestors;
    ScanInto(root, ancestors, 0);
    return root;
}

QString CFavoritesFolder::SafeFileName(const QString &name, int nMaxBytes)
{
    static const QString kRefused = QStringLiteral("/\\:*?\"<>|");
    QString out;
    out.reserve(name.size());
    for (const QChar c : name)
        out += c.unicode() < 0x20 || c.unicode() == 0x7F || kRefused.contains(c) ? u'_' : c;
    out = TrimEnd(out.trimmed());
    if (out.startsWith(u'.'))
        out[0] = u'_';
    static const QRegularExpression kDeviceName(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (kDeviceName.match(out).hasMatch()) {
        const qsizetype dot = out.indexOf(u'.');
        out.insert(dot < 0 ? out.size() : dot, u'_');
    }
    out = TrimEnd(CutToBytes(out, std::max(1, nMaxBytes)));
    return out.isEmpty() ? QStringLiteral("_") : out;
}

QString CFavoritesFolder::UniquePath(const QString &folder, const QString &base,
                                     const QString &extension)
{
    const QDir dir(folder);
    const int nRoom = kMaxNameBytes - int(extension.toUtf8().size());
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const QString number = n == 1 ? QString() : QStringLiteral(" (%1)").arg(n);
        const QString stem
            = TrimEnd(CutToBytes(base, nRoom - int(number.toUtf8().size()))) + number;
        const QString path = dir.absoluteFilePath(stem + extension);
        if (!stem.isEmpty() && !IsTaken(path))
            return path;
    }
    return QString();
}

QString CFavoritesFolder::AddLink(const QString &folder, const QString &name, const QString &url)
{
    const QString base = SafeFileName(name, kMaxNameBytes - int(kUrlSuffix.size()));
    const QByteArray contents = CInternetShortcut::Compose(url);
    // A name taken between the check and the open is tried again with the next number.
    for (int nTry = 0; nTry < 8; ++nTry) {
        const QString path = UniquePath(folder, base, kUrlSuffix);
        if (path.isEmpty())
            return QString();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (IsTaken(path))
                continue;
            return QString();
        }
        if (file.write(contents) == contents.size() && file.flush()) {
            file.close();
            if (file.error() == QFileDevice::NoError)
                return path;
        }
        file.close();
        QFile::remove(path);
        return QString();
    }
    return QString();
}

QString CFavoritesFolder::CreateFolder(const QString &parent, const QString &name)
{
    const QString base = SafeFileName(name);
    for (int nTry = 0; nTry < 8; ++nTry) {
        const QString path = UniquePath(parent, base);
        if (path.isEmpty())
            return QString();
        if (QDir().mkdir(path))
            return path;
        if (!IsTaken(path))
            return QString();
    }
    return QString();
}

QString CFavoritesFolder::Rename(const QString &path, const QString &name)
{
    const QFileInfo info(path);
    if (!IsTaken(path))
        return QString();
    const QString fileName = info.fileName();
    const QString extension = LinkExtension(info);
    const bool bDesktop = extension.compare(kDesktopSuffix, Qt::CaseInsensitive) == 0;
    const QString base = SafeFileName(name, kMaxNameBytes - int(extension.toUtf8().size()));
    QString target = info.absoluteFilePath();
    if (base + extension != fileName) {
        target = UniquePath(info.absolutePath(), base, extension);
        if (target.isEmpty() || !MoveNoReplace(info.absoluteFilePath(), target))
            return QString();
    }
    // A desktop link shows its Name, which has to follow.
    if (bDesktop && !CDesktopLink::SetName(target, name)) {
        if (target != info.absoluteFilePath())
            MoveNoReplace(target, info.absoluteFilePath());
        return QString();
    }
    return target;
}

QString CFavoritesFolder::Move(const QString &path, const QString &destFolder)
{
    const QFileInfo info(path);
    if (!IsTaken(path) || !QFileInfo(destFolder).isDir())
        return QString();
    // A symbolic link is moved as the link it is. A folder moved into itself is
    // refused by the system.
    if (Canonical(info.absolutePath()) == Canonical(destFolder))
        return info.absoluteFilePath();
    const QString fileName = info.fileName();
    const QString extension = LinkExtension(info);
    const QString target = UniquePath(destFolder, fileName.chopped(extension.size()), extension);
    if (target.isEmpty() || !MoveNoReplace(info.absoluteFilePath(), target))
        return QString();
    return target;
}

bool CFavoritesFolder::Remove(const QString &path)
{
    const QFileInfo info(path);
    if (!IsTaken(path))
        return false;
    if (QFile::moveToTrash(path))
        return true;
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

bool CFavoritesFolder::IsInside(const QString &path, const QString &folder)
{
    const QString inner = Canonical(path);
    const QString outer = Canonical(folder);
    return inner == outer || inner.startsWith(outer + u'/');
}
