#pragma once

// The per-user registry of this program, kept in QSettings files in native (INI)
// format. Subkeys are written with backslashes as on the original platform
// ("Settings\\AutoClose") and map to QSettings groups ("Settings/AutoClose").

#include <QByteArray>
#include <QString>

enum class ERegRoot {
    Program, // Software\Tarvo\Quillbrow: $XDG_CONFIG_HOME/Tarvo/Quillbrow.conf
    Engine, // the engine's own per-user keys: $XDG_CONFIG_HOME/Tarvo/QuillbrowEngine.conf
};

// Reads a string value into out and returns its stored size in bytes (UTF-8),
// 0 on any failure (missing key or value, unreadable store), leaving out untouched.
// An empty or null name reads the key's default value. A terminating NUL that
// another tool stored with the value is counted in the size but not kept in out.
qint64 RegReadString(ERegRoot root, const QString &subkey, const QString &name, QString &out);

// Writes text (no terminator) as the named value, creating the key when needed.
// Returns false when the store cannot be written.
bool RegWriteString(ERegRoot root, const QString &subkey, const QString &name,
                    const QString &text);

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
