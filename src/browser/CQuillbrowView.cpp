#include "CQuillbrowView.h"

#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CQuillbrowDoc.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWindowsBar.h"
#include "IBrowserHost.h"

#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

// Off unless asked for (QT_LOGGING_RULES="quillbrow.popup.debug=true"): when refused
// pop-ups are decided and when their windows go, on the system's monotonic clock so an
// outside observer can line the moments up with its own.
Q_LOGGING_CATEGORY(lcPopup, "quillbrow.popup", QtWarningMsg)

namespace {
double MonotonicSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool IsBlank(const QString &url)
{
    return url.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0;
}

constexpr int kRefusedPopupGraceMs = 1000;
constexpr int kPopupClosedMessageMs = 5000;

QString ProgressTitle(const QString &name, int nProgress)
{
    if (name.isEmpty())
        return QStringLiteral("[ %1 % ]").arg(nProgress);
    // One call: a title may itself hold "%1"-like markers (an address such as "?u=a%2Fb").
    return QStringLiteral("%1 [ %2 % ]").arg(name, QString::number(nProgress));
}
} // namespace

CQuillbrowView::CQuillbrowView(IBrowserHost *pHost, CQuillbrowDoc *pDoc,
                               std::unique_ptr<IWebEngine> engine, QWidget *parent)
    : QWidget(parent)
    , m_pHost(pHost)
    , m_pDoc(pDoc)
    , m_engine(std::move(engine))
    , m_pCrashNotice(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pCrashNotice->setObjectName(QStringLiteral("CrashNotice"));
    m_pCrashNotice->setText(tr("The page's renderer process ended unexpectedly. Refresh the "
                               "page to load it again, or close this window."));
    m_pCrashNotice->setWordWrap(true);
    m_pCrashNotice->setMargin(8);
    m_pCrashNotice->setStyleSheet(
        QStringLiteral("background: #fff4c2; color: black; border-bottom: 1px solid #c9b458;"));
    m_pCrashNotice->hide();
    layout->addWidget(m_pCrashNotice);
    if (QWidget *w = m_engine->Widget())
        layout->addWidget(w, 1);
    m_engine->SetEventSink(this);
    setFocusProxy(m_engine->Widget());
    BuildCommandMap();
}

void CQuillbrowView::BuildCommandMap()
{
    // The page commands that are single engine calls.
    OnCommandId(ID_GO_BACK, [this] { m_engine->GoBack(); });
    OnUpdateId(ID_GO_BACK, [this](CCmdUI *ui) { ui->Enable(m_bCanGoBack); });
    OnCommandId(ID_GO_FORWARD, [this] { m_engine->GoForward(); });
    OnUpdateId(ID_GO_FORWARD, [this](CCmdUI *ui) { ui->Enable(m_bCanGoForward); });
    OnCommandId(ID_GO_STOP, [this] { m_engine->Stop(); });
    OnUpdateId(ID_GO_STOP, [this](CCmdUI *ui) { ui->Enable(m_engine->GetBusy()); });
    OnCommandId(ID_VIEW_REFRESH, [this] { Refresh(); });
    OnCommandId(ID_GO_HOME, [this] { m_engine->GoHome(); });
    OnCommandId(ID_GO_SEARCH, [this] { m_engine->GoSearch(); });
    OnCommandRange(CHistoryList::kFirstCommandId, CHistoryList::kLastCommandId,
                   [this](int nID) { GoToHistoryEntry(nID); });
}

CQuillbrowView::~CQuillbrowView()
{
    if (m_nPopupState == PopupClosing)
        qCDebug(lcPopup, "refused pop-up destroyed at %.6f", MonotonicSeconds());
    // OnDestroy: the tab goes with the window, and so does its history.
    if (CWindowsBar *bar = m_pHost->WindowsBar())
        bar->RemoveTab(this);
    m_history.Clear();
    m_engine->SetEventSink(nullptr);
}

CChildFrame *CQuillbrowView::GetParentFrame() const
{
    return m_pDoc ? m_pDoc->GetFrame() : nullptr;
}

bool CQuillbrowView::IsActiveView() const
{
    return m_pHost->GetActiveHtmlView() == this;
}

void CQuillbrowView::Navigate2(const QString &strURL)
{
    m_engine->Navigate2(strURL);
}

QString CQuillbrowView::GetLocationURL() const
{
    return m_engine->GetLocationURL();
}

QString CQuillbrowView::GetLocationName() const
{
    return m_engine->GetLocationName();
}

void CQuillbrowView::SetDocTitle(const QString &title)
{
    if (m_pDoc)
        m_pDoc->SetTitle(title);
}

QString CQuillbrowView::DocumentTitle() const
{
    return m_pDoc ? m_pDoc->GetTitle() : QString();
}

