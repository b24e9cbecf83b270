#pragma once

// The user's applications as a freedesktop.org desktop knows them: which one is the
// default for a MIME type or a URL scheme (mimeapps.list files, looked up in their
// order of precedence), where its desktop entry is, and how its Exec line becomes a
// command. Every lookup reads the files afresh, so a change the user makes in their
// desktop's settings counts at once.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace DesktopApps {

// The keys of an entry's [Desktop Entry] group that starting it needs.
struct CDesktopEntry
{
    QString id; // the desktop file id, "org.example.Mail.desktop"
    QString path; // the file it was read from
    QString type; // "Application", "Link", ...
    QString name; // Name in the user's language
    QString exec; // Exec with the string escapes undone; quoting and field codes kept
    QString tryExec;
    QString icon;
    QString workingDirectory; // the Path key
    QStringList mimeTypes;
    bool terminal = false;
    bool hidden = false;
};

// The desktop names of XDG_CURRENT_DESKTOP, lower case, in order.
QStringList CurrentDesktops();

// Every mimeapps.list that can take part, most important first, whether it exists or
// not: for each of XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME/applications and
// XDG_DATA_DIRS/applications the desktop-specific files, then the plain one.
QStringList MimeAppsFiles();

// The folders desktop entries are looked up in: XDG_DATA_HOME/applications, then
// XDG_DATA_DIRS/applications. A relative path in a variable is ignored.
QStringList ApplicationDirs();

enum class ELookup {
    // What opens the type: the default, else the most preferred associated application.
    DefaultOrAssociated,
    // Only an application a mimeapps.list names as the default.
    DefaultOnly,
};

// The desktop id of the default application for a MIME type ("text/html",
// "x-scheme-handler/mailto"), empty when there is none. The first mimeapps.list whose
// [Default Applications] names an installed application decides; without one, and
// unless lookup is DefaultOnly, the first installed application associated with the
// type (added associations, then the entries' own MimeType) that no more important
// file removed.
QString DefaultApplicationFor(const QString &mimeType,
                              ELookup lookup = ELookup::DefaultOrAssociated);

// The entry of a desktop id, found in the first applications folder that holds it (a
// dash in the id may stand for a subfolder). Nothing when there is none, when it cannot
// be read, or when the first one found is Hidden (the user deleted it).
std::optional<CDesktopEntry> FindDesktopEntry(const QString &id);

// Reads one desktop file; nothing when it cannot be read or has no [Desktop Entry].
std::optional<CDesktopEntry> ReadDesktopEntry(const QString &path, const QString &id = QString());

// An application entry that can be started: Type=Application, not Hidden, and its
// TryExec program, when named, present and executable.
bool IsInstalled(const CDesktopEntry &entry);

// The argument vector of an Exec line: quoting undone, then the field codes expanded
// with urls and the entry: %f %F local files, %u %U addresses (a local file as its
// path), %i "--icon" and the Icon, %c the Name, %k the entry's file, %% a percent sign;
// the deprecated %d %D %n %N %v %m are dropped. %f and %u take the first url only. A
// field code standing alone that expands to nothing leaves no argument behind. Nothing
// for a line that is not a valid command: an unterminated quote, an unknown field code,
// %F %U or %i inside a longer argument, or no program at all.
std::optional<QStringList> ParseExec(const QString &execLine, const QList<QUrl> &urls = {},
                                     const CDesktopEntry &entry = CDesktopEntry());

enum class ELaunchResult {
    Started,
    NoCommand, // the entry has no Exec to start
    StartFailed, // the Exec line is invalid, or its program could not be started
};

// Starts the entry's command with the urls, detached, in the entry's Path when it has
// one, in a terminal (x-terminal-emulator) when it asks for one. A command that takes a
// single file or address is started once for each of several urls.
ELaunchResult Launch(const CDesktopEntry &entry, const QList<QUrl> &urls = {});

} // namespace DesktopApps
