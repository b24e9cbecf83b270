#include "CRegistry.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace {

const QString kOrganization = QStringLiteral("Tarvo");

QString applicationName(ERegRoot root)
{
    switch (root) {
    case ERegRoot::Program:
        return QStringLiteral("Quillbrow");
    case ERegRoot::Engine:
        return QStringLiteral("QuillbrowEngine");
    }
    return QStringLiteral("Quillbrow");
}

std::unique_ptr<QSettings> newSettings(ERegRoot root)
{
    // Explicit native format and user scope: a QSettings::setDefaultFormat made
    // anywhere else in the process must not move the store.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganization,
                                       applicationName(root));
}

// One version of a store file, identified as QSettings itself does when it decides
// whether its cached copy is still current.
struct FileStamp
{
    qint64 size = -1;
    qint64 modified = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

// QSettings parses a file once per process and reports a parse error only on the
// object that happened to parse it; later objects share the parsed copy and say
// NoError. So the versions of store files that failed to parse are remembered here.
QMutex g_brokenMutex;
QHash<QString, FileStamp> g_brokenStamps;

enum class EStoreState { Ok, Broken, Unreadable };

struct COpenedStore
{
    std::unique_ptr<QSettings> settings;
    EStoreState state = EStoreState::Ok;
};

COpenedStore openStore(ERegRoot root)
{
    COpenedStore store {newSettings(root)};
    QSettings &settings = *store.settings;
    // Parsing every section now makes a format error show on this object, not on
    // whichever later call would have touched the bad section first.
    settings.allKeys();
    const QString path = settings.fileName();

    QMutexLocker lock(&g_brokenMutex);
    switch (settings.status()) {
    case QSettings::NoError: {
        const auto it = g_brokenStamps.constFind(path);
        if (it != g_brokenStamps.cend()) {
            if (*it == stampOf(path))
                store.state = EStoreState::Broken;
            else
                g_brokenStamps.erase(it);
        }
        break;
    }
    case QSettings::FormatError:
        g_brokenStamps.insert(path, stampOf(path));
        store.state = EStoreState::Broken;
        break;
    case QSettings::AccessError:
        store.state = EStoreState::Unreadable;
        break;
    }
    return store;
}

bool setAside(const QString &path)
{
    const QString target = path + QStringLiteral(".broken");
    if (QFileInfo::exists(target) && !QFile::remove(target))
        return false;
    if (!QFile::rename(path, target))
        return false;
    QMutexLocker lock(&g_brokenMutex);
    g_brokenStamps.remove(path);
    return true;
}

// "Settings\\AutoClose" -> "Settings/AutoClose"; empty parts are dropped so that a
// stray separator never addresses the root.
QString groupOf(const QString &subkey)
{
    QString group = subkey;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

// The QSettings key of a value, or nothing for a name that would address a subkey.
std::optional<QString> keyOf(const QString &subkey, const QString &name)
{
    const QString valueName = name.isEmpty() ? kRegDefaultValueName : name;
    if (valueName.contains(QLatin1Char('/')) || valueName.contains(QLatin1Char('\\')))
        return std::nullopt;
    const QString group = groupOf(subkey);
    return group.isEmpty() ? valueName : group + QLatin1Char('/') + valueName;
}

std::optional<QVariant> readValue(ERegRoot root, const QString &subkey, const QString &name)
{
    const auto key = keyOf(subkey, name);
    if (!key)
        return std::nullopt;
    const COpenedStore store = openStore(root);
    if (store.state != EStoreState::Ok || !store.settings->contains(*key))
        return std::nullopt;
    return store.settings->value(*key);
}

// The text of a stored value. QSettings reads an unquoted value with commas, as a
// hand edit or another tool may leave it, as a list.
std::optional<QString> textOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    if (value.typeId() == QMetaType::QString || value.canConvert<QString>())
        return value.toString();
    return std::nullopt;
}

qint64 storedSize(const QVariant &value, const QString &text)
{
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().size();
    return text.toUtf8().size();
}

QString withoutTerminator(QString text)
{
    if (text.endsWith(QChar(u'\0')))
        text.chop(1);
    return text;
}

bool commit(QSettings &settings)
{
    settings.sync();
    return settings.status() == QSettings::NoError;
}

// Removes every value and subkey of group one by one, rather than the group itself, so
// that a value of the parent which happens to carry the group's name stays. Returns
// whether there was anything to remove.
bool clearGroup(QSettings &settings, const QString &group)
{
    settings.beginGroup(group);
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys)
        settings.remove(key);
    settings.endGroup();
    return !keys.isEmpty();
}

