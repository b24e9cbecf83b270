#include "CBookmarkFile.h"

#include "CDesktopLink.h"
#include "CFavoritesFolder.h"
#include "CIniText.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

namespace {
const QString kDoctype = QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>");

QString DecodeEntities(const QString &text)
{
    static const QHash<QString, QChar> kNamed = {
        {QStringLiteral("amp"), u'&'},   {QStringLiteral("lt"), u'<'},
        {QStringLiteral("gt"), u'>'},    {QStringLiteral("quot"), u'"'},
        {QStringLiteral("apos"), u'\''}, {QStringLiteral("nbsp"), QChar(0xA0)},
    };
    static const QRegularExpression kEntity(
        QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[a-zA-Z]+);"));
    QString out;
    qsizetype last = 0;
    auto it = kEntity.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString body = match.captured(1);
        QString replacement = match.captured();
        if (body.startsWith(u'#')) {
            bool bOk = false;
            const bool bHex = body.size() > 1 && (body.at(1) == u'x' || body.at(1) == u'X');
            const uint code = bHex ? body.mid(2).toUInt(&bOk, 16) : body.mid(1).toUInt(&bOk, 10);
            if (bOk && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t c = code;
                replacement = QString::fromUcs4(&c, 1);
            }
        } else if (const auto named = kNamed.constFind(body); named != kNamed.cend()) {
            replacement = *named;
        }
        out += QStringView(text).mid(last, match.capturedStart() - last);
        out += replacement;
        last = match.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

QString EscapeText(const QString &text)
{
    return text.toHtmlEscaped();
}

// An element's text: inner tags dropped, entities decoded, white space runs made one
// space (a name may be wrapped over lines).
QString ElementText(const QString &html)
{
    static const QRegularExpression kTag(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.remove(kTag);
    return DecodeEntities(text).simplified();
}

struct STag
{
    QString name; // upper case, with a leading '/' for a closing tag
    QHash<QString, QString> attributes; // upper-case names
    qsizetype end = 0; // just after the '>'
};

// Reads the tag that starts at text[start] == '<'.
STag ReadTag(const QString &text, qsizetype start)
{
    STag tag;
    qsizetype i = start + 1;
    const qsizetype size = text.size();
    const qsizetype nameStart = i;
    if (i < size && text.at(i) == u'/')
        ++i;
    while (i < size && (text.at(i).isLetterOrNumber()))
        ++i;
    tag.name = text.mid(nameStart, i - nameStart).toUpper();
    while (i < size && text.at(i) != u'>') {
        if (text.at(i).isSpace() || text.at(i) == u'/') {
            ++i;
            continue;
        }
        const qsizetype keyStart = i;
        while (i < size && !text.at(i).isSpace() && text.at(i) != u'=' && text.at(i) != u'>')
            ++i;
        const QString key = text.mid(keyStart, i - keyStart).toUpper();
        while (i < size && text.at(i).isSpace())
            ++i;
        QString value;
        if (i < size && text.at(i) == u'=') {
            ++i;
            while (i < size && text.at(i).isSpace())
                ++i;
            if (i < size && (text.at(i) == u'"' || text.at(i) == u'\'')) {
                const QChar quote = text.at(i++);
                const qsizetype valueStart = i;
                while (i < size && text.at(i) != quote)
                    ++i;
                value = text.mid(valueStart, i - valueStart);
                if (i < size)
                    ++i;
            } else {
                const qsizetype valueStart = i;
                while (i < size && !text.at(i).isSpace() && text.at(i) != u'>')
                    ++i;
                value = text.mid(valueStart, i - valueStart);
            }
        }
        if (!key.isEmpty() && !tag.attributes.contains(key))
            tag.attributes.insert(key, DecodeEntities(value));
    }
    tag.end = i < size ? i + 1 : size;
    return tag;
}

bool StartsWithTag(QStringView rest, QLatin1String name)
{
    return rest.startsWith(name, Qt::CaseInsensitive)
        && (rest.size() == name.size() || !rest.at(name.size()).isLetterOrNumber());
}

// The element's inner text up to its closing tag, and where reading goes on. A
// missing closing tag ends the text at the next tag that starts an item or a list,
// so no part of the file is looked at twice.
QString ReadContent(const QString &text, qsizetype from, QLatin1String closing, qsizetype &next)
{
    static const QLatin1String kStops[]
        = {QLatin1String("/DL"), QLatin1String("DL"), QLatin1String("DT"),
           QLatin1String("HR"),  QLatin1String("A"),  QLatin1String("H3")};
    for (qsizetype i = text.indexOf(u'<', from); i >= 0; i = text.indexOf(u'<', i + 1)) {
        const QStringView rest = QStringView(text).mid(i + 1);
        if (StartsWithTag(rest, closing)) {
            const qsizetype close = text.indexOf(u'>', i);
            next = close < 0 ? text.size() : close + 1;
            return ElementText(text.mid(from, i - from));
        }
        for (const QLatin1String &stop : kStops) {
            if (StartsWithTag(rest, stop)) {
                next = i;
                return ElementText(text.mid(from, i - from));
            }
        }
    }
    next = text.size();
    return ElementText(text.mid(from));
}

void Indent(QByteArray &out, int nDepth)
{
    out.append(QByteArray(4 * nDepth, ' '));
}

void ComposeList(QByteArray &out, const QList<SBookmark> &items, int nDepth)
{
    Indent(out, nDepth - 1);
    out += "<DL><p>\n";
    for (const SBookmark &item : items) {
        Indent(out, nDepth);
        if (item.m_bFolder) {
            out += "<DT><H3>" + EscapeText(item.m_strName).toUtf8() + "</H3>\n";
            ComposeList(out, item.m_children, nDepth + 1);
        } else {
            out += "<DT><A HREF=\"" + EscapeText(item.m_strUrl).toUtf8() + "\">"
                + EscapeText(item.m_strName).toUtf8() + "</A>\n";
        }
    }
    Indent(out, nDepth - 1);
    out += "</DL><p>\n";
}

SBookmark FromNode(const SFavoriteNode &node)
{
    SBookmark bookmark;
    bookmark.m_strName = node.m_item.m_strName;
    bookmark.m_bFolder = node.m_item.m_bFolder;
    if (!bookmark.m_bFolder) {
        bookmark.m_strUrl = node.m_item.m_strTarget;
        if (node.m_item.m_strTarget == node.m_item.m_strPath)
            bookmark.m_strUrl = CDesktopLink::Read(node.m_item.m_strPath).m_strUrl;
        return bookmark;
    }
    for (const SFavoriteNode &child : node.m_children) {
        if (!child.m_bLoop)
            bookmark.m_children.append(FromNode(child));
    }
    return bookmark;
}

// A link's name without the number a taken name got (" (2)"), for comparing.
QString NameStem(const QString &name)
{
    static const QRegularExpression kNumber(QStringLiteral(" \\([0-9]+\\)$"));
    QString stem = name;
    stem.remove(kNumber);
    return stem.toCaseFolded();
}

QString LinkKey(const QString &name, const QString &url)
{
    return NameStem(name) + u'\n' + url.toCaseFolded();
}

class CImporter
{
public:
    QStringList m_created;
    QString m_strFailed;
    int m_nLinks = 0;

    bool ImportInto(const QList<SBookmark> &items, const QString &folder)
    {
        QSet<QString> existing;
        const SFolderListing listing = CFavoritesFolder::Scan(folder);
        for (const SFavoriteItem &link : listing.m_links)
            existing.insert(LinkKey(link.m_strName, link.m_strTarget));
        for (const SBookmark &item : items) {
            if (item.m_bFolder) {
                const QString name = CFavoritesFolder::SafeFileName(item.m_strName);
                QString path = QDir(folder).absoluteFilePath(name);
                if (!QFileInfo(path).isDir()) {
                    path = CFavoritesFolder::CreateFolder(folder, item.m_strName);
                    if (path.isEmpty())
                        return Fail(QDir(folder).absoluteFilePath(name));
                    m_created.append(path);
                }
                if (!ImportInto(item.m_children, path))
                    return false;
                continue;
            }
            const QString name = item.m_strName.isEmpty() ? item.m_strUrl : item.m_strName;
            const QString key = LinkKey(CFavoritesFolder::SafeFileName(name), item.m_strUrl);
            if (existing.contains(key))
                continue;
            const QString path = CFavoritesFolder::AddLink(folder, name, item.m_strUrl);
            if (path.isEmpty())
                return Fail(QDir(folder).absoluteFilePath(CFavoritesFolder::SafeFileName(name)));
            m_created.append(path);
            existing.insert(key);
            ++m_nLinks;
        }
        return true;
    }

    void RollBack()
    {
        // Newest first: a folder is empty again once what was made in it is gone.
        for (auto it = m_created.crbegin(); it != m_created.crend(); ++it) {
            if (QFileInfo(*it).isDir())
                QDir().rmdir(*it);
            else
                QFile::remove(*it);
        }
        m_created.clear();
    }

private:
    bool Fail(const QString &path)
    {
        m_strFailed = path;
        return false;
    }
};
} // namespace

int SBookmark::CountLinks() const
{
    int n = m_bFolder ? 0 : 1;
    for (const SBookmark &child : m_children)
        n += child.CountLinks();
    return n;
}

int SBookmark::CountItems() const
{
    int n = 0;
    for (const SBookmark &child : m_children)
        n += 1 + child.CountItems();
    return n;
}

EBookmarkResult CBookmarkFile::Parse(const QByteArray &data, SBookmark &root)
{
    root = SBookmark {};
    root.m_bFolder = true;
    const QString text = CIniText::Decode(data);
    if (text.contains(QChar(u'\0')))
        return EBookmarkResult::NotBookmarkFile;
    bool bSigned = text.left(4096).contains(kDoctype, Qt::CaseInsensitive);
    bool bList = false;

    // The open lists, innermost last. A list that follows no folder heading adds to
    // the list it stands in.
    QList<SBookmark *> stack;
    qsizetype pendingFolder = -1; // the heading just read, in the current list
    int nItems = 0;
    qsizetype i = 0;
    while ((i = text.indexOf(u'<', i)) >= 0) {
        if (text.mid(i, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), i + 4);
            i = end < 0 ? text.size() : end + 3;
            continue;
        }
        if (text.mid(i, 2) == QLatin1String("<!") || text.mid(i, 2) == QLatin1String("<?")) {
            const qsizetype end = text.indexOf(u'>', i);
            i = end < 0 ? text.size() : end + 1;
            continue;
        }
        const STag tag = ReadTag(text, i);
        i = tag.end;
        SBookmark *current = stack.isEmpty() ? &root : stack.last();
        if (tag.name == QLatin1String("DL")) {
            bList = true;
            SBookmark *list = current;
            if (stack.isEmpty())
                list = &root;
            else if (pendingFolder >= 0)
                list = &current->m_children[pendingFolder];
            stack.append(list);
            pendingFolder = -1;
            if (stack.size() > kMaxDepth + 1)
                return EBookmarkResult::TooMany;
        } else if (tag.name == QLatin1String("/DL")) {
            if (!stack.isEmpty())
                stack.removeLast();
            pendingFolder = -1;
        } else if (tag.name == QLatin1String("H3")) {
            SBookmark folder;
            folder.m_bFolder = true;
            folder.m_strName = ReadContent(text, i, QLatin1String("/H3"), i);
            current->m_children.append(folder);
            pendingFolder = current->m_children.size() - 1;
            ++nItems;
        } else if (tag.name == QLatin1String("A")) {
            SBookmark link;
            link.m_strUrl = tag.attributes.value(QStringLiteral("HREF")).trimmed();
            link.m_strName = ReadContent(text, i, QLatin1String("/A"), i);
            // "place:" addresses are one browser's saved searches, not pages.
            if (link.m_strUrl.isEmpty() || link.m_strUrl.startsWith(QLatin1String("place:")))
                continue;
            current->m_children.append(link);
            pendingFolder = -1;
            ++nItems;
        }
        if (nItems > kMaxItems)
            return EBookmarkResult::TooMany;
    }
    bSigned = bSigned || bList;
    if (!bSigned)
        return EBookmarkResult::NotBookmarkFile;
    return root.m_children.isEmpty() ? EBookmarkResult::NoFavorites : EBookmarkResult::Ok;
}

EBookmarkResult CBookmarkFile::Read(const QString &path, SBookmark &root, qint64 nMaxSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return EBookmarkResult::CannotRead;
    if (file.size() > nMaxSize)
        return EBookmarkResult::TooLarge;
    // A file that grows while it is read is cut at the limit and then refused.
    const QByteArray data = file.read(nMaxSize + 1);
    if (data.size() > nMaxSize)
        return EBookmarkResult::TooLarge;
    if (file.error() != QFileDevice::NoError)
        return EBookmarkResult::CannotRead;
    return Parse(data, root);
}

QByteArray CBookmarkFile::Compose(const SBookmark &root)
{
    QByteArray out = kDoctype.toUtf8()
        + "\n<!-- This is an automatically generated file.\n"
          "     It will be read and overwritten.\n"
          "     DO NOT EDIT! -->\n"
          "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
          "<TITLE>Bookmarks</TITLE>\n"
          "<H1>Bookmarks</H1>\n";
    ComposeList(out, root.m_children, 1);
    return out;
}

EBookmarkResult CBookmarkFile::Write(const QString &path, const SBookmark &root)
{
    QSaveFile file(path);
    const QByteArray data = Compose(root);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return EBookmarkResult::CannotWrite;
    return EBookmarkResult::Ok;
}

SBookmark CBookmarkFile::FromFolder(const QString &folder)
{
    return FromNode(CFavoritesFolder::ScanTree(folder));
}

EBookmarkResult CBookmarkFile::Import(const SBookmark &root, const QString &folder, int *pnLinks,
                                      QString *pFailedPath)
{
    if (pnLinks)
        *pnLinks = 0;
    if (root.m_children.isEmpty())
        return EBookmarkResult::NoFavorites;
    if (root.CountItems() > kMaxItems)
        return EBookmarkResult::TooMany;
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        if (pFailedPath)
            *pFailedPath = folder;
        return EBookmarkResult::CannotWrite;
    }
    CImporter importer;
    if (!importer.ImportInto(root.m_children, folder)) {
        importer.RollBack();
        if (pFailedPath)
            *pFailedPath = importer.m_strFailed;
        return EBookmarkResult::CannotWrite;
    }
    if (pnLinks)
        *pnLinks = importer.m_nLinks;
    return EBookmarkResult::Ok;
}