void CQuillbrowView::ShowPendingWindow()
{
    m_nPopupState = PopupNone;
    const bool bActivate = m_pHost->Settings().ActivateNewWindow != 0;
    if (CWindowsBar *bar = m_pHost->WindowsBar())
        bar->AddTab(this, bActivate);
    if (CChildFrame *frame = GetParentFrame())
        frame->ActivateFrame(bActivate ? 5 : 4);
}

void CQuillbrowView::OnBeforeNavigate2(const QString &strURL, bool &bCancel)
{
    if (m_nPopupState == PopupClosing) {
        bCancel = true;
        return;
    }
    if (m_nPopupState == PopupPending) {
        if (IsBlank(strURL))
            return;
        CSettings &settings = m_pHost->Settings();
        if (const int nEntry = settings.FindAutoClose(strURL); nEntry >= 0) {
            // Closed before it was ever shown; later navigations are refused until it goes.
            // The engine is still setting up the new window here, so the window goes once
            // the refused load has ended (or after a grace period if the engine says nothing).
            qCDebug(lcPopup, "pop-up refused at %.6f: %s", MonotonicSeconds(), qPrintable(strURL));
            // The user sees that the filter works and which address it caught.
            settings.CountAutoClose(nEntry);
            m_pHost->ShowStatusMessage(
                LoadStringWith(IDS_POPUP_CLOSED, QStringLiteral("%address%"), strURL),
                kPopupClosedMessageMs);
            m_nPopupState = PopupClosing;
            bCancel = true;
            QTimer::singleShot(kRefusedPopupGraceMs, this, &CQuillbrowView::CloseUnseen);
            return;
        }
        ShowPendingWindow();
    }
    m_pCrashNotice->hide();
    m_nProgress = 0;
    if (IsActiveView()) {
        m_pHost->SetAddressText(strURL, true);
        m_pHost->PlayAnimation(true);
        setFocus();
    }
    m_strRequestedURL = strURL;
    if (CWindowsBar *bar = m_pHost->WindowsBar())
        bar->SetTabProgress(this, 0);
}

void CQuillbrowView::OnNavigateComplete2(const QString &strURL)
{
    if (m_bTypedNavigation && strURL.compare(m_strRequestedURL, Qt::CaseInsensitive) == 0)
        m_pHost->AddTypedAddress(strURL);
    if (IsActiveView() && !strURL.isEmpty())
        m_pHost->SetAddressText(strURL, true);
    m_bTypedNavigation = false;
    m_history.NavigationStep(DocumentTitle(), GetLocationURL(), GetLocationName());
}

void CQuillbrowView::CloseUnseen()
{
    if (m_bCloseQueued)
        return;
    m_bCloseQueued = true;
    if (CChildFrame *frame = GetParentFrame())
        QMetaObject::invokeMethod(frame, &CChildFrame::close, Qt::QueuedConnection);
}

void CQuillbrowView::OnDocumentComplete(const QString &strURL)
{
    if (m_nPopupState == PopupClosing) {
        CloseUnseen();
        return;
    }
    m_nProgress = 100;
    m_bBusy = false;
    QString name = TruncateTitle(GetLocationName());
    int nTabProgress = 100;
    if (IsActiveView()) {
        m_pHost->PlayAnimation(false);
        if (!strURL.isEmpty())
            m_pHost->SetAddressText(strURL, false);
        nTabProgress = -1;
    } else {
        // Finished in the background: the mark stays until the window is activated.
        name += QLatin1String(" [ 100 % ]");
    }
    CWindowsBar *bar = m_pHost->WindowsBar();
    if (!name.isEmpty()) {
        OnTitleChange(name);
        if (bar)
            bar->SetTabText(this, name);
    }
    if (bar)
        bar->SetTabProgress(this, nTabProgress);
    if (m_bSignalSplash) {
        m_pHost->SignalSplashDone();
        m_bSignalSplash = false;
    }
}

void CQuillbrowView::OnTitleChange(const QString &strTitle)
{
    if (strTitle.isEmpty())
        return;
    const QString title = TruncateTitle(strTitle);
    SetDocTitle(title);
    if (CWindowsBar *bar = m_pHost->WindowsBar())
        bar->SetTabText(this, title);
    m_history.UpdateHistoryTitle(title, GetLocationURL());
}

void CQuillbrowView::OnProgressChange(int nProgress, int nProgressMax)
{
    if (nProgressMax < 0)
        return;
    if (nProgress >= nProgressMax) {
        m_nProgress = 100;
    } else {
        if (nProgressMax <= 0 || nProgress < 0)
            return;
        m_nProgress = qMin(100, int(qint64(nProgress) * 100 / nProgressMax));
    }
    if (CWindowsBar *bar = m_pHost->WindowsBar())
        bar->SetTabProgress(this, m_nProgress);
    const QString name = TruncateTitle(GetLocationName());
    if (!name.isEmpty() && IsActiveView() && m_nProgress == 100)
        SetDocTitle(name);
    else
        SetDocTitle(ProgressTitle(name, m_nProgress));
}

