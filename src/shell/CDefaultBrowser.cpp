#include "CDefaultBrowser.h"

#include "CDesktopApps.h"
#include "CDesktopFileLines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <optional>

namespace {

const QString kDefaultGroup = QStringLiteral("Default Applications");
const QString kMimeAppsName = QStringLiteral("mimeapps.list");

// The desktop entry string escapes, applied to a whole value.
QString escapeValue(const QString &value)
{
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else if (c == u' ' && i == 0)
            escaped += QStringLiteral("\\s");
        else
            escaped += c;
    }
    return escaped;
}

// The program as the first argument of an Exec line: quoted only when it holds a
// character the desktop entry rules reserve, a literal "%" doubled so that it is not
// taken for a field code.
QString execProgram(const QString &path)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString program = path;
    program.replace(u'%', QStringLiteral("%%"));
    bool quote = false;
    for (const QChar c : program)
        quote = quote || reserved.contains(c);
    if (!quote)
        return program;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

QString mimeAppsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1Char('/') + kMimeAppsName;
}

// mimeapps.list is read and written as Latin-1: every byte maps to one character and
// back, so lines in any encoding survive untouched, and what this program reads or
// adds (group names, MIME types, its own desktop id) is ASCII.
std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    // A dotfile manager may keep mimeapps.list as a link; replacing the link with a
    // plain file would detach it from the user's copy.
    const QFileInfo info(path);
    QSaveFile file(info.isSymLink() ? info.symLinkTarget() : path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// The installed desktop entry, built into the program, with every Exec line started by
// this program at programPath instead of the bare name: the entry in the user's folder
// hides the installed one, so both must say the same, and a build that is not
// installed must still be found.
QString desktopEntry(const QString &programPath)
{
    QFile file(QStringLiteral(":/quillbrow/quillbrow.desktop"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString bareProgram = QStringLiteral("Exec=quillbrow");
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (QString &line : lines) {
        if (line == bareProgram || line.startsWith(bareProgram + u' '))
            line = QStringLiteral("Exec=")
                + escapeValue(execProgram(programPath) + line.sliced(bareProgram.size()));
    }
    return lines.join(u'\n');
}

QString ProgramPath(const QString &programPath)
{
    return programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath;
}

void refreshDesktopDatabase(const QString &applicationsDir)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!tool.isEmpty())
        QProcess::startDetached(tool, {applicationsDir});
}

} // namespace

