#pragma once

// The default-browser claim on a freedesktop.org desktop: a quillbrow.desktop file in
// $XDG_DATA_HOME/applications made the default handler of text/html and of the
// http, https, ftp and gopher schemes in $XDG_CONFIG_HOME/mimeapps.list.

#include <QString>
#include <QStringList>

namespace DefaultBrowser {
inline const QString kDesktopId = QStringLiteral("quillbrow.desktop");

// The MIME types claimed, in order: text/html first, the one IsDefaultBrowser reads.
QStringList ClaimedMimeTypes();

// "<program path> %u", the path quoted by the desktop entry rules when it needs it.
// An empty path means the running program's.
QString BuildOpenCommand(const QString &programPath = QString());

// The desktop entry written for the claim: the one installed with the program (same
// Name, Icon, MimeType, Categories, actions) with its Exec lines starting the program
// at programPath, which is what IsDefaultBrowser compares.
QString DesktopEntryText(const QString &programPath = QString());

// True when the default application that the desktop's mimeapps.list files name for
// text/html (DesktopApps::DefaultApplicationFor, defaults only) is quillbrow.desktop
// and that entry's Exec equals BuildOpenCommand(), ignoring case.
bool IsDefaultBrowser(const QString &programPath = QString());

// Writes the desktop file and the five defaults, keeping every other line of the
// user's mimeapps.list and of a desktop-specific one of theirs that exists, then
// refreshes the desktop database when the tool exists.
// Returns false when a file could not be written.
bool MakeDefaultBrowser(const QString &programPath = QString());

// Pure helpers, exposed for tests: the text of mimeapps.list with each type's
// default in [Default Applications] set to desktopId, every other line kept.
QString UpdateMimeApps(const QString &content, const QStringList &types, const QString &desktopId);
// The first desktop id listed as the default of type, empty when none.
QString DefaultForType(const QString &content, const QString &type);
} // namespace DefaultBrowser
