#include "CQuillbrowApp.h"

#include "CAboutDlg.h"
#include "CChildFrame.h"
#include "CClientLaunchers.h"
#include "CConfirmDlg.h"
#include "CDefaultBrowser.h"
#include "CEarlyHandOver.h"
#include "CFramePlacement.h"
#include "CMainFrame.h"
#include "COfflineState.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWindowsBar.h"

#include <QApplication>

Q_LOGGING_CATEGORY(lcStartup, "quillbrow.startup", QtWarningMsg)

namespace {
CQuillbrowApp *g_pApp = nullptr;
} // namespace

CQuillbrowApp *QuillbrowApp()
{
    return g_pApp;
}

CQuillbrowApp::CQuillbrowApp(const QList<QByteArray> &args, QObject *parent)
    : QObject(parent)
    , m_args(args)
{
    g_pApp = this;
    BuildCommandMap();
}

void CQuillbrowApp::BuildCommandMap()
{
    OnCommandId(ID_FILE_NEW_BLANK, [this] { OnNewWindow(QStringLiteral("about:blank")); });
    OnCommandId(ID_FILE_NEW_HOME, [this] { OnNewWindow(m_engineInfo.m_strStartPage); });
    OnCommandId(ID_FILE_NEW_CURRENT, [this] {
        const CQuillbrowView *view = m_pMainWnd ? m_pMainWnd->GetActiveHtmlView() : nullptr;
        OnNewWindow(view ? view->GetLocationURL() : QString());
    });
    OnUpdateId(ID_FILE_NEW_CURRENT, [this](CCmdUI *ui) { OnUpdateWindowRule(ui); });
    OnCommandId(ID_HELP_WEB_SITE, [this] { OnNewWindow(LoadString(IDS_WEB_SITE_ADDRESS)); });
    OnCommandId(ID_FILE_OPEN, [this] { OnFileOpen(); });
    OnCommandId(ID_APP_ABOUT, [this] {
        CAboutDlg dlg(m_pMainWnd);
        dlg.exec();
    });

    OnCommandId(ID_FILE_CLOSE_ALL, [this] { OnCloseAll(); });
    OnUpdateId(ID_FILE_CLOSE_ALL, [this](CCmdUI *ui) { OnUpdateWindowRule(ui); });
    OnCommandId(ID_FILE_CLOSE_ALL_EXCEPT_CURRENT, [this] {
        if (CQuillbrowView *view = m_pMainWnd ? m_pMainWnd->GetActiveHtmlView() : nullptr)
            CloseAllWindows(view);
    });
    OnUpdateId(ID_FILE_CLOSE_ALL_EXCEPT_CURRENT,
               [this](CCmdUI *ui) { OnUpdateMoreThanOneWindow(ui); });
    // The Windows Bar's Tab popup: the right-clicked window is the one kept.
    OnCommandId(ID_TAB_CLOSE_ALL_EXCEPT_THIS, [this] {
        if (m_pMainWnd)
            CloseAllWindows(
                dynamic_cast<CQuillbrowView *>(m_pMainWnd->WindowsBar()->m_pClickedView));
    });
    OnUpdateId(ID_TAB_CLOSE_ALL_EXCEPT_THIS, [this](CCmdUI *ui) { OnUpdateMoreThanOneWindow(ui); });

    OnCommandId(ID_VIEW_REFRESH_ALL, [this] { OnRefreshAll(); });
    OnUpdateId(ID_VIEW_REFRESH_ALL, [this](CCmdUI *ui) { OnUpdateWindowRule(ui); });
    OnCommandId(ID_GO_STOP_ALL, [this] { OnStopAll(); });
    OnUpdateId(ID_GO_STOP_ALL, [this](CCmdUI *ui) { OnUpdateWindowRule(ui); });

    OnCommandId(ID_FILE_WORK_OFFLINE, [this] { OnWorkOffline(); });
    // Asked at every update: another copy of the program may have switched it.
    OnUpdateId(ID_FILE_WORK_OFFLINE, [](CCmdUI *ui) { ui->SetCheck(IsOnline() ? 0 : 1); });

    OnCommandId(ID_TOOLS_MAIL, [this] { LaunchMailClient(m_pMainWnd); });
    OnCommandId(ID_TOOLS_NEWS, [this] { LaunchNewsClient(m_pMainWnd); });
    OnCommandId(ID_TOOLS_SYNCHRONIZE, [this] { StartSynchronize(m_settings, m_pMainWnd); });
}

