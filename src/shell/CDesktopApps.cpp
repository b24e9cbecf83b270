#include "CDesktopApps.h"

#include "CDesktopFileLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

namespace {

const QString kDesktopEntryGroup = QStringLiteral("Desktop Entry");
const QString kDefaultGroup = QStringLiteral("Default Applications");
const QString kAddedGroup = QStringLiteral("Added Associations");
const QString kRemovedGroup = QStringLiteral("Removed Associations");
const QString kMimeAppsName = QStringLiteral("mimeapps.list");

// The base directory rules: an unset or empty variable takes its default, and a
// relative path in it is not a path at all.
QString baseDir(const char *variable, const QString &fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + fallbackUnderHome;
}

QStringList baseDirs(const char *variable, const QString &fallback)
{
    QString value = qEnvironmentVariable(variable);
    if (value.isEmpty())
        value = fallback;
    QStringList dirs;
    const QStringList parts = value.split(u':', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (QDir::isAbsolutePath(part))
            dirs << QDir::cleanPath(part);
    }
    return dirs;
}

QString configHome()
{
    return baseDir("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QStringList configDirs()
{
    return baseDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
}

QString dataHome()
{
    return baseDir("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QStringList dataDirs()
{
    return baseDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share/:/usr/share/"));
}

// The string escapes of desktop files. In a list a "\;" is a semicolon inside an item,
// so lists are split before this runs.
QString unescapeValue(const QString &value)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == u's')
            text += u' ';
        else if (next == u'n')
            text += u'\n';
        else if (next == u't')
            text += u'\t';
        else if (next == u'r')
            text += u'\r';
        else if (next == u'\\' || next == u';')
            text += next;
        else
            text += QLatin1Char('\\') + next;
    }
    return text;
}

QStringList splitList(const QString &value)
{
    QStringList items;
    QString item;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            item += value[i];
            item += value[++i];
        } else if (value[i] == u';') {
            items << unescapeValue(item);
            item.clear();
        } else {
            item += value[i];
        }
    }
    items << unescapeValue(item);
    items.removeIf([](const QString &s) { return s.trimmed().isEmpty(); });
    for (QString &s : items)
        s = s.trimmed();
    return items;
}

bool isTrue(const QString &value)
{
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || value == u'1';
}

// The locale keys a localized value is looked up by, best first, from the message
// locale (lang_COUNTRY.ENCODING@MODIFIER): lang_COUNTRY@MODIFIER, lang_COUNTRY,
// lang@MODIFIER, lang.
QStringList messageLocaleKeys()
{
    QString locale;
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = qEnvironmentVariable(variable);
        if (!locale.isEmpty())
            break;
    }
    QString modifier;
    if (const qsizetype at = locale.indexOf(u'@'); at >= 0) {
        modifier = locale.sliced(at + 1);
        locale.truncate(at);
    }
    if (const qsizetype dot = locale.indexOf(u'.'); dot >= 0)
        locale.truncate(dot);
    if (locale.isEmpty() || locale == QLatin1String("C") || locale == QLatin1String("POSIX"))
        return {};
    const QString lang = locale.section(u'_', 0, 0);
    const bool bCountry = locale.contains(u'_');
    QStringList keys;
    if (bCountry && !modifier.isEmpty())
        keys << locale + u'@' + modifier;
    if (bCountry)
        keys << locale;
    if (!modifier.isEmpty())
        keys << lang + u'@' + modifier;
    keys << lang;
    return keys;
}

// The groups of a mimeapps.list: for each group, each MIME type's desktop ids in order.
using CMimeGroups = QHash<QString, QHash<QString, QStringList>>;

CMimeGroups readMimeApps(const QString &path)
{
    CMimeGroups groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return groups;
    QString group;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString &line : lines) {
        if (const auto header = DesktopFileLines::GroupHeader(line)) {
            group = *header;
            continue;
        }
        const auto entry = DesktopFileLines::KeyValue(line);
        if (!entry || group.isEmpty())
            continue;
        QHash<QString, QStringList> &types = groups[group];
        const QString type = entry->key.toLower();
        // A type listed twice in one group: the first line counts.
        if (!types.contains(type))
            types.insert(type, splitList(entry->value));
    }
    return groups;
}

bool isDesktopSpecific(const QString &path)
{
    return QFileInfo(path).fileName() != kMimeAppsName;
}

