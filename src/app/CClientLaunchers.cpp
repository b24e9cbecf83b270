#include "CClientLaunchers.h"

#include "CConfirmDlg.h"
#include "CDesktopApps.h"
#include "CEngineStore.h"
#include "CErrorReport.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QProcess>

namespace {

bool LaunchClient(const QString &mimeType, int nNoProgramId, int nCannotStartId, QWidget *pOwner)
{
    const QString id = DesktopApps::DefaultApplicationFor(mimeType);
    const auto entry = id.isEmpty() ? std::nullopt : DesktopApps::FindDesktopEntry(id);
    const DesktopApps::ELaunchResult result
        = entry ? DesktopApps::Launch(*entry) : DesktopApps::ELaunchResult::NoCommand;
    switch (result) {
    case DesktopApps::ELaunchResult::Started:
        return true;
    case DesktopApps::ELaunchResult::NoCommand:
        ShowErrorString(nNoProgramId);
        return false;
    case DesktopApps::ELaunchResult::StartFailed:
        // The entry's own name, or its file's when it has none.
        ShowErrorText(LoadString(nCannotStartId) + (entry->name.isEmpty() ? id : entry->name),
                      pOwner);
        return false;
    }
    return false;
}

} // namespace

bool LaunchMailClient(QWidget *pOwner)
{
    return LaunchClient(QStringLiteral("x-scheme-handler/mailto"), IDS_NO_MAIL_PROGRAM,
                        IDS_CANNOT_START_MAIL, pOwner);
}

bool LaunchNewsClient(QWidget *pOwner)
{
    return LaunchClient(QStringLiteral("x-scheme-handler/news"), IDS_NO_NEWS_PROGRAM,
                        IDS_CANNOT_START_NEWS, pOwner);
}

void StartSynchronize(CSettings &settings, QWidget *pParent)
{
    if (settings.ConfirmSynchronize != 0) {
        CConfirmDlg dlg(pParent, LoadString(IDS_CONFIRM_SYNCHRONIZE), Mb::YesNo | Mb::IconQuestion,
                        true, LoadString(IDS_SYNCHRONIZE_CAPTION));
        const int answer = dlg.exec();
        settings.ConfirmSynchronize = dlg.ShowNextTime;
        if (answer != IDYES)
            return;
    }
    const auto argv = DesktopApps::ParseExec(EngineStore::ReadSyncCommand());
    if (!argv || !QProcess::startDetached(argv->constFirst(), argv->mid(1)))
        ShowErrorString(IDS_SYNCHRONIZE_FAILED, pParent);
}
