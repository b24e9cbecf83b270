#include "CEngineSandbox.h"

#include <QByteArrayList>

#include <cstdio>
#include <unistd.h>

namespace EngineSandbox {

SDecision Decide(uid_t euid, bool bDisableVarSet, const QByteArray &chromiumFlags)
{
    if (euid == 0)
        return {true,
                QStringLiteral("quillbrow: running as root, the web engine's sandbox is off")};
    // Someone turned it off by hand; that is theirs to decide, but not to forget.
    if (bDisableVarSet)
        return {false,
                QStringLiteral("quillbrow: QTWEBENGINE_DISABLE_SANDBOX is set, the web "
                               "engine's sandbox is off")};
    if (chromiumFlags.split(' ').contains("--no-sandbox"))
        return {false,
                QStringLiteral("quillbrow: QTWEBENGINE_CHROMIUM_FLAGS has --no-sandbox, "
                               "the web engine's sandbox is off")};
    return {};
}

void Apply()
{
    const SDecision decision
        = Decide(geteuid(), qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"),
                 qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"));
    if (decision.bTurnOff)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!decision.notice.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(decision.notice));
}

} // namespace EngineSandbox
