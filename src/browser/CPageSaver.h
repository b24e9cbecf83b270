#pragma once

#include "IWebEngine.h"

#include <QCoreApplication>
#include <QString>

// Saves a page so that nothing half-written is ever left under the chosen name. The
// engine writes into a hidden folder made beside the target; only a finished save is
// moved into place (the file last, after the folder of its resources), and a failed
// one goes with that folder. A folder that cannot be written fails before the engine
// is asked for anything.
class CPageSaver
{
    Q_DECLARE_TR_FUNCTIONS(CPageSaver)
public:
    // done(error) follows once, with an empty error when the page is in place. It may
    // come before Save returns.
    static void Save(IWebEngine *pEngine, const QString &strPath, IWebEngine::ESaveFormat format,
                     IWebEngine::DoneCallback done);

    // The name of the hidden folder a save in progress writes into, before its suffix.
    static QString StagingPrefix();
};
