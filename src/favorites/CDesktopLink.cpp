#include "CDesktopLink.h"

#include "CIniText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace {
const QString kGroup = QStringLiteral("Desktop Entry");

// The escapes a desktop entry's string values may hold.
QString Unescape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        switch (value.at(++i).unicode()) {
        case u's':
            out += u' ';
            break;
        case u'n':
            out += u'\n';
            break;
        case u't':
            out += u'\t';
            break;
        case u'r':
            out += u'\r';
            break;
        default:
            out += value.at(i);
            break;
        }
    }
    return out;
}

QString Escape(const QString &value)
{
    QString out = value;
    out.replace(u'\\', QLatin1String("\\\\"));
    out.replace(u'\n', QLatin1String("\\n"));
    out.replace(u'\r', QLatin1String("\\r"));
    out.replace(u'\t', QLatin1String("\\t"));
    if (out.startsWith(u' '))
        out.replace(0, 1, QLatin1String("\\s"));
    return out;
}
} // namespace

CDesktopLink CDesktopLink::Parse(const QByteArray &contents)
{
    const CIniText ini(contents);
    CDesktopLink link;
    if (ini.Value(kGroup, QStringLiteral("Type"), Qt::CaseSensitive) != QLatin1String("Link"))
        return link;
    link.m_strUrl = Unescape(ini.Value(kGroup, QStringLiteral("URL"), Qt::CaseSensitive));
    link.m_strName = Unescape(ini.Value(kGroup, QStringLiteral("Name"), Qt::CaseSensitive));
    link.m_bLink = !link.m_strUrl.isEmpty();
    return link;
}

CDesktopLink CDesktopLink::Read(const QString &path)
{
    QFile file(path);
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return {};
    return Parse(file.read(kMaxFileSize));
}

bool CDesktopLink::Resolve(const QString &path, QString &target)
{
    const CDesktopLink link = Read(path);
    if (!link.m_bLink)
        return false;
    // A local target must still be there; a network address is taken as it is.
    QString local;
    if (link.m_strUrl.startsWith(u'/'))
        local = link.m_strUrl;
    else if (const QUrl url(link.m_strUrl); url.isLocalFile())
        local = url.toLocalFile();
    else if (url.scheme().isEmpty())
        return false;
    if (!local.isEmpty() && !QFileInfo::exists(local))
        return false;
    target = link.m_strUrl;
    return true;
}

bool CDesktopLink::SetName(const QString &path, const QString &name)
{
    QFile file(path);
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return false;
    const QString text = CIniText::Decode(file.read(kMaxFileSize));
    file.close();

    // Line by line, so comments and keys this program does not know stay as written.
    const QString eol
        = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QStringList lines = text.split(eol);
    bool bInGroup = false;
    bool bWritten = false;
    qsizetype groupEnd = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines.at(i).trimmed();
        if (trimmed.startsWith(u'[')) {
            if (bInGroup && groupEnd < 0)
                groupEnd = i;
            bInGroup = trimmed == u'[' + kGroup + u']';
            continue;
        }
        if (!bInGroup)
            continue;
        const bool bName = trimmed.startsWith(QLatin1String("Name="))
            || trimmed.startsWith(QLatin1String("Name["));
        if (!bName)
            continue;
        if (!bWritten && trimmed.startsWith(QLatin1String("Name="))) {
            lines[i] = QLatin1String("Name=") + Escape(name);
            bWritten = true;
        } else {
            lines.removeAt(i--);
        }
    }
    if (!bWritten) {
        const QString line = QLatin1String("Name=") + Escape(name);
        if (groupEnd >= 0)
            lines.insert(groupEnd, line);
        else
            lines.append(line);
    }

    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(lines.join(eol).toUtf8()) >= 0
        && out.commit();
}
