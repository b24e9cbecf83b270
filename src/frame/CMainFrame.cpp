#include "CMainFrame.h"

#include "CAddressBar.h"
#include "CAddressCombo.h"
#include "CAnimation.h"
#include "CAutoCloseDlg.h"
#include "CBandRecord.h"
#include "CBrowserWindow.h"
#include "CChildFrame.h"
#include "CCommandManager.h"
#include "CConfirmDlg.h"
#include "CDownloadManager.h"
#include "CDownloadsWindow.h"
#include "CFavoritesMenu.h"
#include "CFramePlacement.h"
#include "CMainReBar.h"
#include "CMainToolBar.h"
#include "COptionsAutoClose.h"
#include "COptionsConfirms.h"
#include "COptionsGeneral.h"
#include "COptionsSheet.h"
#include "COptionsWindows.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWebEngine.h"
#include "CWindowsBar.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QSet>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
const QString kSettingsSection = QStringLiteral("Settings");
const QString kPlacementValue = QStringLiteral("MainFramePosition");
const QString kToolBarValue = QStringLiteral("ToolBar");
const QString kReBarValue = QStringLiteral("ReBar");
// Toolbar buttons and the address bar follow their commands' state this often.
constexpr int kIdleUpdateMs = 200;

// Length of the well-formed UTF-8 sequence at i, 0 when there is none (a stray
// continuation byte, a truncated sequence, an overlong form or a surrogate).
qsizetype Utf8SequenceLength(const QByteArray &text, qsizetype i)
{
    const auto at = [&](qsizetype k) {
        return uchar(text[k]);
    };
    const uchar c = at(i);
    if (c < 0x80)
        return 1;
    qsizetype len = 0;
    uchar lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + len > text.size() || at(i + 1) < lo || at(i + 1) > hi)
        return 0;
    for (qsizetype k = 2; k < len; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    }
    return len;
}
} // namespace

CMainFrame::CMainFrame(CSettings &settings, QWidget *parent)
    : QMainWindow(parent)
    , m_settings(settings)
    , m_pMdiArea(new QMdiArea(this))
    , m_pWindowsBar(new CWindowsBar(this))
    , m_pCommands(new CCommandManager(this, [this] { return CommandRoute(); }))
    , m_engineFactory([this] {
        auto engine = std::make_unique<CWebEngine>();
        Downloads();
        return engine;
    })
{
    setWindowTitle(LoadString(IDS_APP_TITLE));
    setObjectName(QStringLiteral("MainFrame"));
    m_pMdiArea->setObjectName(QStringLiteral("MdiArea"));
    m_bChildMaximized = m_settings.MaximizeChild != 0;

    m_pCommands->BuildMenuBar(menuBar());
    m_pCaptionMenu = m_pCommands->BuildPopup(CaptionPopup(), this);
    m_pTabMenu = m_pCommands->BuildPopup(TabPopup(), this);
    if (QMenu *windows = m_pCommands->FindMenu(QStringLiteral("WindowsMenu"))) {
        // Below its commands the Windows menu lists the open windows, by number and title.
        connect(windows, &QMenu::aboutToShow, this, [this, windows] {
            const auto actions = windows->actions();
            for (QAction *action : actions) {
                if (action->property("windowList").toBool())
                    delete action;
            }
            const auto views = Views();
            int n = 0;
            for (CQuillbrowView *view : views) {
                CChildFrame *frame = view->GetParentFrame();
                if (!frame || !frame->isVisible())
                    continue;
                if (n == 0)
                    windows->addSeparator()->setProperty("windowList", true);
                QAction *item = windows->addAction(
                    QStringLiteral("&%1 %2").arg(QString::number(++n), view->DocumentTitle()));
                item->setProperty("windowList", true);
                item->setCheckable(true);
                item->setChecked(view == GetActiveHtmlView());
                connect(item, &QAction::triggered, frame, [frame] { frame->ActivateFrame(); });
            }
        });
    }

    CreateBars();
    m_pFavorites = new CFavoritesMenu(
        this, m_pCommands->FindMenu(QStringLiteral("FavoritesMenu")),
        [this](int nID) { m_pCommands->Route(nID); }, this);
    m_pFavorites->SetMeasureFont(m_pAddressBar->font());
    BuildCommandMap();

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pReBar);
    layout->addWidget(m_pMdiArea, 1);
    setCentralWidget(central);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

    SetStatusText(LoadString(IDS_IDLE_MESSAGE));
    resize(1024, 720);
    m_helpFile.Initialise();
    // Files dropped on the frame open in windows of their own.
    setAcceptDrops(true);

    // Keys are checked against the commands' state as they are pressed.
    qApp->installEventFilter(this);

    auto *idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, &CMainFrame::OnIdleUpdate);
    idle->start(kIdleUpdateMs);
    OnIdleUpdate();
}

