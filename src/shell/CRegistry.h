#pragma once

// The per-user registry of this program, kept in QSettings files in native (INI)
// format. Subkeys are written with backslashes as on the original platform
// ("Settings\\AutoClose") and map to QSettings groups ("Settings/AutoClose").
// Names are case-sensitive, as QSettings keys are on this platform.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

enum class ERegRoot {
    Program, // Software\Tarvo\Quillbrow: $XDG_CONFIG_HOME/Tarvo/Quillbrow.conf
    Engine, // the engine's own per-user keys: $XDG_CONFIG_HOME/Tarvo/QuillbrowEngine.conf
};

// INI keys cannot be empty, so a key's default (unnamed) value is stored under this
// name. The leading dot keeps it apart from every value name the program uses.
inline const QString kRegDefaultValueName = QStringLiteral(".default");

// Reads a string value into out and returns its stored size in bytes (UTF-8),
// 0 on any failure (missing key or value, unreadable store), leaving out untouched.
// An empty or null name reads the key's default value. A terminating NUL that
// another tool stored with the value is counted in the size but not kept in out.
// An empty value returns 0 too, with out emptied.
// A list (an unquoted value with commas, as another tool may write it) reads as
// its items joined by ", "; a value with no text form is a failure.
qint64 RegReadString(ERegRoot root, const QString &subkey, const QString &name, QString &out);

// Writes text (no terminator) as the named value, creating the key when needed.
// Returns false when the store cannot be written.
bool RegWriteString(ERegRoot root, const QString &subkey, const QString &name, const QString &text);

// Writes the non-empty texts as prefix1, prefix2, ... without gaps, in list order,
// in one write of the store. Returns false when the store cannot be written.
bool RegWriteNumberedStrings(ERegRoot root, const QString &subkey, const QString &prefix,
                             const QStringList &texts);

// The numbered values of one key, for RegReplaceNumberedValues: prefix1, prefix2, ...
// in list order. Values are strings or integers.
struct CRegNumberedValues
{
    QString subkey;
    QString prefix;
    QVariantList values;
};

// Replaces the values of each key by its numbered values, all keys in one write of
// the store, so that lists kept side by side never disagree on disk. A key given no
// values is left without any. Returns false when the store cannot be written.
bool RegReplaceNumberedValues(ERegRoot root, const QList<CRegNumberedValues> &keys);

// One named value of a key, for RegWriteValues.
struct CRegValue
{
    QString subkey;
    QString name;
    QVariant value;
};

// Writes the values and replaces the numbered keys (as RegReplaceNumberedValues)
// in one write of the store. Every write of a store replaces its file as a whole
// (a new file renamed over the old one), so a record written this way is on disk
// either entirely or not at all, even when the program is killed halfway.
// Returns false when the store cannot be written or a name addresses a subkey.
bool RegWriteValues(ERegRoot root, const QList<CRegValue> &values,
                    const QList<CRegNumberedValues> &replacedKeys = {});

// Deletes a key with all its values and subkeys. Returns false when it did not exist
// or the store cannot be written.
bool RegDeleteKey(ERegRoot root, const QString &subkey);

// True when the store of root can be written (the folder exists or can be made,
// the file is not read-only).
bool RegIsWritable(ERegRoot root);

// The application profile functions over ERegRoot::Program. A missing or
// unreadable value (wrong type, not a number, out of 32-bit range) yields
// the default, so a broken file never breaks start-up.
int GetProfileInt(const QString &section, const QString &entry, int nDefault);
bool WriteProfileInt(const QString &section, const QString &entry, int nValue);
QString GetProfileString(const QString &section, const QString &entry,
                         const QString &strDefault = QString());
bool WriteProfileString(const QString &section, const QString &entry, const QString &value);
// Binary values; an absent or non-binary value reads as an empty array.
QByteArray GetProfileBinary(const QString &section, const QString &entry);
bool WriteProfileBinary(const QString &section, const QString &entry, const QByteArray &data);

// Path of the file behind a root, for messages and tests.
QString RegStorePath(ERegRoot root);

// A store file that QSettings cannot parse (status FormatError) is broken. Every
// read treats a broken store as empty. QSettings itself would rewrite such a file on
// the next write, keeping whatever junk happened to parse as keys; instead the first
// write through this layer renames it to "<file>.broken" (replacing an older one)
// and starts a clean file. Callers that want to tell the user before that happens
// ask RegStoreIsBroken and may set the file aside themselves.
bool RegStoreIsBroken(ERegRoot root);
// Renames a broken store to "<file>.broken". Returns false, touching nothing, when
// the store is not broken or the rename fails.
bool RegSetAsideBroken(ERegRoot root);
