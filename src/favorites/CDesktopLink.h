#pragma once

#include <QByteArray>
#include <QString>

// This platform's shell links: desktop entries of "Type=Link" (a ".desktop" file
// whose "URL" key names a page, a file or a folder). The menu lists them under
// their "Name"; the target is looked up again each time one is opened.
class CDesktopLink
{
public:
    static constexpr qint64 kMaxFileSize = 64 * 1024;

    // False for anything that is not a link entry with a URL.
    bool m_bLink = false;
    QString m_strName;
    QString m_strUrl;

    static CDesktopLink Parse(const QByteArray &contents);
    static CDesktopLink Read(const QString &path);

    // The address the link at path leads to. Fails when the file is no link or
    // cannot be read, or when it names a local file or folder that does not exist.
    static bool Resolve(const QString &path, QString &target);

    // Rewrites the entry's Name (and any translated Name[...]) to name, keeping
    // everything else. False when the file cannot be read or written.
    static bool SetName(const QString &path, const QString &name);
};
