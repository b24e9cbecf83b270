#include "CQuillbrowView.h"

#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CEngineInfo.h"
#include "CErrorReport.h"
#include "CExternalLinks.h"
#include "CFileDialog.h"
#include "CFindBar.h"
#include "CHeapTrim.h"
#include "CPagePanel.h"
#include "CPageSaver.h"
#include "CPrintDialogs.h"
#include "CPropertiesDlg.h"
#include "CQuillbrowDoc.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWindowsBar.h"
#include "IBrowserHost.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
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

constexpr int kPopupClosedMessageMs = 5000;
constexpr int kRefusalNoticeDelayMs = 250;
constexpr qsizetype kMaxNoticeMessage = 300;

QString ProgressTitle(const QString &name, int nProgress)
{
    if (name.isEmpty())
        return QStringLiteral("[ %1 % ]").arg(nProgress);
    // One call: a title may itself hold "%1"-like markers (an address such as "?u=a%2Fb").
    return QStringLiteral("%1 [ %2 % ]").arg(name, QString::number(nProgress));
}

IWebEngine::EEditCommand EditCommandOf(int nID)
{
    switch (nID) {
    case ID_EDIT_CUT:
        return IWebEngine::EditCut;
    case ID_EDIT_COPY:
        return IWebEngine::EditCopy;
    case ID_EDIT_PASTE:
        return IWebEngine::EditPaste;
    default:
        return IWebEngine::EditSelectAll;
    }
}

// The Save As choices, in the order of IWebEngine::ESaveFormat, with the suffix a name
// typed without one gets.
struct SSaveChoice
{
    const char *filter;
    const char *suffix;
};
constexpr SSaveChoice kSaveChoices[] = {
    {QT_TRANSLATE_NOOP("CQuillbrowView", "Web page, complete (*.htm *.html)"), ".html"},
    {QT_TRANSLATE_NOOP("CQuillbrowView", "Web page, single file (MHTML) (*.mhtml *.mht)"),
     ".mhtml"},
    {QT_TRANSLATE_NOOP("CQuillbrowView", "HTML only (*.htm *.html)"), ".html"},
};

constexpr struct
{
    int nID;
    int nLevel;
} kTextSizes[] = {
    {ID_VIEW_FONT_LARGEST, IWebEngine::TextLargest},
    {ID_VIEW_FONT_LARGER, IWebEngine::TextLarger},
    {ID_VIEW_FONT_MEDIUM, IWebEngine::TextMedium},
    {ID_VIEW_FONT_SMALLER, IWebEngine::TextSmaller},
    {ID_VIEW_FONT_SMALLEST, IWebEngine::TextSmallest},
};

const QString kViewSourcePrefix = QStringLiteral("view-source:");
} // namespace

