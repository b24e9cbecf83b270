#include "CEngineInfo.h"

#include "CEngineStore.h"
#include "CProgramData.h"
#include "CRegistry.h"

#include <QUrl>
#include <QVersionNumber>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <QtWebEngineCore/qtwebenginecoreversion.h>

#include <limits>
#include <optional>

namespace {

std::optional<QString> g_versionOverride;
std::optional<QString> g_webEngineVersionOverride;

// Reads a version field the way atoi does: leading blanks, an optional sign, then
// the digits up to the first other character. Saturates instead of overflowing.
int fieldValue(QStringView field)
{
    qsizetype i = 0;
    while (i < field.size() && (field[i] == u' ' || field[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) {
        negative = field[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    for (; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i) {
        value = value * 10 + (field[i].unicode() - u'0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        return int(-value);
    return int(qMin<qint64>(value, std::numeric_limits<int>::max()));
}

} // namespace

void CEngineInfo::ReadStartPage()
{
    // RegReadString leaves the string alone when the store has no start page.
    if (RegReadString(ERegRoot::Engine, EngineStore::kMainKey, EngineStore::kStartPageValue,
                      m_strStartPage)
        > 0) {
        const qsizetype nul = m_strStartPage.indexOf(QChar(u'\0'));
        if (nul >= 0)
            m_strStartPage.truncate(nul);
    }
}

QString CEngineInfo::DefaultStartPage()
{
    return QUrl::fromLocalFile(ProgramDataPath(QStringLiteral("quillbrow-guide/welcome.html")))
        .toString();
}

void CEngineInfo::LoadEngineInfo()
{
    // A store that never held a start page keeps this one.
    if (m_strStartPage.isEmpty())
        m_strStartPage = DefaultStartPage();
    ReadStartPage();
    m_nMajor = 0;
    m_nMinor = 0;
    m_nBuild = 0;
    QString version;
    if (ReadEngineVersion(version) == 0)
        return;
    ParseVersion(version);
}

void CEngineInfo::ParseVersion(const QString &version)
{
    m_nMajor = 0;
    m_nMinor = 0;
    m_nBuild = 0;
    const qsizetype d1 = version.indexOf(u'.');
    if (d1 <= 0)
        return;
    m_nMajor = fieldValue(QStringView(version).first(d1));
    const qsizetype d2 = version.indexOf(u'.', d1 + 1);
    if (d2 < 0)
        return;
    m_nMinor = fieldValue(QStringView(version).sliced(d1 + 1, d2 - d1 - 1));
    // The third field counts only when a fourth follows it.
    const qsizetype d3 = version.indexOf(u'.', d2 + 1);
    if (d3 < 0)
        return;
    m_nBuild = fieldValue(QStringView(version).sliced(d2 + 1, d3 - d2 - 1));
}

qint64 CEngineInfo::ReadEngineVersion(QString &out)
{
    const QString version
        = g_versionOverride ? *g_versionOverride : QString::fromLatin1(qWebEngineChromiumVersion());
    if (version.isEmpty())
        return 0;
    out = version;
    return version.toUtf8().size();
}

void CEngineInfo::SetVersionOverride(const QString &version)
{
    g_versionOverride = version;
}

void CEngineInfo::ClearVersionOverride()
{
    g_versionOverride.reset();
    g_webEngineVersionOverride.reset();
}

QString CEngineInfo::ReadWebEngineVersion()
{
    return g_webEngineVersionOverride ? *g_webEngineVersionOverride
                                      : QString::fromLatin1(qWebEngineVersion());
}

void CEngineInfo::SetWebEngineVersionOverride(const QString &version)
{
    g_webEngineVersionOverride = version;
}

QString CEngineInfo::RequiredWebEngineVersion()
{
    return QStringLiteral("%1.%2")
        .arg((QTWEBENGINECORE_VERSION >> 16) & 0xff)
        .arg((QTWEBENGINECORE_VERSION >> 8) & 0xff);
}

bool CEngineInfo::IsSupportedWebEngine(const QString &version)
{
    qsizetype suffix = 0;
    const QVersionNumber number = QVersionNumber::fromString(version, &suffix);
    // "6.4.2" and "6.5.0-beta1" are versions; "", "six" and "6.x" are not.
    if (number.isNull() || (suffix < version.size() && version.at(suffix) != u'-'))
        return false;
    return number >= QVersionNumber::fromString(RequiredWebEngineVersion());
}
