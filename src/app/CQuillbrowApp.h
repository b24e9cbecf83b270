#pragma once

#include "CCmdTarget.h"
#include "CCommandLine.h"
#include "CEngineInfo.h"
#include "CInstanceChannel.h"
#include "CMainFrame.h"
#include "CSettings.h"
#include "CSplashWnd.h"
#include "CWindowJournal.h"

#include <QElapsedTimer>
#include <QTimer>

#include <QLoggingCategory>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

// The application object: start-up, the single running copy, and the orderly exit.
// It holds the settings and the engine information for the whole run; the other
// subsystems reach them through QuillbrowApp().
class CQuillbrowApp : public QObject, public IInstanceReceiver, public CCmdTarget
{
    Q_OBJECT
public:
    // args: the arguments after the program name, Qt's own options taken out.
    explicit CQuillbrowApp(const QList<QByteArray> &args, QObject *parent = nullptr);
    ~CQuillbrowApp() override;

    // True: run the event loop. False: end at once (then call ExitInstance).
    bool InitInstance();
    // Saves the settings when they were loaded; returns the exit code.
    int ExitInstance();
    // The session manager's request to save before the desktop session ends: everything
    // an exit writes is written now, and the end that follows asks no question. The
    // program goes on running, since the user may still cancel the logout.
    void OnCommitData();

    CMainFrame *MainFrame() const { return m_pMainWnd; }
    // Makes a browser window in the main frame; null when there is no frame.
    CQuillbrowView *CreateNewWindow(bool bShow, bool bAddTab);
    const CCommandLineInfo &CommandLine() const { return m_cmdInfo; }
    CInstanceServer *InstanceServer() const { return m_pInstanceServer.get(); }
    // The splash screen while it shows; null before and after.
    CSplashWnd *SplashWnd() const { return m_pSplashWnd; }

    // The start page StartMode selects.
    QString StartAddress() const;

    // Closes every browser window, none kept for a null except. With a window to keep,
    // asks first while ConfirmCloseAllEx is on; the kept window stays where it is.
    void CloseAllWindows(CQuillbrowView *except);

    std::atomic<bool> m_bSplashDone {true};
    quint32 m_nFindInstanceMsg = 0;
    quint32 m_nNavigateMsg = 0;
    bool m_bClosingAll = false;
    CEngineInfo m_engineInfo;
    CSettings m_settings;

    quint64 OnFindInstance() override;
    quint32 OnCopyData(quint32 nTag, const QByteArray &data) override;
    quint32 OnNavigate() override;

private:
    bool HandOverToRunningCopy();
    void CheckDefaultBrowser();
    void StartSplash();
    void PlaceMainFrame();
    // The first window takes the first of the windows to reopen when the command line
    // names no address or file.
    void OpenFirstWindow(QStringList &reopen);
    void BuildCommandMap();

    // Windows left open by a run that was killed or crashed (CAppJournal.cpp).
    QStringList TakeWindowsToReopen();
    void ReopenWindows(const QStringList &addresses);
    void RecordWindows();
    void ArmJournalTimer();

    // The application's commands (CAppCommands.cpp).
    void OnNewWindow(const QString &address);
    void OnCloseAll();
    void OnWorkOffline();
    void OnFileOpen();
    void OnRefreshAll();
    void OnStopAll();
    void OnUpdateMoreThanOneWindow(CCmdUI *pCmdUI) const;
    void OnUpdateWindowRule(CCmdUI *pCmdUI) const;
    QList<CQuillbrowView *> Documents() const;

    QList<QByteArray> m_args;
    CCommandLineInfo m_cmdInfo;
    QPointer<CMainFrame> m_pMainWnd;
    QPointer<CSplashWnd> m_pSplashWnd;
    std::unique_ptr<CInstanceServer> m_pInstanceServer;
    bool m_bSettingsLoaded = false;
    std::unique_ptr<CWindowJournal> m_pJournal;
    QTimer *m_pJournalTimer = nullptr;
    QElapsedTimer m_journalClock;
};

// The one application object of the process; null before it is made.
CQuillbrowApp *QuillbrowApp();
