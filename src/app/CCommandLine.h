#pragma once

#include "CGraphicsBackend.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the command line asks for. No argument opens the start page (FileNew);
// the first plain argument, an address or a file path, opens in the first window
// (FileOpen); an option this program does not know opens one empty window
// (Nothing), as a start with a verb it cannot carry out would.
struct CCommandLineInfo
{
    enum EShellCommand { FileNew, FileOpen, Nothing };

    EShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;
    bool m_bShowHelp = false;
    bool m_bShowVersion = false;
    QStringList m_unknownOptions;
    // --graphics=auto|software|gpu. A value it does not know leaves Auto and is kept,
    // as typed, in m_badValues.
    GraphicsBackend::EMode m_nGraphics = GraphicsBackend::EMode::Auto;
    QStringList m_badValues;
};

// args: the arguments after the program name, as raw bytes (Qt's own options
// already taken out). A relative path to an existing file becomes absolute so a
// running copy with another working folder finds it.
CCommandLineInfo ParseCommandLine(const QList<QByteArray> &args);

// True when the raw arguments ask for --help or --version, which are answered
// before any window system is touched.
bool WantsHelpOrVersion(int argc, char **argv);
QString HelpText();
// The user guide the running program opens from Help (its data folder's copy).
QString GuidePath();
QString VersionText();
