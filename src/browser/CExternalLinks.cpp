#include "CExternalLinks.h"

#include "CConfirmDlg.h"
#include "CDesktopApps.h"
#include "CErrorReport.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QUrl>
#include <QWebEngineUrlScheme>

namespace {

// What a question shows of an address: mailto: links can carry a whole message.
constexpr qsizetype kShownAddressLength = 300;

QString ShownAddress(const QUrl &url)
{
    QString text = url.toDisplayString(QUrl::RemovePassword);
    if (text.size() > kShownAddressLength)
        text = text.left(kShownAddressLength) + QChar(0x2026);
    return text;
}

QString Fill(int nId, const QString &scheme, const QString &program, const QUrl &url)
{
    return LoadString(nId)
        .replace(QStringLiteral("%scheme%"), scheme)
        .replace(QStringLiteral("%program%"), program)
        .replace(QStringLiteral("%address%"), ShownAddress(url));
}

} // namespace

bool CExternalLinks::IsExternal(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme.isEmpty())
        return false;
    static const QStringList engineSchemes {
        QStringLiteral("http"),         QStringLiteral("https"),      QStringLiteral("file"),
        QStringLiteral("ftp"),          QStringLiteral("data"),       QStringLiteral("blob"),
        QStringLiteral("about"),        QStringLiteral("javascript"), QStringLiteral("view-source"),
        QStringLiteral("ws"),           QStringLiteral("wss"),        QStringLiteral("filesystem"),
        QStringLiteral("qrc"),          QStringLiteral("chrome"),     QStringLiteral("devtools"),
        QStringLiteral("chrome-error"),
    };
    if (engineSchemes.contains(scheme))
        return false;
    // Schemes registered with the engine are pages too.
    return QWebEngineUrlScheme::schemeByName(scheme.toLatin1()).name().isEmpty();
}

CExternalLinks &CExternalLinks::Instance()
{
    static CExternalLinks links;
    return links;
}

void CExternalLinks::Open(QWidget *pParent, const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    const QString id
        = DesktopApps::DefaultApplicationFor(QStringLiteral("x-scheme-handler/") + scheme);
    const auto entry = id.isEmpty() ? std::nullopt : DesktopApps::FindDesktopEntry(id);
    if (!entry || entry->exec.isEmpty()) {
        ShowErrorText(Fill(IDS_EXTERNAL_LINK_NO_PROGRAM, scheme, QString(), url), pParent);
        return;
    }
    const QString program = entry->name.isEmpty() ? id : entry->name;

    auto answer = m_answers.constFind(scheme);
    if (answer == m_answers.constEnd()) {
        CConfirmDlg dlg(pParent, Fill(IDS_EXTERNAL_LINK_ASK, scheme, program, url),
                        Mb::YesNo | Mb::IconQuestion, false, LoadString(IDS_EXTERNAL_LINK_CAPTION));
        answer = m_answers.insert(scheme, dlg.exec() == IDYES);
    }
    if (!*answer)
        return;
    if (DesktopApps::Launch(*entry, {url}) != DesktopApps::ELaunchResult::Started)
        ShowErrorText(Fill(IDS_EXTERNAL_LINK_CANNOT_START, scheme, program, url), pParent);
}