void CMainFrame::CreateBars()
{
    m_pToolBar = new CMainToolBar([this](int nID) { return m_pCommands->Action(nID); },
                                  [this](int nID) { return DropDownMenu(nID); }, this);
    m_pToolBar->RestoreState(GetProfileBinary(kSettingsSection, kToolBarValue));

    m_pAddressBar = new CAddressBar(this);
    m_pAddressBar->InitControls();
    m_pAddressBar->SetNavigateHandler(
        [this](const QString &address, bool bTyped) { NavigateActiveView(address, bTyped); });
    m_pAddressBar->SetFocusPageHandler([this] {
        if (CQuillbrowView *view = GetActiveHtmlView())
            view->setFocus(Qt::TabFocusReason);
    });

    m_pAnimate = new CAnimation(this);

    m_pWindowsBar->setObjectName(QStringLiteral("WindowsBar"));
    m_pWindowsBar->SetActiveChildMaximizedQuery([this] { return IsActiveChildMaximized(); });
    m_pWindowsBar->SetTabMenu(m_pTabMenu);

    m_pReBar = new CMainReBar(this);
    m_pReBar->SetBandChild(BandToolBar, m_pToolBar);
    m_pReBar->SetBandChild(BandAddressBar, m_pAddressBar);
    m_pReBar->SetBandChild(BandAnimation, m_pAnimate);
    m_pReBar->SetBandChild(BandWindowsBar, m_pWindowsBar);
    const QByteArray stored = GetProfileBinary(kSettingsSection, kReBarValue);
    const QSize button = m_pToolBar->ButtonSize();
    const QList<CBandRecord> defaults = CBandRecord::DefaultLayout(
        button.width(), button.height(), int(m_pToolBar->Buttons().size()));
    QList<CBandRecord> layout = defaults;
    if (!stored.isEmpty()) {
        layout = CBandRecord::FromBytes(stored, defaults);
        CBandRecord::ApplyForcedValues(layout);
    }
    m_pReBar->ApplyLayout(layout);
    m_pReBar->SetBandMinHeight(BandWindowsBar, m_pWindowsBar->BandHeight());
    connect(m_pWindowsBar, &CWindowsBar::bandHeightChanged, this,
            [this](int nHeight) { m_pReBar->SetBandMinHeight(BandWindowsBar, nHeight); });
    connect(m_pReBar, &CMainReBar::contextMenuRequested, this, [this](const QPoint &pos) {
        if (QMenu *menu = m_pCommands->FindMenu(QStringLiteral("ToolbarsMenu")))
            menu->popup(pos);
    });
}

QWidget *CMainFrame::GetBandChild(int nBandId) const
{
    switch (nBandId) {
    case BandToolBar:
        return m_pToolBar;
    case BandAddressBar:
        return m_pAddressBar;
    case BandAnimation:
        return m_pAnimate;
    case BandWindowsBar:
        return m_pWindowsBar;
    default:
        return nullptr;
    }
}

QList<CCmdTarget *> CMainFrame::CommandRoute() const
{
    QList<CCmdTarget *> route;
    if (CQuillbrowView *view = GetActiveHtmlView()) {
        route << view << view->GetDocument() << view->GetParentFrame();
        if (m_pAppTarget)
            route << m_pAppTarget;
    }
    route << const_cast<CMainFrame *>(this);
    if (m_pAppTarget)
        route << m_pAppTarget;
    return route;
}