CQuillbrowView::CQuillbrowView(IBrowserHost *pHost, CQuillbrowDoc *pDoc,
                               std::unique_ptr<IWebEngine> engine, QWidget *parent)
    : QWidget(parent)
    , m_pHost(pHost)
    , m_pDoc(pDoc)
    , m_engine(std::move(engine))
    , m_pCrashNotice(new CPagePanel(QStringLiteral("CrashNotice"), tr("&Reload"), this))
    , m_pCertificateNotice(
          new CPagePanel(QStringLiteral("CertificateNotice"), tr("Go &Back"), this))
    , m_pFindBar(new CFindBar(m_engine.get(), this))
    , m_pOfflineNotice(new QLabel(this))
    , m_pPageNotice(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    connect(m_pCrashNotice->Button(), &QPushButton::clicked, this, &CQuillbrowView::Refresh);
    layout->addWidget(m_pCrashNotice, 1);
    connect(m_pCertificateNotice->Button(), &QPushButton::clicked, this, &CQuillbrowView::GoBack);
    layout->addWidget(m_pCertificateNotice, 1);
    m_pPageNotice->setObjectName(QStringLiteral("PageNotice"));
    m_pPageNotice->setTextFormat(Qt::PlainText);
    m_pPageNotice->setWordWrap(true);
    m_pPageNotice->setMargin(8);
    m_pPageNotice->setStyleSheet(
        QStringLiteral("background: #fff4c2; color: black; border-bottom: 1px solid #c9b458;"));
    m_pPageNotice->hide();
    layout->addWidget(m_pPageNotice);
    m_pOfflineNotice->setObjectName(QStringLiteral("OfflineNotice"));
    m_pOfflineNotice->setWordWrap(true);
    m_pOfflineNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pOfflineNotice->setMargin(24);
    m_pOfflineNotice->setTextFormat(Qt::RichText);
    m_pOfflineNotice->setStyleSheet(QStringLiteral("background: white; color: black;"));
    m_pOfflineNotice->hide();
    layout->addWidget(m_pOfflineNotice, 1);
    if (QWidget *w = m_engine->Widget())
        layout->addWidget(w, 1);
    layout->addWidget(m_pFindBar);
    m_engine->SetEventSink(this);
    setFocusProxy(m_engine->Widget());
    connect(m_pFindBar, &CFindBar::closed, this, [this] { setFocus(Qt::OtherFocusReason); });
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

    // The page commands with dialogs of their own.
    OnCommandId(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    OnCommandId(ID_FILE_PAGE_SETUP, [this] { CPrintDialogs::PageSetup(window()); });
    OnUpdateId(ID_FILE_PAGE_SETUP, [this](CCmdUI *ui) { ui->Enable(m_engine->HasDocument()); });
    OnCommandId(ID_FILE_PRINT, [this] { OnFilePrint(); });
    OnCommandId(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); });
    OnCommandId(ID_FILE_PROPERTIES, [this] { OnFileProperties(); });
    OnCommandId(ID_EDIT_SELECT_ALL,
                [this] { m_engine->ExecEditCommand(IWebEngine::EditSelectAll); });
    OnCommandId(ID_EDIT_FIND, [this] { OnEditFind(); });
    OnCommandId(ID_VIEW_SOURCE, [this] { OnViewSource(); });

    // The engine holds the text size; the marks read it back each time.
    for (const auto &size : kTextSizes) {
        const int nLevel = size.nLevel;
        OnCommandId(size.nID, [this, nLevel] { m_engine->SetTextSizeLevel(nLevel); });
        OnUpdateId(size.nID, [this, nLevel](CCmdUI *ui) {
            ui->Enable();
            ui->SetRadio(m_engine->GetTextSizeLevel() == nLevel);
        });
    }
}