// True when the store already holds value under key, as it would after writing it:
// read back from the file, numbers come as text.
bool holds(const QSettings &settings, const QString &key, const QVariant &value)
{
    const QVariant stored = settings.value(key);
    if (!stored.isValid())
        return false;
    if (stored.typeId() == value.typeId())
        return stored == value;
    return stored.typeId() == QMetaType::QString && value.typeId() == QMetaType::Int
        && stored.toString() == QString::number(value.toInt());
}

enum class EWrite { Always, WhenChanged };

// True when writing values after emptying the groups would leave the store as it is:
// it holds every value, and the groups hold no key besides those written.
bool holdsExactly(QSettings &settings, const QList<QPair<QString, QVariant>> &values,
                  const QStringList &groups)
{
    if (!std::all_of(values.cbegin(), values.cend(),
                     [&](const auto &entry) { return holds(settings, entry.first, entry.second); }))
        return false;
    for (const QString &group : groups) {
        settings.beginGroup(group);
        const QStringList stored = settings.allKeys();
        settings.endGroup();
        const QString prefix = group + QLatin1Char('/');
        const auto written = std::count_if(values.cbegin(), values.cend(), [&](const auto &entry) {
            return entry.first.startsWith(prefix);
        });
        // Every written key of the group is stored (checked above), so equal counts
        // mean nothing else is there.
        if (stored.size() != written)
            return false;
    }
    return true;
}

// Empties the groups, then writes all values, in one pass over the store, so a long
// list costs one file write; with WhenChanged none at all when the store holds them
// all already.
bool writeValues(ERegRoot root, const QList<QPair<QString, QVariant>> &values,
                 const QStringList &clearedGroups = {}, EWrite when = EWrite::Always)
{
    QString path;
    {
        COpenedStore store = openStore(root);
        path = store.settings->fileName();
        switch (store.state) {
        case EStoreState::Unreadable:
            return false;
        case EStoreState::Ok:
            if (when == EWrite::WhenChanged && holdsExactly(*store.settings, values, clearedGroups))
                return true;
            for (const QString &group : clearedGroups)
                clearGroup(*store.settings, group);
            for (const auto &[key, value] : values)
                store.settings->setValue(key, value);
            return commit(*store.settings);
        case EStoreState::Broken:
            break;
        }
    }
    // A fresh object after the rename: QSettings sees the file gone and drops its
    // cached copy of the junk, so the write starts a clean file.
    if (!setAside(path))
        return false;
    const auto settings = newSettings(root);
    for (const auto &[key, value] : values)
        settings->setValue(key, value);
    return commit(*settings);
}

bool writeValue(ERegRoot root, const QString &subkey, const QString &name, const QVariant &value)
{
    const auto key = keyOf(subkey, name);
    if (!key)
        return false;
    return writeValues(root, {{*key, value}});
}

} // namespace

qint64 RegReadString(ERegRoot root, const QString &subkey, const QString &name, QString &out)
{
    const auto value = readValue(root, subkey, name);
    if (!value)
        return 0;
    const auto text = textOf(*value);
    if (!text)
        return 0;
    out = withoutTerminator(*text);
    return storedSize(*value, *text);
}

bool RegWriteString(ERegRoot root, const QString &subkey, const QString &name, const QString &text)
{
    return writeValue(root, subkey, name, text);
}

bool RegWriteNumberedStrings(ERegRoot root, const QString &subkey, const QString &prefix,
                             const QStringList &texts)
{
    QList<QPair<QString, QVariant>> values;
    int n = 1;
    for (const QString &text : texts) {
        if (text.isEmpty())
            continue;
        const auto key = keyOf(subkey, prefix + QString::number(n++));
        if (!key)
            return false;
        values.append({*key, text});
    }
    return values.isEmpty() || writeValues(root, values);
}