void CMainFrame::BuildCommandMap()
{
    const auto windowRule = [this](CCmdUI *ui) {
        ui->Enable(GetActiveHtmlView() != nullptr);
    };

    // Bars: the last visible of the three rebar bars cannot be hidden.
    OnCommandId(ID_VIEW_TOOLBAR, [this] { ToggleBand(BandToolBar); });
    OnUpdateId(ID_VIEW_TOOLBAR, [this](CCmdUI *ui) {
        ui->SetCheck(IsBarVisible(BandToolBar));
        ui->Enable(IsBarVisible(BandAddressBar) || IsBarVisible(BandWindowsBar));
    });
    OnCommandId(ID_VIEW_ADDRESS_BAR, [this] { ToggleBand(BandAddressBar); });
    OnUpdateId(ID_VIEW_ADDRESS_BAR, [this](CCmdUI *ui) {
        ui->SetCheck(IsBarVisible(BandAddressBar));
        ui->Enable(IsBarVisible(BandToolBar) || IsBarVisible(BandWindowsBar));
    });
    OnCommandId(ID_VIEW_WINDOWS_BAR, [this] { ToggleBand(BandWindowsBar); });
    OnUpdateId(ID_VIEW_WINDOWS_BAR, [this](CCmdUI *ui) {
        ui->SetCheck(IsBarVisible(BandWindowsBar));
        ui->Enable(IsBarVisible(BandAddressBar) || IsBarVisible(BandToolBar));
    });
    OnCommandId(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    OnUpdateId(ID_VIEW_STATUS_BAR, [this](CCmdUI *ui) { ui->SetCheck(!statusBar()->isHidden()); });
    OnCommandId(ID_VIEW_CUSTOMIZE_TOOLBAR, [this] { m_pToolBar->Customize(); });
    OnUpdateId(ID_VIEW_CUSTOMIZE_TOOLBAR,
               [this](CCmdUI *ui) { ui->Enable(IsBarVisible(BandToolBar)); });
    OnCommandId(ID_VIEW_CLEAR_ADDRESSES, [this] { OnClearAddresses(); });
    OnCommandId(ID_TOOLS_INTERNET_OPTIONS, [this] { OnInternetOptions(); });
    OnCommandId(ID_HELP_CONTENTS, [this] { m_helpFile.Show(this, this); });
    // The application marks Work Offline while a window is active; without one it is off.
    OnUpdateId(ID_FILE_WORK_OFFLINE, [](CCmdUI *ui) { ui->Enable(false); });

    OnCommandId(ID_VIEW_ADD_TO_AUTOCLOSE, [this] { AddToAutoCloseList(GetActiveHtmlView()); });
    OnUpdateId(ID_VIEW_ADD_TO_AUTOCLOSE, windowRule);
    OnCommandId(ID_TAB_ADD_TO_AUTOCLOSE, [this] {
        AddToAutoCloseList(dynamic_cast<CQuillbrowView *>(m_pWindowsBar->m_pClickedView));
    });
    OnCommandId(ID_TOOLS_OPTIONS, [this] { OnOptions(); });

    OnCommandId(ID_VIEW_FULL_SCREEN, [this] { OnFullScreen(); });
    OnCommandId(ID_TOOLS_DOWNLOADS, [this] { OnShowDownloads(); });
    OnUpdateId(ID_VIEW_FULL_SCREEN, [this](CCmdUI *ui) { ui->SetCheck(m_bFullScreen); });

    // Refresh, Home and Search are the view's; the frame decides when they are enabled.
    OnUpdateId(ID_VIEW_REFRESH, windowRule);
    OnUpdateId(ID_GO_HOME, windowRule);
    OnUpdateId(ID_GO_SEARCH, windowRule);
    // Likewise for these page commands.
    OnUpdateId(ID_FILE_PRINT_PREVIEW, windowRule);
    OnUpdateId(ID_EDIT_SELECT_ALL, windowRule);
    OnUpdateId(ID_EDIT_FIND, windowRule);
    OnUpdateId(ID_VIEW_SOURCE, windowRule);

    for (int nID : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE}) {
        OnCommandId(nID, [this, nID] { OnEditCommand(nID); });
        OnUpdateId(nID, [this](CCmdUI *ui) { OnUpdateEditCommand(ui); });
    }

    OnCommandId(ID_WINDOW_PREVIOUS, [this] { m_pWindowsBar->ActivatePrevWindow(nullptr); });
    OnUpdateId(ID_WINDOW_PREVIOUS,
               [this](CCmdUI *ui) { ui->Enable(m_pWindowsBar->GetCurSel() >= 1); });
    OnCommandId(ID_WINDOW_NEXT, [this] { m_pWindowsBar->ActivateNextWindow(nullptr); });
    // With no current tab Next starts at the first one.
    OnUpdateId(ID_WINDOW_NEXT, [this](CCmdUI *ui) {
        ui->Enable(m_pWindowsBar->GetCurSel() < m_pWindowsBar->GetItemCount() - 1);
    });

    // The window arrangement commands of a multiple-document frame.
    OnCommandId(ID_WINDOW_CASCADE, [this] { m_pMdiArea->cascadeSubWindows(); });
    OnCommandId(ID_WINDOW_TILE_HORZ, [this] { TileWindows(Qt::Vertical); });
    OnCommandId(ID_WINDOW_TILE_VERT, [this] { TileWindows(Qt::Horizontal); });
    OnCommandId(ID_WINDOW_ARRANGE, [this] { ArrangeIcons(); });
    OnCommandId(ID_APP_EXIT, [this] { close(); });

    // The "Tab" popup acts on the right-clicked window.
    OnCommandId(ID_TAB_CLOSE, [this] { m_pWindowsBar->CloseClickedWindow(); });
    OnCommandId(ID_TAB_BACK, [this] { m_pWindowsBar->ClickedBack(); });
    OnUpdateId(ID_TAB_BACK, [this](CCmdUI *ui) {
        ui->Enable(m_pWindowsBar->m_pClickedView && m_pWindowsBar->m_pClickedView->CanGoBack());
    });
    OnCommandId(ID_TAB_FORWARD, [this] { m_pWindowsBar->ClickedForward(); });
    OnUpdateId(ID_TAB_FORWARD, [this](CCmdUI *ui) {
        ui->Enable(m_pWindowsBar->m_pClickedView && m_pWindowsBar->m_pClickedView->CanGoForward());
    });
    OnCommandId(ID_TAB_STOP, [this] { m_pWindowsBar->ClickedStop(); });
    OnUpdateId(ID_TAB_STOP, [this](CCmdUI *ui) {
        ui->Enable(m_pWindowsBar->m_pClickedView && m_pWindowsBar->m_pClickedView->IsBusy());
    });
    OnCommandId(ID_TAB_REFRESH, [this] { m_pWindowsBar->ClickedRefresh(); });

    // Favorites: the links and Open All items of the menu, and its commands.
    OnCommandRange(CFavoritesTable::kFirstLinkId, CFavoritesTable::kLastLinkId,
                   [this](int nID) { m_pFavorites->OpenFavorite(nID); });
    OnCommandRange(CFavoritesTable::kFirstRangeId, CFavoritesTable::kLastRangeId,
                   [this](int nID) { m_pFavorites->OpenFolderLinks(nID); });
    OnCommandId(ID_FAVORITES_ADD, [this] { m_pFavorites->AddToFavorites(GetActiveHtmlView()); });
    OnUpdateId(ID_FAVORITES_ADD, windowRule);
    OnCommandId(ID_FAVORITES_ORGANIZE, [this] { m_pFavorites->OrganizeFavorites(); });
    OnCommandId(ID_FAVORITES_IMPORT, [this] { m_pFavorites->TransferFavorites(true); });
    OnCommandId(ID_FAVORITES_EXPORT, [this] { m_pFavorites->TransferFavorites(false); });
    OnCommandId(ID_TAB_ADD_TO_FAVORITES, [this] {
        m_pFavorites->AddToFavorites(dynamic_cast<CQuillbrowView *>(m_pWindowsBar->m_pClickedView));
    });

    // Toolbar-only ids: the buttons open their menus and carry no command.
    OnUpdateId(ID_TOOLBAR_FAVORITES, [](CCmdUI *ui) { ui->Enable(true); });
    OnUpdateId(ID_TOOLBAR_TEXT_SIZE, windowRule);
}

