#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A read-only view of a small INI-style file (Internet shortcuts, desktop entries).
// The bytes are decoded by their byte order mark, else as UTF-8 when they are valid
// UTF-8, else as Latin-1, which keeps every byte of a file written in a Western code
// page. Lines may end in CRLF, LF or CR. Lines starting with ';' or '#' are comments.
class CIniText
{
public:
    explicit CIniText(const QByteArray &contents);

    // The first value of key in a section named section, spaces around it removed;
    // empty when there is none. Section names compare in any case, keys by cs.
    QString Value(const QString &section, const QString &key,
                  Qt::CaseSensitivity cs = Qt::CaseInsensitive) const;

    static QString Decode(const QByteArray &contents);

private:
    struct SEntry
    {
        QString section;
        QString key;
        QString value;
    };
    QList<SEntry> m_entries;
};
