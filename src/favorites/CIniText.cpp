#include "CIniText.h"

#include <QRegularExpression>
#include <QStringDecoder>

QString CIniText::Decode(const QByteArray &contents)
{
    if (contents.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(contents.mid(3));
    if (contents.startsWith("\xFF\xFE") || contents.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(contents.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                               : QStringDecoder::Utf16BE);
        return decoder.decode(contents.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(contents);
    return utf8.hasError() ? QString::fromLatin1(contents) : text;
}

CIniText::CIniText(const QByteArray &contents)
{
    static const QRegularExpression kLineBreak(QStringLiteral("\r\n|\r|\n"));
    const QString text = Decode(contents);
    QString section;
    const auto lines = QStringView(text).split(kLineBreak);
    for (QStringView line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype end = line.indexOf(u']');
            if (end > 0)
                section = line.mid(1, end - 1).trimmed().toString();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        m_entries.append({section, line.left(equals).trimmed().toString(),
                          line.mid(equals + 1).trimmed().toString()});
    }
}

QString CIniText::Value(const QString &section, const QString &key, Qt::CaseSensitivity cs) const
{
    for (const SEntry &entry : m_entries) {
        if (entry.section.compare(section, Qt::CaseInsensitive) == 0
            && entry.key.compare(key, cs) == 0)
            return entry.value;
    }
    return QString();
}