CMainFrame::~CMainFrame()
{
    m_settings.MaximizeChild = m_bChildMaximized ? 1 : 0;
    m_settings.LastVisited = m_strLastAddress;
    // Windows go before the bar they have tabs in.
    m_bLastAddressFrozen = true;
    disconnect(m_pMdiArea, nullptr, this, nullptr);
    // Closed windows waiting for their deferred delete are no longer in the MDI list.
    const auto windows = m_pMdiArea->findChildren<CChildFrame *>();
    for (CChildFrame *window : windows)
        delete window;
    if (m_bDownloadsBegun)
        CDownloadManager::Instance()->EndSession();
}

CDownloadManager *CMainFrame::Downloads()
{
    // The engine starts with the first window or the Downloads window, whichever
    // comes first; this run's list and status lines begin with it.
    CDownloadManager *pManager = CDownloadManager::Instance();
    if (!std::exchange(m_bDownloadsBegun, true)) {
        QPointer<CMainFrame> frame(this);
        pManager->BeginSession([frame](const QString &text) {
            if (frame)
                frame->SetStatusText(text);
        });
    }
    return pManager;
}

void CMainFrame::OnShowDownloads()
{
    if (!m_pDownloadsWindow) {
        m_pDownloadsWindow = new CDownloadsWindow(Downloads(), this);
        // Over the frame the first time; where the user leaves it after that.
        m_pDownloadsWindow->move(frameGeometry().center() - m_pDownloadsWindow->rect().center());
    }
    m_pDownloadsWindow->show();
    m_pDownloadsWindow->raise();
    m_pDownloadsWindow->activateWindow();
}

void CMainFrame::SetAppTarget(CCmdTarget *pApp)
{
    m_pAppTarget = pApp;
    OnIdleUpdate();
}

CQuillbrowView *CMainFrame::GetActiveHtmlView() const
{
    auto *frame = qobject_cast<CChildFrame *>(m_pMdiArea->currentSubWindow());
    return frame && frame->isVisible() ? frame->GetActiveView() : nullptr;
}

bool CMainFrame::IsActiveChildMaximized() const
{
    QMdiSubWindow *child = m_pMdiArea->currentSubWindow();
    return child && child->isMaximized();
}

void CMainFrame::SetAddressText(const QString &strAddress, bool bForce)
{
    m_pAddressBar->SetAddressText(strAddress, bForce);
}

QString CMainFrame::AddressText() const
{
    return m_pAddressBar->Combo()->currentText();
}

void CMainFrame::PlayAnimation(bool bPlay)
{
    m_pAnimate->Play(bPlay);
}

bool CMainFrame::IsAnimationPlaying() const
{
    return m_pAnimate->IsPlaying();
}