CQuillbrowApp::~CQuillbrowApp()
{
    // The splash reads m_bSplashDone on every tick: it must not outlive it.
    delete m_pSplashWnd;
    delete m_pMainWnd;
    if (g_pApp == this)
        g_pApp = nullptr;
}

bool CQuillbrowApp::InitInstance()
{
    // The channel's message kinds stand in for the two registered message ids.
    m_nFindInstanceMsg = InstanceChannel::Find;
    m_nNavigateMsg = InstanceChannel::Navigate;

    m_engineInfo.LoadEngineInfo();
    // The engine that matters is the Qt WebEngine library the program was built
    // against; the message names the oldest one it runs on.
    if (!CEngineInfo::IsSupportedWebEngine(CEngineInfo::ReadWebEngineVersion())) {
        CConfirmDlg dlg(nullptr,
                        LoadStringWith(IDS_INVALID_ENGINE_VERSION, QStringLiteral("version"),
                                       CEngineInfo::RequiredWebEngineVersion()),
                        Mb::Ok | Mb::IconStop, false);
        dlg.exec();
        return false;
    }

    QCoreApplication::setOrganizationName(QStringLiteral("Tarvo"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillbrow"));
    m_settings.Load();
    m_bSettingsLoaded = true;

    m_cmdInfo = ParseCommandLine(m_args);
    for (const QString &option : std::as_const(m_cmdInfo.m_unknownOptions))
        qWarning("quillbrow: unknown option %s, opening an empty window", qPrintable(option));

    if (m_settings.MultipleInstance == 0 && HandOverToRunningCopy())
        return false;

    if (m_settings.CheckDefaultBrowser != 0)
        CheckDefaultBrowser();

    // The splash is decided here; its window is made once the first page is on its way
    // (StartSplash below).
    const bool bSplash
        = m_cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew && m_settings.DisplaySplash != 0;
    m_bSplashDone = !bSplash;

    m_pMainWnd = new CMainFrame(m_settings);
    m_pMainWnd->setAttribute(Qt::WA_DeleteOnClose);
    // The application's commands come after the active window's and the frame's own.
    m_pMainWnd->SetAppTarget(this);
    m_pMainWnd->SetClosingAllQuery([this] { return m_bClosingAll; });
    m_pMainWnd->SetEngineHomepageQuery([this] { return m_engineInfo.m_strStartPage; });
    m_pMainWnd->SetEngineInfo(&m_engineInfo);
    m_pMainWnd->SetSplashDoneHandler([this] { m_bSplashDone = true; });
    connect(m_pMainWnd, &CMainFrame::engineSettingsChanged, this,
            [this] { m_engineInfo.ReadStartPage(); });
    connect(m_pMainWnd, &CMainFrame::openAddressRequested, this, [](const QString &address) {
        qCDebug(lcStartup, "open requested: %s", address.isEmpty() ? "\"\"" : qPrintable(address));
    });
    m_pInstanceServer = std::make_unique<CInstanceServer>(this);
    if (!m_pInstanceServer->Listen())
        qCInfo(lcStartup, "another copy owns the instance channel; this one takes no addresses");

    QStringList reopen = TakeWindowsToReopen();
    OpenFirstWindow(reopen);
    ReopenWindows(reopen);
    PlaceMainFrame();
    // Nothing is painted before the event loop runs, so a splash made earlier would show
    // no sooner; made now, it costs the first page's start nothing. It comes up in front
    // of the frame.
    if (bSplash && !m_bSplashDone)
        StartSplash();
    qCDebug(lcStartup, "main frame shown, pid %lld", QCoreApplication::applicationPid());
    return true;
}

int CQuillbrowApp::ExitInstance()
{
    m_pInstanceServer.reset();
    // A normal end: nothing to offer the next start.
    if (m_pJournal)
        m_pJournal->Clear();
    // A first page that never completed leaves the splash up.
    delete m_pSplashWnd;
    // The frame's destruction copies the last address and the maximized state into
    // the settings, so it must go before they are saved. A frame still open here
    // (the event loop ended some other way) is closed first so its placement is kept.
    if (m_pMainWnd) {
        m_pMainWnd->SetAskBeforeClose(false);
        m_pMainWnd->close();
        delete m_pMainWnd;
    }
    if (m_bSettingsLoaded)
        m_settings.Save();
    return 0;
}

void CQuillbrowApp::OnCommitData()
{
    if (m_pMainWnd) {
        m_pMainWnd->SaveSession();
        m_pMainWnd->SetAskBeforeClose(false);
    }
    if (m_bSettingsLoaded)
        m_settings.Save();
}

CQuillbrowView *CQuillbrowApp::CreateNewWindow(bool bShow, bool bAddTab)
{
    return m_pMainWnd ? m_pMainWnd->CreateNewWindow(bShow, bAddTab) : nullptr;
}

void CQuillbrowApp::OpenFirstWindow(QStringList &reopen)
{
    CQuillbrowView *view = CreateNewWindow(true, true);
    if (!view) {
        // No page will complete.
        m_bSplashDone = true;
        return;
    }
    if (m_cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew) {
        // Windows brought back take the place of the start page.
        const QString address = reopen.isEmpty() ? StartAddress() : reopen.takeFirst();
        // An engine without a start page leaves the window empty, and no page will
        // complete to end the splash screen.
        if (!address.isEmpty()) {
            if (!m_bSplashDone)
                view->SignalSplashOnComplete();
            view->Navigate2(address);
        } else {
            m_bSplashDone = true;
        }
    } else if (m_cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen) {
        view->GetDocument()->OnOpenDocument(m_cmdInfo.m_strFileName);
    }
    if (CChildFrame *frame = view->GetParentFrame())
        frame->ActivateFrame(m_settings.MaximizeChild != 0 ? 3 : 1);
}

QString CQuillbrowApp::StartAddress() const
{
    return m_settings.GetStartPage(m_engineInfo.m_strStartPage);
}

bool CQuillbrowApp::HandOverToRunningCopy()
{
    return EarlyHandOver::HandOverToRunningCopy(m_cmdInfo);
}

void CQuillbrowApp::StartSplash()
{
    m_pSplashWnd = new CSplashWnd(m_bSplashDone);
    connect(m_pSplashWnd, &CSplashWnd::finished, this, [this] {
        if (m_pMainWnd) {
            m_pMainWnd->raise();
            m_pMainWnd->activateWindow();
        }
    });
    m_pSplashWnd->show();
    m_pSplashWnd->raise();
}

void CQuillbrowApp::CheckDefaultBrowser()
{
    if (DefaultBrowser::IsDefaultBrowser())
        return;
    CConfirmDlg dlg(nullptr, LoadString(IDS_NOT_DEFAULT_BROWSER), Mb::YesNo | Mb::IconQuestion,
                    true, QString(), QIcon(), LoadString(IDS_DONT_CHECK_ON_START));
    const int answer = dlg.exec();
    m_settings.CheckDefaultBrowser = dlg.ShowNextTime;
    if (answer == IDYES)
        DefaultBrowser::MakeDefaultBrowser();
}

void CQuillbrowApp::PlaceMainFrame()
{
    const QByteArray stored
        = GetProfileBinary(QStringLiteral("Settings"), QStringLiteral("MainFramePosition"));
    if (stored.isEmpty())
        m_pMainWnd->show();
    else
        CFramePlacement::FromBytes(stored).Apply(m_pMainWnd);
}

quint64 CQuillbrowApp::OnFindInstance()
{
    return m_pMainWnd ? m_pMainWnd->OnFindInstance() : 0;
}

quint32 CQuillbrowApp::OnCopyData(quint32 nTag, const QByteArray &data)
{
    return m_pMainWnd ? m_pMainWnd->OnCopyData(nTag, data) : 0;
}

quint32 CQuillbrowApp::OnNavigate()
{
    return m_pMainWnd ? m_pMainWnd->OnNavigate() : 1;
}
