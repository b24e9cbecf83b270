#pragma once

#include "CCmdTarget.h"
#include "CDownloadsWindow.h"
#include "CEngineInfo.h"
#include "CHelpFile.h"
#include "IBrowserHost.h"
#include "IWebEngine.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CAddressBar;
class CAnimation;
class CCommandManager;
class CFavoritesMenu;
class CDownloadManager;
class CMainReBar;
class CMainToolBar;
class CSettings;
class CWindowsBar;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QUrl;

// The one top-level window: a multiple-document frame whose MDI area holds the
// browser windows, with the menu bar, a rebar of four bands (toolbar, address bar,
// busy animation, Windows Bar) and a status bar. It routes every command and
// answers the single-instance messages of later starts (the application's channel
// hands them over).
class CMainFrame : public QMainWindow, public IBrowserHost, public CCmdTarget
{
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<IWebEngine>()>;

    // settings must outlive the frame: the frame's destruction writes into it.
    explicit CMainFrame(CSettings &settings, QWidget *parent = nullptr);
    ~CMainFrame() override;

    QMdiArea *MdiArea() const { return m_pMdiArea; }
    QString StatusText() const;

    // IBrowserHost
    CSettings &Settings() override { return m_settings; }
    const CEngineInfo &EngineInfo() const override;
    QMdiArea *MdiClient() const override { return m_pMdiArea; }
    CWindowsBar *WindowsBar() const override { return m_pWindowsBar; }
    CQuillbrowView *GetActiveHtmlView() const override;
    bool IsActiveChildMaximized() const override;
    bool ChildMaximized() const override { return m_bChildMaximized; }
    void SetChildMaximized(bool bMaximized) override
    {
        m_bChildMaximized = bMaximized;
        UpdateFrameTitle();
    }
    void SetAddressText(const QString &strAddress, bool bForce) override;
    void PlayAnimation(bool bPlay) override;
    void SetStatusText(const QString &text) override;
    void ShowStatusMessage(const QString &text, int nTimeoutMs) override;
    void SetLastAddress(const QString &address) override;
    void AddTypedAddress(const QString &strAddress) override;
    void OnDocumentTitleChanged() override;
    void OnWindowNavigated() override { emit windowsChanged(); }
    CQuillbrowView *CreateNewWindow(bool bShow, bool bAddTab) override;
    bool IsClosingAll() const override { return m_fnIsClosingAll && m_fnIsClosingAll(); }
    void SignalSplashDone() override;
    void ShowCaptionMenu(const QPoint &globalPos) override;

    // Band ids of the rebar.
    enum { BandToolBar = 1007, BandAddressBar = 1008, BandAnimation = 1009, BandWindowsBar = 1010 };
    QWidget *GetBandChild(int nBandId) const;

    // The application joins the command route (after the window's own targets, and
    // again after the frame).
    void SetAppTarget(CCmdTarget *pApp);
    QList<CCmdTarget *> CommandRoute() const;
    CCommandManager *Commands() const { return m_pCommands; }
    CMainToolBar *ToolBar() const { return m_pToolBar; }
    CAddressBar *AddressBar() const { return m_pAddressBar; }
    CAnimation *Animation() const { return m_pAnimate; }
    CMainReBar *ReBar() const { return m_pReBar; }
    QMenu *TabMenu() const { return m_pTabMenu; }
    CFavoritesMenu *Favorites() const { return m_pFavorites; }
    bool IsFullScreen() const { return m_bFullScreen; }
    // The Downloads window, null until the user first opened it.
    CDownloadsWindow *DownloadsWindow() const { return m_pDownloadsWindow; }
    // Closing without the exit question, for an end the user did not ask for.
    void SetAskBeforeClose(bool bAsk) { m_bAskBeforeClose = bAsk; }
    // Writes what closing the frame writes (typed addresses, bars, placement) and puts
    // the last address and the maximized state into the settings, the frame left open:
    // a session that ends may kill the program right after asking it to save.
    void SaveSession();

    // Asks for the entry (unless ConfirmAddToAutoClose is off), adds it to the AutoClose
    // list and closes the window; nothing without a window.
    void AddToAutoCloseList(CQuillbrowView *pView);
    // The options sheet; the settings are saved when it ends with OK.
    void OnOptions();

    // Sets the active view's typed flag, then navigates it; nothing without a window.
    void NavigateActiveView(const QString &strAddress, bool bTyped);

    // The file prompt of File Open (bOpen) and the save prompts: HTML documents first,
    // then all files. True when the user chose a file; its path is in strPath.
    bool PromptFileName(QWidget *pOwner, QString &strPath, bool bOpen, const QString &title);
    // Opens a new window for each dropped file or address, in order; folders and
    // files that do not exist are skipped.
    void OnDropFiles(const QList<QUrl> &urls);
    const CHelpFile &HelpFile() const { return m_helpFile; }