void CMainFrame::SetLastAddress(const QString &address)
{
    if (!m_bLastAddressFrozen && !address.isEmpty())
        m_strLastAddress = address;
}

void CMainFrame::AddTypedAddress(const QString &strAddress)
{
    m_pAddressBar->AddTypedAddress(strAddress);
}

QStringList CMainFrame::TypedAddresses() const
{
    return m_pAddressBar->Combo()->Items();
}

void CMainFrame::OnDocumentTitleChanged()
{
    UpdateFrameTitle();
}

void CMainFrame::UpdateFrameTitle()
{
    // "Quillbrow - title", or "Quillbrow - [title]" while the active window is maximized.
    // QMdiSubWindow decorates the frame's caption itself when a child is maximized; that
    // change comes back here through changeEvent and is replaced, so nothing is doubled.
    const CQuillbrowView *view = GetActiveHtmlView();
    const QString title = view ? view->DocumentTitle() : QString();
    QString caption = LoadString(IDS_APP_TITLE);
    if (!title.isEmpty()) {
        caption += IsActiveChildMaximized() ? QStringLiteral(" - [%1]").arg(title)
                                            : QStringLiteral(" - %1").arg(title);
    }
    if (windowTitle() == caption)
        return;
    const QScopedValueRollback guard(m_bSettingCaption, true);
    setWindowTitle(caption);
}

void CMainFrame::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange && !m_bSettingCaption)
        UpdateFrameTitle();
    else if (event->type() == QEvent::ThemeChange)
        OnThemeChange();
}

CQuillbrowView *CMainFrame::CreateNewWindow(bool bShow, bool bAddTab)
{
    return CreateBrowserWindow(this, bShow, bAddTab, m_engineFactory());
}

const CEngineInfo &CMainFrame::EngineInfo() const
{
    if (m_pEngineInfo)
        return *m_pEngineInfo;
    if (!m_pOwnEngineInfo) {
        m_pOwnEngineInfo = std::make_unique<CEngineInfo>();
        m_pOwnEngineInfo->LoadEngineInfo();
    }
    return *m_pOwnEngineInfo;
}

void CMainFrame::ShowCaptionMenu(const QPoint &globalPos)
{
    m_pCaptionMenu->popup(globalPos);
}

void CMainFrame::SignalSplashDone()
{
    if (m_fnSplashDone)
        m_fnSplashDone();
}

void CMainFrame::NavigateActiveView(const QString &strAddress, bool bTyped)
{
    if (CQuillbrowView *view = GetActiveHtmlView()) {
        view->m_bTypedNavigation = bTyped;
        view->Navigate2(strAddress);
    }
}

QList<CQuillbrowView *> CMainFrame::Views() const
{
    QList<CQuillbrowView *> views;
    const auto windows = m_pMdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *window : windows) {
        if (auto *frame = qobject_cast<CChildFrame *>(window))
            views.append(frame->GetActiveView());
    }
    return views;
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow *pWindow)
{
    emit windowsChanged();
    // QMdiArea reports null when the whole frame loses the focus; the current child
    // stays the active window then.
    if (!pWindow || pWindow == m_pActiveChild)
        return;
    m_pActiveChild = pWindow;
    if (auto *frame = qobject_cast<CChildFrame *>(pWindow)) {
        if (frame->isVisible())
            frame->GetActiveView()->OnActivateView(true);
    }
    UpdateFrameTitle();
}

void CMainFrame::SetStatusText(const QString &text)
{
    // A timed notice (a pop-up closed, a flood refused) outlives the idle text that
    // loading windows, a page's links and the menus put back; any other text replaces it.
    if (m_pStatusTimer && m_pStatusTimer->isActive() && StatusText() == m_strTimedStatus
        && text == LoadString(IDS_IDLE_MESSAGE))
        return;
    statusBar()->showMessage(text);
}

void CMainFrame::ShowStatusMessage(const QString &text, int nTimeoutMs)
{
    if (!m_pStatusTimer) {
        m_pStatusTimer = new QTimer(this);
        m_pStatusTimer->setSingleShot(true);
        connect(m_pStatusTimer, &QTimer::timeout, this, [this] {
            if (StatusText() == m_strTimedStatus)
                SetStatusText(LoadString(IDS_IDLE_MESSAGE));
        });
    }
    m_strTimedStatus = text;
    SetStatusText(text);
    m_pStatusTimer->start(nTimeoutMs);
}

QString CMainFrame::StatusText() const
{
    return statusBar()->currentMessage();
}

quint64 CMainFrame::OnFindInstance() const
{
    return quint64(QCoreApplication::applicationPid());
}

quint32 CMainFrame::OnCopyData(quint32 nTag, const QByteArray &data)
{
    if (nTag != 0)
        return 0;
    m_strPendingAddress = DecodeAddress(data);
    return m_strPendingAddress.isEmpty() ? 0 : 1;
}