namespace DefaultBrowser {

QStringList ClaimedMimeTypes()
{
    return {QStringLiteral("text/html"), QStringLiteral("x-scheme-handler/http"),
            QStringLiteral("x-scheme-handler/https"), QStringLiteral("x-scheme-handler/ftp"),
            QStringLiteral("x-scheme-handler/gopher")};
}

QString BuildOpenCommand(const QString &programPath)
{
    return execProgram(ProgramPath(programPath)) + QStringLiteral(" %u");
}

QString DesktopEntryText(const QString &programPath)
{
    return desktopEntry(ProgramPath(programPath));
}

bool IsDefaultBrowser(const QString &programPath)
{
    // Every mimeapps.list in the desktop's order: a desktop-specific or a system file
    // may name another browser whatever the user's own file says. Only a named default
    // counts: without one, which of the browsers that claim the type opens a page is up
    // to each desktop, so the program offers to become the default.
    if (DesktopApps::DefaultApplicationFor(ClaimedMimeTypes().constFirst(),
                                           DesktopApps::ELookup::DefaultOnly)
        != kDesktopId)
        return false;
    const auto entry = DesktopApps::FindDesktopEntry(kDesktopId);
    return entry
        && QString::compare(entry->exec, BuildOpenCommand(programPath), Qt::CaseInsensitive) == 0;
}

bool MakeDefaultBrowser(const QString &programPath)
{
    const QString applicationsDir
        = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    // A default naming a desktop file that is not there would leave the user with no
    // working browser at all, so the defaults are only claimed once the file is written.
    if (applicationsDir.isEmpty() || !QDir().mkpath(applicationsDir)
        || !writeFile(applicationsDir + QLatin1Char('/') + kDesktopId,
                      DesktopEntryText(programPath).toUtf8()))
        return false;

    // The user's own file, and a desktop-specific one of theirs that already exists:
    // that one comes first in the lookup, so a default it names would hide the claim.
    QStringList paths {mimeAppsPath()};
    const QString configDir = QFileInfo(mimeAppsPath()).absolutePath();
    for (const QString &desktop : DesktopApps::CurrentDesktops()) {
        const QString path
            = configDir + QLatin1Char('/') + desktop + QLatin1Char('-') + kMimeAppsName;
        if (QFileInfo::exists(path))
            paths << path;
    }
    bool ok = true;
    for (const QString &path : std::as_const(paths)) {
        const auto old = readFile(path);
        if (!old || !QDir().mkpath(QFileInfo(path).absolutePath())) {
            ok = false;
            continue;
        }
        const QByteArray updated
            = UpdateMimeApps(QString::fromLatin1(*old), ClaimedMimeTypes(), kDesktopId).toLatin1();
        ok = (updated == *old || writeFile(path, updated)) && ok;
    }
    refreshDesktopDatabase(applicationsDir);
    return ok;
}

QString UpdateMimeApps(const QString &content, const QStringList &types, const QString &desktopId)
{
    const bool finalNewline = content.endsWith(u'\n');
    QStringList lines = content.split(u'\n');
    if (content.isEmpty() || finalNewline)
        lines.removeLast();

    const QString value = desktopId + u';';
    QList<bool> done(types.size(), false);
    QString group;
    bool inFirstGroup = false;
    qsizetype insertAt = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto header = DesktopFileLines::GroupHeader(lines[i])) {
            group = *header;
            inFirstGroup = group == kDefaultGroup && insertAt < 0;
            if (inFirstGroup)
                insertAt = i + 1;
            continue;
        }
        if (group != kDefaultGroup)
            continue;
        const auto entry = DesktopFileLines::KeyValue(lines[i]);
        if (!entry)
            continue;
        if (inFirstGroup)
            insertAt = i + 1;
        for (qsizetype t = 0; t < types.size(); ++t) {
            if (QString::compare(entry->key, types[t], Qt::CaseInsensitive) != 0)
                continue;
            const bool crlf = lines[i].endsWith(u'\r');
            lines[i] = types[t] + u'=' + value;
            if (crlf)
                lines[i] += u'\r';
            done[t] = true;
            break;
        }
    }

    QStringList added;
    for (qsizetype t = 0; t < types.size(); ++t) {
        if (!done[t])
            added += types[t] + u'=' + value;
    }
    bool endsWithAdded = false;
    if (!added.isEmpty()) {
        if (insertAt < 0) {
            if (!lines.isEmpty() && !lines.constLast().trimmed().isEmpty())
                lines += QString();
            lines += u'[' + kDefaultGroup + u']';
            insertAt = lines.size();
        }
        endsWithAdded = insertAt == lines.size();
        for (qsizetype a = 0; a < added.size(); ++a)
            lines.insert(insertAt + a, added[a]);
    }

    QString result = lines.join(u'\n');
    if (finalNewline || endsWithAdded)
        result += u'\n';
    return result;
}

QString DefaultForType(const QString &content, const QString &type)
{
    QString group;
    for (const QString &line : content.split(u'\n')) {
        if (const auto header = DesktopFileLines::GroupHeader(line)) {
            group = *header;
            continue;
        }
        if (group != kDefaultGroup)
            continue;
        const auto entry = DesktopFileLines::KeyValue(line);
        if (!entry || QString::compare(entry->key, type, Qt::CaseInsensitive) != 0)
            continue;
        for (const QString &id : entry->value.split(u';')) {
            if (!id.trimmed().isEmpty())
                return id.trimmed();
        }
        return {};
    }
    return {};
}

} // namespace DefaultBrowser
