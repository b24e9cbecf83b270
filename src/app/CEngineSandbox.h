#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// The web engine's sandbox. Chromium refuses to start as root with it, so root alone
// runs without it; every other user keeps it. Whoever runs without it is told so on
// standard error, since a page then runs with all the user's rights.
namespace EngineSandbox {
struct SDecision
{
    bool bTurnOff = false; // set QTWEBENGINE_DISABLE_SANDBOX before the engine starts
    QString notice; // for standard error; empty when the sandbox is on
};

// euid: the effective user; bDisableVarSet: QTWEBENGINE_DISABLE_SANDBOX is in the
// environment (the engine then runs without its sandbox, whatever its value);
// chromiumFlags: QTWEBENGINE_CHROMIUM_FLAGS.
SDecision Decide(uid_t euid, bool bDisableVarSet, const QByteArray &chromiumFlags);

// Decides for this process, sets the variable and writes the notice. Must run
// before the engine is loaded.
void Apply();
} // namespace EngineSandbox
