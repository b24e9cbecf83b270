#include "CCommandLine.h"

#include "CMainFrame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
bool IsHelp(const QByteArray &arg)
{
    return arg == "--help" || arg == "-h" || arg == "-?";
}

bool IsVersion(const QByteArray &arg)
{
    return arg == "--version" || arg == "-v";
}
} // namespace

CCommandLineInfo ParseCommandLine(const QList<QByteArray> &args)
{
    CCommandLineInfo info;
    bool bOptionsEnded = false;
    for (const QByteArray &arg : args) {
        if (!bOptionsEnded && arg == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (!bOptionsEnded && arg.size() > 1 && arg.startsWith('-')) {
            if (IsHelp(arg))
                info.m_bShowHelp = true;
            else if (IsVersion(arg))
                info.m_bShowVersion = true;
            else
                info.m_unknownOptions << QString::fromLocal8Bit(arg);
            continue;
        }
        if (!info.m_strFileName.isEmpty() || arg.isEmpty())
            continue;
        QString name = CMainFrame::DecodeAddress(arg).trimmed();
        if (name.isEmpty())
            continue;
        const QFileInfo file(name);
        if (file.isRelative() && file.exists())
            name = file.absoluteFilePath();
        info.m_strFileName = name;
    }
    if (!info.m_strFileName.isEmpty())
        info.m_nShellCommand = CCommandLineInfo::FileOpen;
    else if (!info.m_unknownOptions.isEmpty())
        info.m_nShellCommand = CCommandLineInfo::Nothing;
    return info;
}

bool WantsHelpOrVersion(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--")
            return false;
        if (IsHelp(arg) || IsVersion(arg))
            return true;
    }
    return false;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: quillbrow [OPTION]... [ADDRESS | FILE]\n"
        "Open ADDRESS or FILE in Quillbrow, a multiple-document web browser.\n"
        "Without an argument Quillbrow opens its start page. When Quillbrow already\n"
        "runs, the address is handed to the running copy and this start ends.\n"
        "\n"
        "  -h, --help       show this help and exit\n"
        "  -v, --version    show the version and exit\n"
        "  --               treat every later argument as an address or file\n");
}

QString VersionText()
{
    return QStringLiteral("Quillbrow " QUILLBROW_VERSION "\n");
}
