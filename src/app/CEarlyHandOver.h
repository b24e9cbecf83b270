#pragma once

#include "CCommandLine.h"

#include <QByteArray>
#include <QList>

#include <optional>

// A start that finds a copy of Quillbrow already running only hands its address over
// and ends. Done before any application object exists, it costs no display
// connection, no GL context and no widgets: the decisions and their order are those
// of CQuillbrowApp::InitInstance (engine version, settings, command line, the running
// copy), and whatever this path cannot settle without a window is left to it.
namespace EarlyHandOver {

// False when an argument may be one of Qt's own options, which only an application
// object can take out of the command line.
bool ArgumentsArePlain(const QList<QByteArray> &args);

// The exit code when a running copy took this start over; nothing when the start has
// to go on the ordinary way (an engine too old, several copies allowed, no copy
// running, arguments only Qt can read, settings that could not be written back).
std::optional<int> Run(const QList<QByteArray> &args);

// Finds the running copy and hands it the command line's address: a copy-data with
// the address, then a navigate when it was taken; a navigate alone without one.
// False when no copy answered.
bool HandOverToRunningCopy(const CCommandLineInfo &cmdInfo);

} // namespace EarlyHandOver