// The file of id under dir; a dash in the id may be a subfolder ("kde-foo.desktop" is
// also kde/foo.desktop).
QString findInDir(const QString &dir, const QString &id)
{
    const QString direct = dir + u'/' + id;
    if (QFileInfo(direct).isFile())
        return direct;
    for (qsizetype dash = id.indexOf(u'-'); dash > 0; dash = id.indexOf(u'-', dash + 1)) {
        const QString sub = dir + u'/' + id.left(dash);
        if (!QFileInfo(sub).isDir())
            continue;
        const QString found = findInDir(sub, id.sliced(dash + 1));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

bool isValidId(const QString &id)
{
    return id.endsWith(QLatin1String(".desktop")) && !id.contains(u'/') && !id.startsWith(u'.');
}

// The desktop ids under dir with their files, subfolders giving dashed ids, sorted by
// id so that the choice among equals does not depend on the file system's order.
QList<QPair<QString, QString>> desktopFilesIn(const QString &dir, const QString &prefix = {},
                                              int nDepth = 0)
{
    QList<QPair<QString, QString>> files;
    // Folders this deep are not an applications tree; a link loop stops here too.
    if (nDepth > 4)
        return files;
    const QDir folder(dir);
    const auto entries
        = folder.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : entries) {
        if (info.isDir())
            files << desktopFilesIn(info.filePath(), prefix + info.fileName() + u'-', nDepth + 1);
        else if (info.fileName().endsWith(QLatin1String(".desktop")))
            files.append({prefix + info.fileName(), info.filePath()});
    }
    return files;
}

// One step of field-code expansion for a word with codes inside it; false for a code
// that may not stand there.
bool expandInWord(const QString &word, const QString &single,
                  const DesktopApps::CDesktopEntry &entry, QString &out, bool &bHadCode)
{
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != u'%') {
            out += word[i];
            continue;
        }
        if (i + 1 == word.size())
            return false;
        const QChar code = word[++i];
        if (code == u'%') {
            out += u'%';
            continue;
        }
        bHadCode = true;
        switch (code.unicode()) {
        case 'f':
        case 'u':
            out += single;
            break;
        case 'c':
            out += entry.name;
            break;
        case 'k':
            out += entry.path;
            break;
        case 'd':
        case 'D':
        case 'n':
        case 'N':
        case 'v':
        case 'm':
            break;
        default:
            // %F, %U and %i expand to several arguments and must stand alone; anything
            // else is not a field code at all.
            return false;
        }
    }
    return true;
}

QStringList localFiles(const QList<QUrl> &urls)
{
    QStringList files;
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

QStringList addresses(const QList<QUrl> &urls)
{
    QStringList out;
    for (const QUrl &url : urls)
        out << (url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded));
    return out;
}

// Splits an Exec line into words, undoing the quoting. Double quotes follow the desktop
// entry rules (a backslash escapes " ` $ and itself); single quotes and a backslash
// outside quotes are read as a shell would, since entries in the wild use them.
std::optional<QStringList> splitWords(const QString &line)
{
    QStringList words;
    QString word;
    bool bInWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (bInWord)
                words << word;
            word.clear();
            bInWord = false;
        } else if (c == u'"') {
            bInWord = true;
            for (++i;; ++i) {
                if (i >= line.size())
                    return std::nullopt;
                const QChar q = line[i];
                if (q == u'"')
                    break;
                if (q == u'\\' && i + 1 < line.size()
                    && QStringView(u"\"`$\\").contains(line[i + 1]))
                    word += line[++i];
                else
                    word += q;
            }
        } else if (c == u'\'') {
            bInWord = true;
            const qsizetype end = line.indexOf(u'\'', i + 1);
            if (end < 0)
                return std::nullopt;
            word += line.sliced(i + 1, end - i - 1);
            i = end;
        } else if (c == u'\\' && i + 1 < line.size()) {
            bInWord = true;
            word += line[++i];
        } else {
            bInWord = true;
            word += c;
        }
    }
    if (bInWord)
        words << word;
    return words;
}

// Whether the words name a single file or address (%f, %u) and no list of them.
bool takesOneTarget(const QStringList &words)
{
    bool bSingle = false;
    for (const QString &word : words) {
        if (word == QLatin1String("%F") || word == QLatin1String("%U"))
            return false;
        for (qsizetype i = 0; i + 1 < word.size(); ++i) {
            if (word[i] != u'%')
                continue;
            const QChar code = word[++i];
            bSingle = bSingle || code == u'f' || code == u'u';
        }
    }
    return bSingle;
}

