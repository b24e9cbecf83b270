#include "CCommandLine.h"

#include "CMainFrame.h"
#include "CProgramData.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

bool IsGraphics(const QByteArray &arg)
{
    return arg == "--graphics" || arg.startsWith("--graphics=");
}

void ParseGraphics(const QByteArray &arg, CCommandLineInfo &info)
{
    const qsizetype equals = arg.indexOf('=');
    const QString value = equals < 0 ? QString() : QString::fromLocal8Bit(arg.mid(equals + 1));
    if (const auto mode = GraphicsBackend::ParseMode(value))
        info.m_nGraphics = *mode;
    else
        info.m_badValues << QString::fromLocal8Bit(arg);
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
            else if (IsGraphics(arg))
                ParseGraphics(arg, info);
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
               "  --graphics=MODE  how pages are drawn: gpu (with OpenGL), software (by the\n"
               "                   processor), or auto, the default: software when OpenGL has\n"
               "                   no real GPU (no context, or llvmpipe and the like).\n"
               "                   QT_QUICK_BACKEND, when set, wins: software, or rhi for OpenGL\n"
               "  -h, --help       show this help and exit\n"
               "  -v, --version    show the version and exit\n"
               "  --               treat every later argument as an address or file\n"
               "\n"
               "The user guide: %1\n")
        .arg(GuidePath());
}

QString GuidePath()
{
    // Asked before QCoreApplication exists, which would know the program's folder.
    const QString program = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return QDir::cleanPath(ProgramDataDirFor(QFileInfo(program).absolutePath())
                           + QStringLiteral("/quillbrow-guide/index.html"));
}

QString VersionText()
{
    // The text of the About dialog's title.
    return QStringLiteral("Quillbrow %1\n").arg(LoadString(IDS_VERSION));
}