    QString LastAddress() const { return m_strLastAddress; }
    QString AddressText() const;
    bool IsAnimationPlaying() const;
    QStringList TypedAddresses() const;
    QList<CQuillbrowView *> Views() const;

    // Tests give windows a fake engine; the real one is the default.
    void SetEngineFactory(EngineFactory factory) { m_engineFactory = std::move(factory); }
    void SetClosingAllQuery(std::function<bool()> query) { m_fnIsClosingAll = std::move(query); }
    // The engine's home page as the application holds it, shown by the options.
    void SetEngineHomepageQuery(std::function<QString()> query)
    {
        m_fnEngineHomepage = std::move(query);
    }
    // The application's record; until it is given, the frame reads one of its own.
    void SetEngineInfo(const CEngineInfo *pInfo) { m_pEngineInfo = pInfo; }
    void SetSplashDoneHandler(std::function<void()> handler)
    {
        m_fnSplashDone = std::move(handler);
    }
    // Freezes the last address: windows closed from now on no longer change it.
    void FreezeLastAddress() { m_bLastAddressFrozen = true; }

    // The single-instance messages. Find answers with a non-zero frame id; copy-data
    // with tag 0 keeps the address until navigate opens it.
    quint64 OnFindInstance() const;
    quint32 OnCopyData(quint32 nTag, const QByteArray &data);
    quint32 OnNavigate();

    // Address bytes from another process or the command line: UTF-8, cut at the first
    // NUL, with every byte that is not valid UTF-8 written as %XX so that nothing is
    // lost and the result stays a usable address.
    static QString DecodeAddress(const QByteArray &bytes);

    QString m_strPendingAddress;
    bool m_bChildMaximized = false;

signals:
    // A later start asked to open an address (empty: only show the frame).
    void openAddressRequested(const QString &address);
    // The engine's settings may have changed (Internet Options closed): whoever keeps
    // the engine information reads the start page again.
    void engineSettingsChanged();
    // A window opened, closed, was activated or moved to another page.
    void windowsChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreateBars();
    void BuildCommandMap();
    void OnSubWindowActivated(QMdiSubWindow *pWindow);
    void UpdateFrameTitle();
    void OnIdleUpdate();
    QMenu *DropDownMenu(int nID);
    void ToggleBand(int nBandId);
    QList<QMdiSubWindow *> ArrangeableWindows(bool bMinimized) const;
    int IconRowsHeight() const;
    // The Windows menu's Tile commands: Qt::Vertical stacks the windows one above the
    // other, Qt::Horizontal puts them side by side.
    void TileWindows(Qt::Orientation stacking);
    void ArrangeIcons();
    bool IsBarVisible(int nBandId) const;
    void OnFullScreen();
    void OnEditCommand(int nID);
    void OnUpdateEditCommand(CCmdUI *pCmdUI);
    bool IsFocusInAddressBar() const;
    void OnClearAddresses();
    void OnInternetOptions();
    void StopAll();
    // Waits, briefly, until every page's recent cookies have reached the store.
    void SettleCookies();
    void SaveBarState();
    void SaveLayout();
    void OnThemeChange();
    CDownloadManager *Downloads();
    void OnShowDownloads();

    CSettings &m_settings;
    QMdiArea *m_pMdiArea;
    CWindowsBar *m_pWindowsBar;
    CCommandManager *m_pCommands;
    CMainToolBar *m_pToolBar = nullptr;
    CAddressBar *m_pAddressBar = nullptr;
    CAnimation *m_pAnimate = nullptr;
    CMainReBar *m_pReBar = nullptr;
    QMenu *m_pCaptionMenu = nullptr;
    QMenu *m_pTabMenu = nullptr;
    QTimer *m_pStatusTimer = nullptr;
    QString m_strTimedStatus;
    CFavoritesMenu *m_pFavorites = nullptr;
    CCmdTarget *m_pAppTarget = nullptr;
    const CEngineInfo *m_pEngineInfo = nullptr;
    mutable std::unique_ptr<CEngineInfo> m_pOwnEngineInfo;
    CHelpFile m_helpFile;
    QPointer<QMdiSubWindow> m_pActiveChild;
    QPointer<CDownloadsWindow> m_pDownloadsWindow;
    bool m_bDownloadsBegun = false;
    QString m_strLastAddress;
    bool m_bLastAddressFrozen = false;
    bool m_bFullScreen = false;
    bool m_bAskBeforeClose = true;
    bool m_bClosing = false;
    bool m_bSettingCaption = false;
    // The key being offered to the shortcuts, seen on its way up from the focus widget.
    QEvent *m_pPendingOverride = nullptr;
    EngineFactory m_engineFactory;
    std::function<bool()> m_fnIsClosingAll;
    std::function<QString()> m_fnEngineHomepage;
    std::function<void()> m_fnSplashDone;
};
