#pragma once

#include <QFileInfo>
#include <QList>
#include <QString>

// One entry of a Favorites folder: a sub-folder, or a link (an Internet shortcut or
// a desktop link entry).
struct SFavoriteItem
{
    QString m_strName; // as the menu shows it
    QString m_strPath; // the file or folder on disk
    // Links: the address of an Internet shortcut, or the path of a desktop link,
    // which is resolved only when it is opened. Empty for folders.
    QString m_strTarget;
    bool m_bFolder = false;
};

// One folder's entries as the menu lists them: folders first, then links, each
// ordered by name without regard to case; equal names keep the order of their
// file names.
struct SFolderListing
{
    bool m_bReadable = false;
    QList<SFavoriteItem> m_folders;
    QList<SFavoriteItem> m_links;
};

// A folder with everything under it, for the Organize dialog and for export.
struct SFavoriteNode
{
    SFavoriteItem m_item;
    QList<SFavoriteNode> m_children;
    // A folder that could not be listed, or a symbolic link back to a folder above
    // it, which is not entered again.
    bool m_bUnreadable = false;
    bool m_bLoop = false;
};

// The Favorites folder on disk: where it is, how it is read, and the changes the
// program makes to it. Every change keeps what is already there: a name that is
// taken gets a number (" (2)", " (3)", ...) and nothing is overwritten.
class CFavoritesFolder
{
public:
    // A file name's limit on the file systems of this platform, in bytes of UTF-8.
    static constexpr int kMaxNameBytes = 255;
    // Deeper folders are not walked by ScanTree.
    static constexpr int kMaxDepth = 64;

    // "%NAME%", "${NAME}" and "$NAME" replaced by the environment's values, and a
    // leading "~" by the home folder; names that are not set stay as written.
    static QString ExpandEnvironment(const QString &value);
    // "Favorites" in the program's data folder: $XDG_DATA_HOME/Tarvo/Quillbrow.
    static QString DefaultLocation();
    // The folder a stored location value names (expanded; relative to the home
    // folder when relative), or the default location when the value is empty.
    static QString Locate(const QString &storedValue);

    static SFolderListing Scan(const QString &folder);
    static SFavoriteNode ScanTree(const QString &folder);
    // The item a directory entry stands for; false for files that are no links
    // (other types, shortcuts without an address) and for hidden entries.
    static bool ReadItem(const QFileInfo &info, SFavoriteItem &item);
    static void SortByName(QList<SFavoriteItem> &items);

    // A file name for name: characters that file systems here or on Windows refuse
    // (control characters, / \ : * ? " < > |) become '_', as does a leading dot
    // (it would hide the file); trailing dots and spaces go, device names such as
    // "CON" get a '_' added, and the result is cut to nMaxBytes bytes of UTF-8
    // without splitting a character. Never empty.
    static QString SafeFileName(const QString &name, int nMaxBytes = kMaxNameBytes);
    // A path in folder for base + extension that nothing uses yet: base, else
    // "base (2)", "base (3)", ..., base shortened to keep within the name limit.
    // Empty when no such name is found.
    static QString UniquePath(const QString &folder, const QString &base,
                              const QString &extension = QString());

    // Writes an Internet shortcut to url named name into folder. Returns its path,
    // empty when it could not be written (nothing is left behind then).
    static QString AddLink(const QString &folder, const QString &name, const QString &url);
    // Makes a sub-folder named name; returns its path, empty on failure.
    static QString CreateFolder(const QString &parent, const QString &name);
    // Gives a folder or link the display name name; returns its new path (the old
    // one when the name is unchanged), empty on failure.
    static QString Rename(const QString &path, const QString &name);
    // Moves a folder or link into destFolder; returns its new path, empty on failure
    // or when destFolder is the item itself or lies inside it.
    static QString Move(const QString &path, const QString &destFolder);
    // Moves a folder or link to the desktop's trash, or deletes it when there is no
    // trash to take it. A symbolic link is removed, never what it points to.
    static bool Remove(const QString &path);

    // Whether path is folder or lies inside it (after resolving symbolic links).
    static bool IsInside(const QString &path, const QString &folder);
};
