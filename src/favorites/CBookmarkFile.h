#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A folder or link of a bookmark file.
struct SBookmark
{
    QString m_strName;
    QString m_strUrl; // links only
    bool m_bFolder = false;
    QList<SBookmark> m_children;

    int CountLinks() const;
    int CountItems() const;
};

enum class EBookmarkResult {
    Ok,
    CannotRead,
    TooLarge, // over kMaxFileSize
    NotBookmarkFile,
    NoFavorites, // a bookmark file without a single link or folder
    TooMany, // over kMaxItems items, or folders nested over kMaxDepth deep
    CannotWrite,
};

// The bookmark file format that browsers exchange ("NETSCAPE-Bookmark-file-1"): an
// HTML page whose <DL> lists hold <DT><H3> folders, each followed by its own <DL>,
// and <DT><A HREF> links. Import maps its folders to sub-folders of the Favorites
// folder and its links to Internet shortcuts; export writes the Favorites folder
// back in the same form, UTF-8 encoded. Separators and descriptions have no place
// in a folder and are passed over.
class CBookmarkFile
{
public:
    static constexpr qint64 kMaxFileSize = 32 * 1024 * 1024;
    static constexpr int kMaxItems = 50000;
    static constexpr int kMaxDepth = 64;

    // Reads the file's tree into root (a folder). The text may be UTF-8, UTF-16 with
    // a byte order mark, or a single-byte code page (read as Latin-1).
    static EBookmarkResult Parse(const QByteArray &data, SBookmark &root);
    static EBookmarkResult Read(const QString &path, SBookmark &root,
                                qint64 nMaxSize = kMaxFileSize);

    static QByteArray Compose(const SBookmark &root);
    // Replaces the file at path as a whole, or leaves it as it was.
    static EBookmarkResult Write(const QString &path, const SBookmark &root);

    // The Favorites folder as a tree of bookmarks: folders that could not be read
    // come out empty, a symbolic link back to a folder above is left out.
    static SBookmark FromFolder(const QString &folder);

    // Writes root's folders and links into folder. A folder whose name is taken by a
    // folder is merged into it; a link whose folder already has a link of that name
    // (numbers added for equal names aside) and address is not written again; other
    // taken names get a number. All or nothing: when a file or folder cannot be
    // made, everything made so far is removed again, and pFailedPath names what
    // failed. pnLinks receives the number of links written.
    static EBookmarkResult Import(const SBookmark &root, const QString &folder,
                                  int *pnLinks = nullptr, QString *pFailedPath = nullptr);
};