bool RegReplaceNumberedValues(ERegRoot root, const QList<CRegNumberedValues> &keys)
{
    return RegWriteValues(root, {}, keys);
}

bool RegWriteValues(ERegRoot root, const QList<CRegValue> &values,
                    const QList<CRegNumberedValues> &replacedKeys)
{
    QList<QPair<QString, QVariant>> pairs;
    QStringList groups;
    for (const CRegNumberedValues &key : replacedKeys) {
        const QString group = groupOf(key.subkey);
        if (group.isEmpty())
            return false;
        groups.append(group);
        int n = 1;
        for (const QVariant &value : key.values) {
            const auto valueKey = keyOf(key.subkey, key.prefix + QString::number(n++));
            if (!valueKey)
                return false;
            pairs.append({*valueKey, value});
        }
    }
    for (const CRegValue &value : values) {
        const auto key = keyOf(value.subkey, value.name);
        if (!key)
            return false;
        pairs.append({*key, value.value});
    }
    return writeValues(root, pairs, groups, EWrite::WhenChanged);
}

bool RegDeleteKey(ERegRoot root, const QString &subkey)
{
    const QString group = groupOf(subkey);
    if (group.isEmpty())
        return false;
    COpenedStore store = openStore(root);
    if (store.state != EStoreState::Ok)
        return false;
    if (!clearGroup(*store.settings, group))
        return false;
    return commit(*store.settings);
}

bool RegIsWritable(ERegRoot root)
{
    const QFileInfo file(RegStorePath(root));
    if (file.exists() && (!file.isFile() || !file.isWritable()))
        return false;
    // QSettings puts a lock file and a temporary file next to the store, so the
    // folder must take new files; a missing folder is made from its nearest parent.
    QFileInfo folder(file.absolutePath());
    while (!folder.exists()) {
        const QFileInfo parent(folder.absolutePath());
        if (parent.absoluteFilePath() == folder.absoluteFilePath())
            return false;
        folder = parent;
    }
    return folder.isDir() && folder.isWritable();
}

int GetProfileInt(const QString &section, const QString &entry, int nDefault)
{
    const auto value = readValue(ERegRoot::Program, section, entry);
    if (!value)
        return nDefault;
    bool ok = false;
    qlonglong number = 0;
    switch (value->typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        number = value->toLongLong(&ok);
        break;
    case QMetaType::QString:
        // What the INI file gives back after a restart: the digits as text.
        number = value->toString().toLongLong(&ok, 10);
        break;
    default:
        return nDefault;
    }
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return nDefault;
    return int(number);
}

bool WriteProfileInt(const QString &section, const QString &entry, int nValue)
{
    return writeValue(ERegRoot::Program, section, entry, nValue);
}

QString GetProfileString(const QString &section, const QString &entry, const QString &strDefault)
{
    const auto value = readValue(ERegRoot::Program, section, entry);
    if (!value)
        return strDefault;
    const auto text = textOf(*value);
    return text ? withoutTerminator(*text) : strDefault;
}

bool WriteProfileString(const QString &section, const QString &entry, const QString &value)
{
    return writeValue(ERegRoot::Program, section, entry, value);
}

QByteArray GetProfileBinary(const QString &section, const QString &entry)
{
    const auto value = readValue(ERegRoot::Program, section, entry);
    if (!value || value->typeId() != QMetaType::QByteArray)
        return {};
    return value->toByteArray();
}

bool WriteProfileBinary(const QString &section, const QString &entry, const QByteArray &data)
{
    return writeValue(ERegRoot::Program, section, entry, data);
}

QString RegStorePath(ERegRoot root)
{
    return newSettings(root)->fileName();
}

bool RegStoreIsBroken(ERegRoot root)
{
    return openStore(root).state == EStoreState::Broken;
}

bool RegSetAsideBroken(ERegRoot root)
{
    if (!RegStoreIsBroken(root))
        return false;
    return setAside(RegStorePath(root));
}
