#include "CInternetShortcut.h"

#include "CIniText.h"

#include <QFile>

namespace {
// The system drops the quotation marks around a value when it reads one.
QString Unquote(const QString &value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}
} // namespace

QString CInternetShortcut::ParseUrl(const QByteArray &contents)
{
    const CIniText ini(contents);
    const QString wide = ini.Value(QStringLiteral("InternetShortcut.W"), QStringLiteral("URL"));
    if (!wide.isEmpty()) {
        const QString url = Unquote(DecodeUtf7(wide.toLatin1()));
        if (!url.isEmpty())
            return url;
    }
    return Unquote(ini.Value(QStringLiteral("InternetShortcut"), QStringLiteral("URL")));
}

QString CInternetShortcut::ReadUrl(const QString &path)
{
    QFile file(path);
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return QString();
    return ParseUrl(file.read(kMaxFileSize));
}

QByteArray CInternetShortcut::Compose(const QString &url)
{
    QString line = url;
    line.replace(QLatin1Char('\r'), QLatin1String("%0D"));
    line.replace(QLatin1Char('\n'), QLatin1String("%0A"));
    return "[InternetShortcut]\r\nURL=" + line.toUtf8() + "\r\n";
}

QString CInternetShortcut::DecodeUtf7(const QByteArray &text)
{
    static const QByteArray kBase64
        = QByteArrayLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const char c = text.at(i++);
        if (c != '+') {
            out += QLatin1Char(c);
            continue;
        }
        if (i < text.size() && text.at(i) == '-') {
            out += QLatin1Char('+');
            ++i;
            continue;
        }
        // A run of modified base64 holding UTF-16 code units, ended by any other
        // character; a '-' that ends it is dropped.
        quint32 bits = 0;
        int nBits = 0;
        while (i < text.size()) {
            const qsizetype value = kBase64.indexOf(text.at(i));
            if (value < 0)
                break;
            bits = (bits << 6) | quint32(value);
            nBits += 6;
            if (nBits >= 16) {
                nBits -= 16;
                out += QChar(char16_t((bits >> nBits) & 0xFFFF));
            }
            ++i;
        }
        if (i < text.size() && text.at(i) == '-')
            ++i;
    }
    return out;
}