CQuillbrowView::~CQuillbrowView()
{
    if (m_nPopupState == PopupClosing)
        qCDebug(lcPopup, "refused pop-up destroyed at %.6f", MonotonicSeconds());
    else
        qCDebug(lcPopup, "window destroyed at %.6f: %s", MonotonicSeconds(),
                qPrintable(GetLocationURL()));
    HeapTrim::Schedule();
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
            qCDebug(lcPopup, "pop-up refused at %.6f: %s", MonotonicSeconds(), qPrintable(strURL));
            // The user sees that the filter works and which address it caught.
            settings.CountAutoClose(nEntry);
            m_pHost->ShowStatusMessage(
                LoadStringWith(IDS_POPUP_CLOSED, QStringLiteral("%address%"), strURL),
                kPopupClosedMessageMs);
            m_nPopupState = PopupClosing;
            bCancel = true;
            // The window goes at the next turn of the event loop; the engine is still
            // setting the new page up here, so it keeps the page until the refused load
            // has ended.
            m_engine->KeepPageUntilLoadEnds();
            CloseUnseen();
            return;
        }
        ShowPendingWindow();
    }
    HideNotices();
    m_bCloseRefused = false;
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
    m_pHost->OnWindowNavigated();
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
    m_pHost->OnWindowNavigated();
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
    if (nCommand == IWebEngine::CmdForward) {
        m_bCanGoForward = bEnable;
    } else if (nCommand == IWebEngine::CmdBack) {
        m_bCanGoBack = bEnable;
        m_pCertificateNotice->Button()->setEnabled(bEnable);
    }
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
    const qint64 nowMs = qint64(MonotonicSeconds() * 1000);
    if (!m_popupBudget.Allow(nowMs)) {
        // A flood: refused before any window is made. By now the engine has made a
        // page for this one, and would for every call of a loop, so it is told to
        // refuse the page's script windows itself (a click still opens one) until the
        // budget has refilled.
        bCancel = true;
        if (!m_bScriptWindowsRefused) {
            m_bScriptWindowsRefused = true;
            m_engine->SetScriptWindowsAllowed(false);
            // A precise timer: a coarse one may fire early, while the budget would
            // still refuse the window the engine lets through.
            const qint64 nWaitMs = m_popupBudget.NextAllowedAt(nowMs) - nowMs + 1;
            QTimer::singleShot(std::chrono::milliseconds(nWaitMs), Qt::PreciseTimer, this, [this] {
                m_bScriptWindowsRefused = false;
                m_engine->SetScriptWindowsAllowed(true);
            });
        }
        // The user hears of a burst once, a moment later.
        if (!m_bRefusalNoticeQueued) {
            m_bRefusalNoticeQueued = true;
            QTimer::singleShot(kRefusalNoticeDelayMs, this, [this] {
                m_bRefusalNoticeQueued = false;
                const int nRefused = m_popupBudget.TakeRefused();
                qCDebug(lcPopup, "pop-up flood: %d refused at %.6f", nRefused, MonotonicSeconds());
                m_pHost->ShowStatusMessage(LoadStringWith(IDS_POPUPS_REFUSED,
                                                          QStringLiteral("%address%"),
                                                          GetLocationURL()),
                                           kPopupClosedMessageMs);
            });
        }
        return nullptr;
    }
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
    // The engine has nothing to undo: a window that stays simply stays.
    bCancel = false;
    if (m_bCloseQueued || m_bCloseAskQueued || m_bCloseRefused) {
        // Already going, about to be asked, or the user said No to this page: a page
        // calling window.close() again and again changes nothing.
        return;
    }
    if (m_nPopupState != PopupNone) {
        // A page's window that was never shown goes as unseen as it came: no question,
        // and no activation that would show it for a moment.
        CloseUnseen();
        return;
    }
    // Asked from the event loop, not from inside the engine's call: the engine runs no
    // task of any page while its call is nested in a question.
    m_bCloseAskQueued = true;
    QMetaObject::invokeMethod(this, &CQuillbrowView::AskToClose, Qt::QueuedConnection);
}

void CQuillbrowView::AskToClose()
{
    m_bCloseAskQueued = false;
    // One close question at a time: a page of another window asking while it is open
    // is refused, rather than stacking a question inside the question for each of them.
    static bool s_bAsking = false;
    if (s_bAsking || m_bCloseQueued)
        return;
    if (CChildFrame *frame = GetParentFrame())
        frame->ActivateFrame();
    CSettings &settings = m_pHost->Settings();
    if (settings.ConfirmUserClose != 0) {
        const QPointer<CQuillbrowView> self(this);
        CConfirmDlg dlg(this, LoadString(IDS_CONFIRM_USER_CLOSE), Mb::YesNo | Mb::IconQuestion,
                        true);
        s_bAsking = true;
        const int answer = dlg.exec();
        s_bAsking = false;
        settings.ConfirmUserClose = dlg.ShowNextTime;
        // The window may have gone while the question was open (Close All, the exit).
        if (!self || m_bCloseQueued)
            return;
        if (answer != IDYES) {
            // Not asked again until the window loads another page.
            m_bCloseRefused = true;
            return;
        }
    }
    // This window closes, whichever is active by the time the close runs: with many
    // pages closing at once, the active one is soon another.
    m_bCloseQueued = true;
    if (m_pDoc)
        QMetaObject::invokeMethod(m_pDoc, &CQuillbrowDoc::OnCloseDocument, Qt::QueuedConnection);
}

