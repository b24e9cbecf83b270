#pragma once

#include <QByteArray>
#include <QString>

// Internet shortcuts: ".url" files in the INI format that Windows writes for its
// Favorites, so a Favorites folder copied from there works as it is. A file is read
// the way the system reads it: lines ending in CRLF, LF or CR, an optional byte
// order mark, section and key names in any case, spaces around names and values
// ignored, other sections and keys (icons, hot keys, the shell's property sections)
// left alone. A URL with characters outside the writer's code page is also stored,
// UTF-7 encoded, in the section "InternetShortcut.W"; that copy wins when present.
class CInternetShortcut
{
public:
    // Shortcut files are a few hundred bytes; anything larger is not read.
    static constexpr qint64 kMaxFileSize = 64 * 1024;

    // The URL of a shortcut's contents, empty when it has none.
    static QString ParseUrl(const QByteArray &contents);
    // The URL of the shortcut file, empty when it cannot be read or has none.
    static QString ReadUrl(const QString &path);

    // The contents of a shortcut to url: UTF-8 without a byte order mark, CRLF line
    // ends. Line breaks inside url are written percent-encoded, so they cannot start
    // a key of their own.
    static QByteArray Compose(const QString &url);

    // Decodes the UTF-7 of the system's Unicode sections ("+AOk-" is "é", "+-" is "+").
    static QString DecodeUtf7(const QByteArray &text);
};