void CQuillbrowView::OnStatusTextChange(const QString &strText)
{
    if (IsActiveView() && !strText.isEmpty())
        m_pHost->SetStatusText(strText);
}

void CQuillbrowView::OnCommandStateChange(int nCommand, bool bEnable)
{
    if (nCommand == IWebEngine::CmdForward)
        m_bCanGoForward = bEnable;
    else if (nCommand == IWebEngine::CmdBack)
        m_bCanGoBack = bEnable;
}

void CQuillbrowView::OnDownloadBegin()
{
    m_bBusy = true;
    if (IsActiveView())
        m_pHost->PlayAnimation(true);
}

void CQuillbrowView::OnDownloadComplete()
{
    m_bBusy = m_engine->GetBusy();
    if (IsActiveView() && !m_bBusy)
        m_pHost->PlayAnimation(false);
}

IWebEngine *CQuillbrowView::OnNewWindow2(bool &bCancel)
{
    CQuillbrowView *pView = m_pHost->CreateNewWindow(false, false);
    if (!pView) {
        // Nothing to load the page into: refuse rather than let it open elsewhere.
        bCancel = true;
        return nullptr;
    }
    bCancel = false;
    return pView->Engine();
}

void CQuillbrowView::OnWindowClosing(bool, bool &bCancel)
{
    if (m_nPopupState != PopupNone) {
        // A page's window that was never shown goes as unseen as it came: no question,
        // and no activation that would show it for a moment.
        bCancel = false;
        CloseUnseen();
        return;
    }
    if (CChildFrame *frame = GetParentFrame())
        frame->ActivateFrame();
    CSettings &settings = m_pHost->Settings();
    if (settings.ConfirmUserClose != 0) {
        CConfirmDlg dlg(this, LoadString(IDS_CONFIRM_USER_CLOSE), Mb::YesNo | Mb::IconQuestion,
                        true);
        const int answer = dlg.exec();
        settings.ConfirmUserClose = dlg.ShowNextTime;
        if (answer != IDYES) {
            bCancel = true;
            return;
        }
    }
    bCancel = false;
    m_pHost->PostCloseActiveWindow();
}

void CQuillbrowView::OnRendererCrashed()
{
    m_bBusy = false;
    m_nProgress = 100;
    m_pCrashNotice->show();
    if (IsActiveView())
        m_pHost->PlayAnimation(false);
    if (CWindowsBar *bar = m_pHost->WindowsBar())
        bar->SetTabProgress(this, IsActiveView() ? -1 : 100);
}

bool CQuillbrowView::IsShowingCrashNotice() const
{
    return !m_pCrashNotice->isHidden();
}

void CQuillbrowView::OnActivateView(bool bActivate)
{
    if (!bActivate)
        return;
    m_pHost->PlayAnimation(m_bBusy || m_nProgress < 100);
    m_pHost->SetAddressText(GetLocationURL(), false);
    CWindowsBar *bar = m_pHost->WindowsBar();
    if (bar)
        bar->SelectTab(this);
    if (m_nProgress == 100 || !m_bBusy) {
        // Drops the " [ 100 % ]" mark of a page that finished in the background.
        const QString name = TruncateTitle(GetLocationName());
        if (!name.isEmpty()) {
            SetDocTitle(name);
            if (bar) {
                bar->SetTabProgress(this, -1);
                bar->SetTabText(this, name);
            }
        }
    }
}

void CQuillbrowView::BuildHistoryMenu(QMenu *pMenu, bool bBack) const
{
    if (!pMenu)
        return;
    const auto items = m_history.MenuItems(bBack, GetLocationURL());
    for (const auto &[nId, title] : items)
        pMenu->addAction(title)->setData(nId);
}

QString CQuillbrowView::GetHistoryURL(int nCommandId) const
{
    return m_history.GetHistoryURL(nCommandId);
}

void CQuillbrowView::GoToHistoryEntry(int nCommandId)
{
    const int steps = m_history.StepsTo(nCommandId, GetLocationURL());
    for (int i = 0; i < -steps; ++i)
        m_engine->GoBack();
    for (int i = 0; i < steps; ++i)
        m_engine->GoForward();
}

void CQuillbrowView::ActivateFrame(int nShowCmd)
{
    if (CChildFrame *frame = GetParentFrame())
        frame->ActivateFrame(nShowCmd);
}

void CQuillbrowView::CloseWindow()
{
    if (m_pDoc)
        m_pDoc->OnCloseDocument();
}

void CQuillbrowView::GoBack()
{
    m_engine->GoBack();
}

void CQuillbrowView::GoForward()
{
    m_engine->GoForward();
}

void CQuillbrowView::Stop()
{
    m_engine->Stop();
}

void CQuillbrowView::Refresh()
{
    m_pCrashNotice->hide();
    m_engine->Refresh();
}