void CQuillbrowView::RequestClose()
{
    if (m_nPopupState != PopupNone) {
        if (m_pDoc)
            m_pDoc->OnCloseDocument();
        return;
    }
    m_engine->RequestClose();
}

void CQuillbrowView::OnCloseConfirmed()
{
    if (m_pDoc)
        QMetaObject::invokeMethod(m_pDoc, &CQuillbrowDoc::OnCloseDocument, Qt::QueuedConnection);
}

bool CQuillbrowView::IsWindowActive() const
{
    const CChildFrame *frame = GetParentFrame();
    return IsActiveView() && frame && frame->isVisible();
}

void CQuillbrowView::OnRendererCrashed(ERendererEnd how, int nExitCode)
{
    m_bBusy = false;
    m_nProgress = 100;
    QString reason;
    switch (how) {
    case ERendererEnd::Killed:
        reason
            = tr("It was killed (signal %1), by the system or by another program.").arg(nExitCode);
        break;
    case ERendererEnd::Crashed:
        reason = tr("It crashed (exit code %1).").arg(nExitCode);
        break;
    case ERendererEnd::Abnormal:
        reason = tr("It ended abnormally (exit code %1).").arg(nExitCode);
        break;
    }
    const QString address = GetLocationURL();
    m_pCrashNotice->SetTexts(
        tr("The page's process ended unexpectedly"),
        reason + QLatin1String("\n\n")
            + (address.isEmpty() ? QString() : tr("Page: %1").arg(address) + QLatin1String("\n\n"))
            + tr("Reload the page to load it again, or close this window. Your other windows "
                 "are not affected."));
    ShowInsteadOfPage(m_pCrashNotice);
    if (IsActiveView())
        m_pHost->PlayAnimation(false);
    if (CWindowsBar *bar = m_pHost->WindowsBar())
        bar->SetTabProgress(this, IsActiveView() ? -1 : 100);
}

bool CQuillbrowView::IsShowingCrashNotice() const
{
    return !m_pCrashNotice->isHidden();
}

void CQuillbrowView::OnExternalLink(const QString &strURL)
{
    // A window a page opened only for such a link has nothing to show: it goes unseen.
    if (m_nPopupState == PopupPending) {
        m_nPopupState = PopupClosing;
        m_engine->KeepPageUntilLoadEnds();
        CloseUnseen();
    }
    // Asked from the event loop, apart from this window, which may be gone by then.
    QMetaObject::invokeMethod(
        qApp,
        [parent = QPointer<QWidget>(window()), url = QUrl(strURL)] {
            CExternalLinks::Instance().Open(parent, url);
        },
        Qt::QueuedConnection);
}

void CQuillbrowView::OnOfflineBlocked(const QString &strURL)
{
    m_pOfflineNotice->setText(
        QStringLiteral("<h2>%1</h2><p>%2</p><p>%3</p><p>%4</p>")
            .arg(tr("Quillbrow is working offline").toHtmlEscaped(),
                 tr("This page was not loaded, because nothing is fetched from the network "
                    "while Quillbrow works offline:")
                     .toHtmlEscaped(),
                 strURL.toHtmlEscaped(),
                 tr("To go online again, choose Work Offline in the File menu, then refresh "
                    "the page.")
                     .toHtmlEscaped()));
    // The engine's own error page would blame the server; the notice takes its place.
    ShowInsteadOfPage(m_pOfflineNotice);
}

void CQuillbrowView::ShowInsteadOfPage(QWidget *pNotice)
{
    QWidget *const notices[] = {m_pCrashNotice, m_pCertificateNotice, m_pOfflineNotice};
    for (QWidget *other : notices)
        other->setVisible(other == pNotice);
    if (QWidget *w = m_engine->Widget())
        w->hide();
}