quint32 CMainFrame::OnNavigate()
{
    const QString address = m_strPendingAddress;
    m_strPendingAddress.clear();
    if (!address.isEmpty()) {
        CQuillbrowView *view = m_settings.OpenInNewWindow == 0 ? GetActiveHtmlView() : nullptr;
        if (!view)
            view = CreateNewWindow(true, true);
        if (view)
            view->GetDocument()->OnOpenDocument(address);
    }
    emit openAddressRequested(address);
    if (isMinimized())
        showNormal();
    else
        show();
    return 1;
}

QString CMainFrame::DecodeAddress(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArray text = nul < 0 ? bytes : bytes.left(nul);
    QString out;
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len = Utf8SequenceLength(text, i);
        if (len > 0) {
            i += len;
            continue;
        }
        out += QString::fromUtf8(text.constData() + runStart, i - runStart);
        out += QStringLiteral("%%1").arg(uint(uchar(text[i])), 2, 16, QLatin1Char('0')).toUpper();
        runStart = ++i;
    }
    out += QString::fromUtf8(text.constData() + runStart, text.size() - runStart);
    return out;
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    if (m_bClosing) {
        event->accept();
        return;
    }
    if (m_bAskBeforeClose && m_settings.ConfirmExitApp != 0) {
        CConfirmDlg dlg(this, LoadString(IDS_CONFIRM_EXIT_APP), Mb::YesNo | Mb::IconQuestion, true);
        const int answer = dlg.exec();
        m_settings.ConfirmExitApp = dlg.ShowNextTime;
        if (answer != IDYES) {
            event->ignore();
            return;
        }
    }
    m_bClosing = true;
    StopAll();
    SettleCookies();
    if (CQuillbrowView *view = GetActiveHtmlView())
        SetLastAddress(view->GetLocationURL());
    m_bLastAddressFrozen = true;
    // Full screen is no placement to come back to.
    if (m_bFullScreen)
        OnFullScreen();
    SaveLayout();
    event->accept();
}

void CMainFrame::SaveLayout()
{
    m_pAddressBar->SaveHistory();
    SaveBarState();
    if (!m_bFullScreen)
        WriteProfileBinary(kSettingsSection, kPlacementValue,
                           CFramePlacement::Capture(this).ToBytes());
    WriteProfileBinary(kSettingsSection, kReBarValue,
                       CBandRecord::ToBytes(m_pReBar->CaptureLayout()));
}

void CMainFrame::SaveSession()
{
    if (m_bClosing)
        return;
    SettleCookies();
    if (CQuillbrowView *view = GetActiveHtmlView())
        SetLastAddress(view->GetLocationURL());
    SaveLayout();
    m_settings.MaximizeChild = m_bChildMaximized ? 1 : 0;
    m_settings.LastVisited = m_strLastAddress;
}

void CMainFrame::SaveBarState()
{
    WriteProfileBinary(kSettingsSection, kToolBarValue, m_pToolBar->SaveState());
}