std::optional<QStringList> expandWords(const QStringList &words, const QList<QUrl> &urls,
                                       const DesktopApps::CDesktopEntry &entry)
{
    const QStringList files = localFiles(urls);
    const QStringList targets = addresses(urls);
    QStringList argv;
    for (const QString &word : words) {
        if (word == QLatin1String("%F")) {
            argv << files;
        } else if (word == QLatin1String("%U")) {
            argv << targets;
        } else if (word == QLatin1String("%i")) {
            if (!entry.icon.isEmpty())
                argv << QStringLiteral("--icon") << entry.icon;
        } else {
            // %f and %u are the same code for a word; only what they stand for differs.
            const bool bFile = word.contains(QLatin1String("%f"));
            const QString single = bFile ? files.value(0) : targets.value(0);
            QString out;
            bool bHadCode = false;
            if (!expandInWord(word, single, entry, out, bHadCode))
                return std::nullopt;
            // A code that expands to nothing must not leave an empty argument; a quoted
            // empty argument ("") has no code and stays.
            if (out.isEmpty() && bHadCode)
                continue;
            argv << out;
        }
    }
    if (argv.isEmpty() || argv.constFirst().isEmpty() || argv.constFirst().contains(u'='))
        return std::nullopt;
    return argv;
}

bool isExecutable(const QString &program)
{
    if (QDir::isAbsolutePath(program)) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace

namespace DesktopApps {

QStringList CurrentDesktops()
{
    QStringList desktops;
    const QStringList names
        = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    for (const QString &name : names) {
        // Only ASCII is lowered: the names become parts of file names.
        QString lowered = name.trimmed();
        for (QChar &c : lowered) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        }
        // A name that is not a plain name would point the lookup elsewhere.
        if (!lowered.isEmpty() && !lowered.contains(u'/') && !desktops.contains(lowered))
            desktops << lowered;
    }
    return desktops;
}

QStringList MimeAppsFiles()
{
    QStringList folders;
    folders << configHome() << configDirs() << dataHome() + QStringLiteral("/applications");
    for (const QString &dir : dataDirs())
        folders << dir + QStringLiteral("/applications");
    const QStringList desktops = CurrentDesktops();
    QStringList files;
    for (const QString &folder : std::as_const(folders)) {
        for (const QString &desktop : desktops)
            files << folder + u'/' + desktop + u'-' + kMimeAppsName;
        files << folder + u'/' + kMimeAppsName;
    }
    files.removeDuplicates();
    return files;
}

QStringList ApplicationDirs()
{
    QStringList dirs {dataHome() + QStringLiteral("/applications")};
    for (const QString &dir : dataDirs())
        dirs << dir + QStringLiteral("/applications");
    dirs.removeDuplicates();
    return dirs;
}

std::optional<CDesktopEntry> ReadDesktopEntry(const QString &path, const QString &id)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');

    QHash<QString, QString> keys;
    bool bFound = false;
    bool bInEntry = false;
    for (const QString &line : lines) {
        if (const auto header = DesktopFileLines::GroupHeader(line)) {
            // Only the first [Desktop Entry] is the entry; actions and the rest have
            // their own Exec lines.
            if (bInEntry)
                break;
            bInEntry = *header == kDesktopEntryGroup;
            bFound = bFound || bInEntry;
            continue;
        }
        if (!bInEntry)
            continue;
        if (const auto entry = DesktopFileLines::KeyValue(line);
            entry && !keys.contains(entry->key))
            keys.insert(entry->key, entry->value);
    }
    if (!bFound)
        return std::nullopt;

    CDesktopEntry entry;
    entry.id = id.isEmpty() ? QFileInfo(path).fileName() : id;
    entry.path = path;
    entry.type = unescapeValue(keys.value(QStringLiteral("Type")));
    entry.name = unescapeValue(keys.value(QStringLiteral("Name")));
    const QStringList localeKeys = messageLocaleKeys();
    for (const QString &locale : localeKeys) {
        const auto it = keys.constFind(QStringLiteral("Name[%1]").arg(locale));
        if (it != keys.cend()) {
            entry.name = unescapeValue(*it);
            break;
        }
    }
    entry.exec = unescapeValue(keys.value(QStringLiteral("Exec")));
    entry.tryExec = unescapeValue(keys.value(QStringLiteral("TryExec")));
    entry.icon = unescapeValue(keys.value(QStringLiteral("Icon")));
    entry.workingDirectory = unescapeValue(keys.value(QStringLiteral("Path")));
    entry.mimeTypes = splitList(keys.value(QStringLiteral("MimeType")));
    entry.terminal = isTrue(keys.value(QStringLiteral("Terminal")));
    entry.hidden = isTrue(keys.value(QStringLiteral("Hidden")));
    return entry;
}