bool CQuillbrowView::IsShowingCertificateNotice() const
{
    return !m_pCertificateNotice->isHidden();
}

void CQuillbrowView::OnCertificateRefused(const QString &strURL, const QString &strProblem,
                                          const QString &strDescription)
{
    m_pCertificateNotice->SetTexts(
        tr("Quillbrow refused this page"),
        tr("The site's certificate cannot be trusted: %1").arg(strProblem) + QLatin1String("\n\n")
            + tr("Page: %1").arg(strURL) + QLatin1Char('\n')
            + tr("The engine says: %1").arg(strDescription) + QLatin1String("\n\n")
            + tr("Someone may be posing as the site to read or change what you send it, so "
                 "nothing of the page was loaded. Go back, or close this window."));
    m_pCertificateNotice->Button()->setEnabled(m_engine->CanGoBack());
    ShowInsteadOfPage(m_pCertificateNotice);
}

void CQuillbrowView::OnStopUnanswered()
{
    m_pPageNotice->setText(tr("The page does not answer: a script on it keeps its process "
                              "busy. Close this window to end it."));
    m_pPageNotice->show();
}

bool CQuillbrowView::IsShowingOfflineNotice() const
{
    return !m_pOfflineNotice->isHidden();
}

void CQuillbrowView::HideNotices()
{
    m_pPageNotice->hide();
    if (m_pOfflineNotice->isHidden() && m_pCrashNotice->isHidden()
        && m_pCertificateNotice->isHidden())
        return;
    m_pCrashNotice->hide();
    m_pCertificateNotice->hide();
    m_pOfflineNotice->hide();
    if (QWidget *w = m_engine->Widget())
        w->show();
}

void CQuillbrowView::OnDialogInBackground(EPageDialog kind, const QString &strMessage)
{
    // A page's text, however long, must not push the page off the window.
    const QString message = strMessage.size() > kMaxNoticeMessage
        ? strMessage.left(kMaxNoticeMessage - 3) + QLatin1String("...")
        : strMessage;
    m_pPageNotice->setText(
        kind == EPageDialog::Alert
            ? tr("While this window was in the background, its page said: %1").arg(message)
            : tr("While this window was in the background, its page asked: "
                 "%1 (answered Cancel)")
                  .arg(message));
    m_pPageNotice->show();
}

QString CQuillbrowView::PageNotice() const
{
    return m_pPageNotice->isHidden() ? QString() : m_pPageNotice->text();
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
    RequestClose();
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
    HideNotices();
    m_engine->Refresh();
}

bool CQuillbrowView::HasPrintPreview(int nMajor, int nMinor)
{
    return nMajor > 5 || (nMajor == 5 && nMinor >= 50);
}

void CQuillbrowView::OnEditCommand(int nID)
{
    QLineEdit *edit = m_pFindBar->Edit();
    if (edit->hasFocus()) {
        if (nID == ID_EDIT_CUT)
            edit->cut();
        else if (nID == ID_EDIT_COPY)
            edit->copy();
        else if (nID == ID_EDIT_PASTE)
            edit->paste();
        return;
    }
    m_engine->ExecEditCommand(EditCommandOf(nID));
}

bool CQuillbrowView::IsEditCommandEnabled(int nID) const
{
    const QLineEdit *edit = m_pFindBar->Edit();
    if (edit->hasFocus()) {
        if (nID == ID_EDIT_PASTE) {
            const QMimeData *data = QApplication::clipboard()->mimeData();
            return data && data->hasText();
        }
        return edit->hasSelectedText();
    }
    return m_engine->IsEditCommandEnabled(EditCommandOf(nID));
}

QString CQuillbrowView::SuggestedSavePath(const QString &strSuffix) const
{
    QString name = GetLocationName();
    // Characters no file name on any desktop may carry, and the blanks around them.
    name.replace(QRegularExpression(QStringLiteral("[\\x00-\\x1f/\\\\:*?\"<>|]+")),
                 QStringLiteral(" "));
    name = name.simplified().left(100).trimmed();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = tr("page");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(name + strSuffix);
}