void CMainFrame::SettleCookies()
{
    // A page that set a cookie just before the exit must find it at the next start. The
    // wait is short and bounded: a page whose renderer is gone never answers.
    constexpr int kMaxWaitMs = 1000;
    struct SState
    {
        int nPending = 0;
        QPointer<QEventLoop> loop;
    };
    const auto state = std::make_shared<SState>();
    QEventLoop loop;
    state->loop = &loop;
    const auto views = Views();
    state->nPending = int(views.size());
    for (CQuillbrowView *view : views) {
        view->Engine()->SettleCookies([state] {
            if (--state->nPending == 0 && state->loop)
                state->loop->quit();
        });
    }
    if (state->nPending > 0) {
        QTimer::singleShot(kMaxWaitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void CMainFrame::StopAll()
{
    const auto views = Views();
    for (CQuillbrowView *view : views)
        view->Stop();
}

void CMainFrame::OnThemeChange()
{
    // A new desktop theme is told to top-level windows only. Its colours reach every
    // widget as a palette change, which the bars follow themselves; its icons are
    // fetched here, and the bars draw again as after a change of colours.
    m_pToolBar->ReloadImages();
    m_pAddressBar->ReloadButtonImages();
}

bool CMainFrame::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        // A highlighted item shows its prompt; leaving it shows the idle text again.
        const QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        SetStatusText(tip.isEmpty() ? LoadString(IDS_IDLE_MESSAGE) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return QMainWindow::eventFilter(watched, event);
    if (qobject_cast<CQuillbrowView *>(watched)) {
        // A key the page did not use comes back to its view later, as a new key that
        // starts at the view. It reached the page because no enabled command had it
        // when it was pressed; matched now, it would act on whatever window is active
        // by then. A key pressed in the page passes the page's widgets first.
        const bool bReplay = event != m_pPendingOverride;
        m_pPendingOverride = nullptr;
        if (bReplay) {
            event->accept();
            return true;
        }
    } else {
        m_pPendingOverride = event;
    }
    // A key is matched against the commands' state at the moment it is pressed, as
    // the idle update may not have run since that state changed.
    if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this)
        OnIdleUpdate();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::OnIdleUpdate()
{
    // Buttons and keys follow their commands' state even while no menu is open; most
    // buttons share the key's action, which is updated once.
    const QList<QAction *> keys = actions();
    QSet<QAction *> pending(keys.cbegin(), keys.cend());
    for (int nID : m_pToolBar->Buttons())
        pending.insert(m_pCommands->Action(nID));
    for (QAction *action : std::as_const(pending))
        m_pCommands->Update(action);
    // The address bar's controls follow the active window (ids 1004 to 1006).
    m_pAddressBar->SetControlsEnabled(GetActiveHtmlView() != nullptr);
}

QMenu *CMainFrame::DropDownMenu(int nID)
{
    switch (nID) {
    case ID_FILE_NEW_BLANK:
        return m_pCommands->FindMenu(QStringLiteral("NewMenu"));
    case ID_TOOLBAR_TEXT_SIZE:
        return m_pCommands->FindMenu(QStringLiteral("TextSizeMenu"));
    case ID_TOOLBAR_FAVORITES:
        return m_pCommands->FindMenu(QStringLiteral("FavoritesMenu"));
    case ID_GO_BACK:
    case ID_GO_FORWARD: {
        CQuillbrowView *view = GetActiveHtmlView();
        if (!view)
            return nullptr;
        // Built for one opening only.
        auto *menu = new QMenu(this);
        connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater, Qt::QueuedConnection);
        view->BuildHistoryMenu(menu, nID == ID_GO_BACK);
        const auto items = menu->actions();
        for (QAction *item : items) {
            const int nEntry = item->data().toInt();
            item->setStatusTip(view->GetHistoryURL(nEntry));
            connect(
                item, &QAction::triggered, this, [this, nEntry] { m_pCommands->Route(nEntry); },
                Qt::QueuedConnection);
        }
        if (items.isEmpty()) {
            delete menu;
            return nullptr;
        }
        return menu;
    }
    default:
        return nullptr;
    }
}

bool CMainFrame::IsBarVisible(int nBandId) const
{
    return m_pReBar->IsBandVisible(nBandId);
}

QList<QMdiSubWindow *> CMainFrame::ArrangeableWindows(bool bMinimized) const
{
    // In tab order; a page's window that is not shown yet takes no place.
    QList<QMdiSubWindow *> windows;
    const auto views = Views();
    for (CQuillbrowView *view : views) {
        QMdiSubWindow *frame = view->GetParentFrame();
        if (frame && frame->isVisible() && frame->isMinimized() == bMinimized)
            windows.append(frame);
    }
    return windows;
}

int CMainFrame::IconRowsHeight() const
{
    const QList<QMdiSubWindow *> icons = ArrangeableWindows(true);
    if (icons.isEmpty())
        return 0;
    const QSize icon = icons.first()->size();
    const int nPerRow = std::max(1, m_pMdiArea->viewport()->width() / std::max(1, icon.width()));
    return int((icons.size() + nPerRow - 1) / nPerRow) * icon.height();
}

void CMainFrame::TileWindows(Qt::Orientation stacking)
{
    // Vertical stacking puts the windows one above the other at full width ("tile
    // horizontally"); horizontal puts them side by side at full height. When a slice
    // would be too small to use, the windows go into a grid instead.
    const QList<QMdiSubWindow *> windows = ArrangeableWindows(false);
    if (windows.isEmpty())
        return;
    const QRect area(QPoint(0, 0), m_pMdiArea->viewport()->size() - QSize(0, IconRowsHeight()));
    const int n = int(windows.size());
    constexpr int kMinSlice = 120;
    const int nSpan = stacking == Qt::Vertical ? area.height() : area.width();
    int nLines = 1; // columns when stacking vertically, rows otherwise
    if (nSpan / n < kMinSlice)
        nLines = std::max(1, int(std::sqrt(double(n))));
    int nIndex = 0;
    for (int line = 0; line < nLines; ++line) {
        const int nInLine = n / nLines + (line < n % nLines ? 1 : 0);
        for (int k = 0; k < nInLine; ++k, ++nIndex) {
            QRect cell;
            if (stacking == Qt::Vertical) {
                const int x0 = area.width() * line / nLines;
                const int x1 = area.width() * (line + 1) / nLines;
                const int y0 = area.height() * k / nInLine;
                const int y1 = area.height() * (k + 1) / nInLine;
                cell = QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
            } else {
                const int y0 = area.height() * line / nLines;
                const int y1 = area.height() * (line + 1) / nLines;
                const int x0 = area.width() * k / nInLine;
                const int x1 = area.width() * (k + 1) / nInLine;
                cell = QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
            }
            QMdiSubWindow *window = windows.at(nIndex);
            if (window->isMaximized())
                window->showNormal();
            window->setGeometry(cell);
        }
    }
}

void CMainFrame::ArrangeIcons()
{
    // Minimized windows in a row along the bottom, left to right, wrapping upwards.
    const QList<QMdiSubWindow *> icons = ArrangeableWindows(true);
    const QSize area = m_pMdiArea->viewport()->size();
    int x = 0;
    int y = area.height();
    for (QMdiSubWindow *icon : icons) {
        const QSize size = icon->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        icon->move(x, y - size.height());
        x += size.width();
    }
}

void CMainFrame::ToggleBand(int nBandId)
{
    m_pReBar->ShowBand(nBandId, !m_pReBar->IsBandVisible(nBandId));
}

void CMainFrame::OnFullScreen()
{
    m_bFullScreen = !m_bFullScreen;
    if (m_bFullScreen) {
        if (QMdiSubWindow *child = m_pMdiArea->currentSubWindow())
            child->showMaximized();
        statusBar()->hide();
        showFullScreen();
    } else {
        statusBar()->show();
        showMaximized();
    }
}

bool CMainFrame::IsFocusInAddressBar() const
{
    return m_pAddressBar->HasFocusInCombo();
}

void CMainFrame::OnEditCommand(int nID)
{
    if (IsFocusInAddressBar()) {
        QLineEdit *edit = m_pAddressBar->Combo()->lineEdit();
        if (!edit)
            return;
        if (nID == ID_EDIT_CUT)
            edit->cut();
        else if (nID == ID_EDIT_COPY)
            edit->copy();
        else
            edit->paste();
    } else if (CQuillbrowView *view = GetActiveHtmlView()) {
        view->OnEditCommand(nID);
    }
}

void CMainFrame::OnUpdateEditCommand(CCmdUI *pCmdUI)
{
    if (!IsFocusInAddressBar()) {
        CQuillbrowView *view = GetActiveHtmlView();
        pCmdUI->Enable(view && view->IsEditCommandEnabled(pCmdUI->m_nID));
        return;
    }
    if (pCmdUI->m_nID == ID_EDIT_PASTE) {
        const QMimeData *data = QApplication::clipboard()->mimeData();
        pCmdUI->Enable(data && data->hasText());
    } else {
        pCmdUI->Enable(m_pAddressBar->HasEditSelection());
    }
}

void CMainFrame::OnClearAddresses()
{
    const bool bAsk = m_settings.ConfirmClearAddress != 0;
    if (bAsk) {
        CConfirmDlg dlg(this, LoadString(IDS_CONFIRM_CLEAR_ADDRESS), Mb::YesNo | Mb::IconQuestion,
                        true);
        const int answer = dlg.exec();
        m_settings.ConfirmClearAddress = dlg.ShowNextTime;
        if (answer != IDYES)
            return;
    }
    m_pAddressBar->ClearHistory();
    if (CQuillbrowView *view = GetActiveHtmlView())
        SetAddressText(view->GetLocationURL(), false);
    if (!bAsk) {
        CConfirmDlg dlg(this, LoadString(IDS_ADDRESSES_CLEARED), Mb::Ok | Mb::IconInformation,
                        false);
        dlg.exec();
    }
}

void CMainFrame::AddToAutoCloseList(CQuillbrowView *pView)
{
    if (!pView)
        return;
    // The window may go while the dialog is open (its page closes it).
    const QPointer<CQuillbrowView> view(pView);
    const QString address = pView->GetLocationURL();
    QString entry = address;
    const bool bAsk = m_settings.ConfirmAddToAutoClose != 0;
    if (bAsk) {
        CAutoCloseDlg dlg(this, address, true);
        const int result = dlg.exec();
        m_settings.ConfirmAddToAutoClose = dlg.ShowNextTime;
        if (result != IDOK)
            return;
        entry = dlg.Entry();
    }
    m_settings.AddAutoClose(entry);
    if (!bAsk) {
        CConfirmDlg dlg(this,
                        LoadStringWith(IDS_AUTOCLOSE_ADDED, QStringLiteral("%address%"), address),
                        Mb::Ok | Mb::IconInformation, false);
        dlg.exec();
    }
    if (view)
        view->GetDocument()->OnCloseDocument();
}

void CMainFrame::OnOptions()
{
    COptionsSheet sheet(this);
    sheet.AddPage(
        new COptionsGeneral(m_settings, m_fnEngineHomepage ? m_fnEngineHomepage() : QString()));
    sheet.AddPage(new COptionsWindows(m_settings));
    sheet.AddPage(new COptionsAutoClose(m_settings));
    sheet.AddPage(new COptionsConfirms(m_settings));
    if (sheet.exec() != IDOK)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_settings.Save();
    QApplication::restoreOverrideCursor();
}