std::optional<CDesktopEntry> FindDesktopEntry(const QString &id)
{
    if (!isValidId(id))
        return std::nullopt;
    const QStringList dirs = ApplicationDirs();
    for (const QString &dir : dirs) {
        const QString path = findInDir(dir, id);
        if (path.isEmpty())
            continue;
        // The first file of an id hides all later ones, a deleted (Hidden) one too.
        auto entry = ReadDesktopEntry(path, id);
        if (!entry || entry->hidden)
            return std::nullopt;
        return entry;
    }
    return std::nullopt;
}

bool IsInstalled(const CDesktopEntry &entry)
{
    if (entry.hidden || entry.type != QLatin1String("Application"))
        return false;
    return entry.tryExec.isEmpty() || isExecutable(entry.tryExec);
}

QString DefaultApplicationFor(const QString &mimeType, ELookup lookup)
{
    const QString type = mimeType.trimmed().toLower();
    if (type.isEmpty())
        return {};
    const auto installed = [](const QString &id) {
        const auto entry = FindDesktopEntry(id);
        return entry && IsInstalled(*entry);
    };

    const QStringList files = MimeAppsFiles();
    QList<CMimeGroups> parsed;
    parsed.reserve(files.size());
    for (const QString &file : files) {
        parsed << readMimeApps(file);
        for (const QString &id : parsed.constLast().value(kDefaultGroup).value(type)) {
            if (installed(id))
                return id;
        }
    }

    if (lookup == ELookup::DefaultOnly)
        return {};
    // No default anywhere: the most preferred associated application. A removal counts
    // for the files after the one that makes it.
    QSet<QString> removed;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (isDesktopSpecific(files[i]))
            continue;
        for (const QString &id : parsed[i].value(kAddedGroup).value(type)) {
            if (!removed.contains(id) && installed(id))
                return id;
        }
        for (const QString &id : parsed[i].value(kRemovedGroup).value(type))
            removed.insert(id);
    }
    QSet<QString> seen;
    for (const QString &dir : ApplicationDirs()) {
        const auto candidates = desktopFilesIn(dir);
        for (const auto &[id, path] : candidates) {
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (removed.contains(id))
                continue;
            const auto entry = ReadDesktopEntry(path, id);
            if (!entry || !IsInstalled(*entry))
                continue;
            for (const QString &claimed : entry->mimeTypes) {
                if (claimed.compare(type, Qt::CaseInsensitive) == 0)
                    return id;
            }
        }
    }
    return {};
}

std::optional<QStringList> ParseExec(const QString &execLine, const QList<QUrl> &urls,
                                     const CDesktopEntry &entry)
{
    const auto words = splitWords(execLine);
    if (!words)
        return std::nullopt;
    return expandWords(*words, urls, entry);
}

ELaunchResult Launch(const CDesktopEntry &entry, const QList<QUrl> &urls)
{
    if (entry.exec.trimmed().isEmpty())
        return ELaunchResult::NoCommand;
    const auto words = splitWords(entry.exec);
    if (!words)
        return ELaunchResult::StartFailed;

    QList<QList<QUrl>> runs;
    if (urls.size() > 1 && takesOneTarget(*words)) {
        for (const QUrl &url : urls)
            runs.append({url});
    } else {
        runs.append(urls);
    }

    const QString workingDirectory
        = QFileInfo(entry.workingDirectory).isDir() ? entry.workingDirectory : QString();
    const QString terminal = entry.terminal
        ? QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"))
        : QString();
    for (const QList<QUrl> &run : std::as_const(runs)) {
        auto argv = expandWords(*words, run, entry);
        if (!argv)
            return ELaunchResult::StartFailed;
        if (!terminal.isEmpty())
            *argv = QStringList {terminal, QStringLiteral("-e")} + *argv;
        const QString program = argv->takeFirst();
        if (!QProcess::startDetached(program, *argv, workingDirectory))
            return ELaunchResult::StartFailed;
    }
    return ELaunchResult::Started;
}

} // namespace DesktopApps