void CQuillbrowView::OnFileSaveAs()
{
    if (!m_engine->HasDocument())
        return;
    QStringList filters;
    for (const SSaveChoice &choice : kSaveChoices)
        filters << tr(choice.filter);
    QString filter = filters.constFirst();
    QPointer<CQuillbrowView> self(this);
    QString path = CFileDialog::GetSaveFileName(
        window(), tr("Save As"), SuggestedSavePath(QLatin1String(kSaveChoices[0].suffix)), filters,
        &filter);
    if (path.isEmpty() || !self)
        return;
    const int nFormat = qMax(0, int(filters.indexOf(filter)));
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(kSaveChoices[nFormat].suffix);
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    m_pHost->SetStatusText(tr("Saving %1...").arg(shown));
    IBrowserHost *pHost = m_pHost;
    CPageSaver::Save(m_engine.get(), path, IWebEngine::ESaveFormat(nFormat),
                     [self, pHost, shown](const QString &strError) {
                         if (strError.isEmpty()) {
                             if (self)
                                 pHost->SetStatusText(tr("Saved %1").arg(shown));
                             return;
                         }
                         if (self)
                             pHost->SetStatusText(LoadString(IDS_IDLE_MESSAGE));
                         ShowErrorText(strError, self ? self->window() : nullptr);
                     });
}

void CQuillbrowView::OnFilePrint()
{
    if (!m_engine->HasDocument())
        return;
    QPointer<CQuillbrowView> self(this);
    if (!CPrintDialogs::Print(window()) || !self)
        return;
    const auto done = [self](const QString &strError) {
        if (!strError.isEmpty())
            ShowErrorText(strError, self ? self->window() : nullptr);
    };
    QPrinter *printer = CPrintDialogs::Printer();
    // Printed to a file, the page keeps its text as text; the printer's own
    // rendering would make pictures of it.
    if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty())
        m_engine->PrintToPdf(printer->outputFileName(), printer->pageLayout(),
                             printer->pageRanges(), done);
    else
        m_engine->Print(printer, done);
}

void CQuillbrowView::OnFilePrintPreview()
{
    const CEngineInfo &info = m_pHost->EngineInfo();
    if (!HasPrintPreview(info.m_nMajor, info.m_nMinor)) {
        CConfirmDlg dlg(window(), LoadString(IDS_NO_PRINT_PREVIEW), Mb::Ok | Mb::IconExclamation,
                        false);
        dlg.exec();
        return;
    }
    QPointer<CQuillbrowView> self(this);
    CPrintDialogs::Preview(window(), [self](QPrinter *pPrinter) {
        if (self)
            self->PaintPreview(pPrinter);
    });
}

void CQuillbrowView::PaintPreview(QPrinter *pPrinter)
{
    // The preview takes the pages as drawn when this returns, and the engine draws
    // them in its own time. A window closed meanwhile takes its engine, and the
    // engine's answer, with it.
    QEventLoop loop;
    bool bDone = false;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    m_engine->Print(pPrinter, [&bDone, &loop](const QString &) {
        bDone = true;
        loop.quit();
    });
    if (!bDone)
        loop.exec();
}

void CQuillbrowView::OnFileProperties()
{
    if (!m_engine->HasDocument())
        return;
    CPropertiesDlg dlg(GetLocationName(), GetLocationURL(), window());
    dlg.exec();
}

void CQuillbrowView::OnEditFind()
{
    if (m_engine->HasDocument())
        m_pFindBar->Open();
}

void CQuillbrowView::OnViewSource()
{
    if (!m_engine->HasDocument())
        return;
    QString address = GetLocationURL();
    if (!address.startsWith(kViewSourcePrefix, Qt::CaseInsensitive))
        address.prepend(kViewSourcePrefix);
    if (CQuillbrowView *view = m_pHost->CreateNewWindow(true, true))
        view->Navigate2(address);
}
