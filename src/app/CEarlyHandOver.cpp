#include "CEarlyHandOver.h"

#include "CEngineInfo.h"
#include "CInstanceChannel.h"
#include "CRegistry.h"
#include "CSettings.h"

#include <QCoreApplication>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

bool EarlyHandOver::ArgumentsArePlain(const QList<QByteArray> &args)
{
    for (const QByteArray &arg : args) {
        if (arg == "--")
            return true;
        // Qt's options start with a single dash (-platform, -display, -style...); ours
        // with two, and --graphics is the only one that takes a value.
        if (arg.size() > 1 && arg.startsWith('-') && !arg.startsWith("--"))
            return false;
    }
    return true;
}

std::optional<int> EarlyHandOver::Run(const QList<QByteArray> &args)
{
    if (!ArgumentsArePlain(args))
        return std::nullopt;

    // The ordinary path shows the message about an engine too old.
    CEngineInfo engineInfo;
    engineInfo.LoadEngineInfo();
    if (!CEngineInfo::IsSupportedWebEngine(CEngineInfo::ReadWebEngineVersion()))
        return std::nullopt;

    QCoreApplication::setOrganizationName(QStringLiteral("Tarvo"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillbrow"));
    CSettings settings;
    settings.Load();
    if (settings.MultipleInstance != 0)
        return std::nullopt;
    // A copy that hands over writes back the settings it loaded. When they cannot be
    // written the user is told in a window, which only the ordinary path can show.
    if (!settings.AutoCloseList.isEmpty() && !RegIsWritable(ERegRoot::Program))
        return std::nullopt;

    const CCommandLineInfo cmdInfo = ParseCommandLine(args);
    if (!HandOverToRunningCopy(cmdInfo))
        return std::nullopt;
    for (const QString &option : std::as_const(cmdInfo.m_unknownOptions))
        qWarning("quillbrow: unknown option %s, opening an empty window", qPrintable(option));
    settings.Save();
    return 0;
}

bool EarlyHandOver::HandOverToRunningCopy(const CCommandLineInfo &cmdInfo)
{
    CInstanceClient client;
    if (!client.FindExistingInstance())
        return false;
    qCDebug(lcStartup, "handing over to the running copy %llu", client.FrameId());
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen) {
        QByteArray data = cmdInfo.m_strFileName.toUtf8();
        data.append('\0');
        if (client.SendCopyData(0, data) != 0)
            client.SendNavigate();
    } else {
        client.SendNavigate();
    }
    return true;
}
