#include "CWebEngine.h"

#include "CDownloadManager.h"
#include "CEngineStore.h"
#include "CExternalLinks.h"
#include "CFullScreenWindow.h"
#include "CHeapTrim.h"
#include "COfflineInterceptor.h"
#include "COfflineState.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWebPage.h"
#include "CWebView.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageRanges>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <QWebEngineSettings>
#include <QWebEngineView>
#include <utility>

#include <cmath>

namespace {

// How long a page kept for a refused load waits for that load to end.
constexpr int kKeptPageGraceMs = 1000;

QPointer<QWebEngineProfile> &SharedProfile()
{
    static QPointer<QWebEngineProfile> profile;
    return profile;
}

// Pages whose windows went while they are still being taken apart. The engine's
// profile may not go before them.
QList<QPointer<QWebEnginePage>> &PagesGoing()
{
    static QList<QPointer<QWebEnginePage>> going;
    return going;
}

void AddPageGoing(QWebEnginePage *pPage)
{
    PagesGoing().removeAll(nullptr);
    PagesGoing() << pPage;
}

// Chromium's context is torn down by a post routine of its own; the profile has to
// go before it, and routines run in the reverse order of their registration.
void DeleteSharedProfile()
{
    for (const QPointer<QWebEnginePage> &pPage : std::exchange(PagesGoing(), {}))
        delete pPage.data();
    delete SharedProfile().data();
}

// A page's frames go a batch at a time before the page does: the engine takes a page
// apart in one turn of the event loop, which for the 1,000 frames it allows a page
// stalled the program for 0.4 s. Each step removes some and tells how many are left.
constexpr int kFramesPerStep = 50;
// A page that keeps adding frames, or whose renderer stops answering, goes anyway.
constexpr int kMaxFrameSteps = 40;
constexpr int kStepAnswerMs = 2000;

// watchdog runs while a step waits for its answer and releases the page when none comes.
void RemoveFramesThenRelease(const QPointer<CWebPage> &pPage, const QPointer<QTimer> &watchdog,
                             const std::function<void()> &release, int nStep = 1)
{
    if (!pPage || !watchdog)
        return;
    if (nStep > kMaxFrameSteps) {
        qCDebug(lcMemory, "page still adding frames after %d steps: it goes with them",
                kMaxFrameSteps);
        release();
        return;
    }
    // In a world of our own, so the page's scripts cannot stand in for the DOM's.
    static const QString script
        = QStringLiteral("(function () { const all = document.querySelectorAll('iframe, frame');"
                         " const n = Math.min(all.length, %1);"
                         " for (let i = 0; i < n; ++i) all[i].remove();"
                         " return all.length - n; })()")
              .arg(kFramesPerStep);
    watchdog->start(kStepAnswerMs);
    pPage->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                         [pPage, watchdog, release, nStep](const QVariant &left) {
                             // No answer: the page is going already, or its renderer
                             // has gone; the watchdog has the last word.
                             if (!left.isValid())
                                 return;
                             if (left.toInt() > 0) {
                                 RemoveFramesThenRelease(pPage, watchdog, release, nStep + 1);
                                 return;
                             }
                             qCDebug(lcMemory, "page taken apart in %d steps", nStep);
                             release();
                         });
}

constexpr qsizetype kMaxAnnounced = 8;
// How long a stopped load may take to end before the page is taken to be stuck.
constexpr int kStopAnswerMs = 2000;
// Chromium's net error for a request the embedder's interceptor blocked.
constexpr int kErrBlockedByClient = -20;

QString Address(const QUrl &url)
{
    return url.isEmpty() ? QString() : url.toString();
}

QWebEnginePage::WebAction EditAction(IWebEngine::EEditCommand command)
{
    switch (command) {
    case IWebEngine::EditCut:
        return QWebEnginePage::Cut;
    case IWebEngine::EditCopy:
        return QWebEnginePage::Copy;
    case IWebEngine::EditPaste:
        return QWebEnginePage::Paste;
    case IWebEngine::EditSelectAll:
        return QWebEnginePage::SelectAll;
    }
    return QWebEnginePage::NoWebAction;
}

QWebEngineDownloadRequest::SavePageFormat SaveFormat(IWebEngine::ESaveFormat format)
{
    switch (format) {
    case IWebEngine::SaveComplete:
        return QWebEngineDownloadRequest::CompleteHtmlSaveFormat;
    case IWebEngine::SaveSingleFile:
        return QWebEngineDownloadRequest::MimeHtmlSaveFormat;
    case IWebEngine::SaveHtmlOnly:
        break;
    }
    return QWebEngineDownloadRequest::SingleHtmlSaveFormat;
}

} // namespace

QWebEngineProfile *CWebEngine::Profile()
{
    QPointer<QWebEngineProfile> &profile = SharedProfile();
    if (profile)
        return profile;

    profile = new QWebEngineProfile(QStringLiteral("Quillbrow"));
    profile->setPersistentStoragePath(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Tarvo/Quillbrow/engine"));
    profile->setCachePath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                          + QStringLiteral("/Tarvo/Quillbrow"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    new CDownloadManager(profile);
    profile->setUrlRequestInterceptor(new COfflineInterceptor(profile));
    qAddPostRoutine(DeleteSharedProfile);
    return profile;
}

CWebEngine::CWebEngine(QObject *parent)
    : QObject(parent)
    , m_pView(new CWebView)
    , m_pPage(new CWebPage(this, Profile()))
{
    m_pView->setPage(m_pPage);
    m_mark = Mark();

    connect(m_pPage, &QWebEnginePage::loadingChanged, this, &CWebEngine::OnLoadingChanged);
    connect(m_pPage, &QWebEnginePage::loadProgress, this, &CWebEngine::OnLoadProgress);
    connect(m_pPage, &QWebEnginePage::urlChanged, this, &CWebEngine::OnUrlChanged);
    connect(m_pPage, &QWebEnginePage::titleChanged, this, &CWebEngine::OnTitleChanged);
    connect(m_pPage, &QWebEnginePage::linkHovered, this, &CWebEngine::OnLinkHovered);
    connect(m_pPage, &QWebEnginePage::windowCloseRequested, this,
            &CWebEngine::OnWindowCloseRequested);
    connect(m_pPage, &QWebEnginePage::fullScreenRequested, this,
            &CWebEngine::OnFullScreenRequested);
    // The page changes its actions from inside Chromium's commit and reports a dead
    // renderer from inside Chromium's bookkeeping; a sink that navigates or closes
    // the window in reply must not run there.
    for (const auto action : {QWebEnginePage::Back, QWebEnginePage::Forward})
        connect(m_pPage->action(action), &QAction::enabledChanged, this,
                &CWebEngine::OnNavigationActionsChanged, Qt::QueuedConnection);
    connect(m_pView, &QWebEngineView::printFinished, this, &CWebEngine::EndPrint);
    connect(m_pPage, &QWebEnginePage::pdfPrintingFinished, this,
            [this](const QString &, bool bSuccess) { EndPrint(bSuccess); });
    connect(
        m_pPage, &QWebEnginePage::renderProcessTerminated, this,
        [this](QWebEnginePage::RenderProcessTerminationStatus status, int nExitCode) {
            if (status == QWebEnginePage::NormalTerminationStatus)
                return;
            const auto how = status == QWebEnginePage::KilledTerminationStatus
                ? IEngineEvents::ERendererEnd::Killed
                : status == QWebEnginePage::CrashedTerminationStatus
                ? IEngineEvents::ERendererEnd::Crashed
                : IEngineEvents::ERendererEnd::Abnormal;
            QTimer::singleShot(0, this,
                               [this, how, nExitCode] { OnRendererCrashed(how, nExitCode); });
        },
        Qt::DirectConnection);
}

CWebEngine::~CWebEngine()
{
    m_pSink = nullptr;
    m_pFullScreen.reset();
    if (m_printDone && m_pView) {
        // Qt WebEngine crashes when a page goes, or is stopped, while it prints, and the
        // caller waiting for the print is going with this engine: the page and its view
        // stay, hidden, on their own and refusing whatever comes next, until the print
        // ends.
        m_printDone = nullptr;
        QWebEngineView *pView = m_pView;
        CWebPage *pPage = m_pPage;
        const auto release = Orphan();
        connect(pView, &QWebEngineView::printFinished, pView, release);
        connect(pPage, &QWebEnginePage::pdfPrintingFinished, pPage, release);
        return;
    }
    if (m_bKeepPage && m_bLoadPending && m_pView) {
        // A page-opened window refused at its first address: the engine may still be
        // setting the new page up, and deleting it then has crashed Qt WebEngine. The
        // end of the refused load says it is done (the grace period stands in when
        // the engine never says so).
        CWebPage *pPage = m_pPage;
        const auto release = Orphan();
        connect(pPage, &QWebEnginePage::loadingChanged, pPage,
                [release](const QWebEngineLoadingInfo &info) {
                    if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
                        release();
                });
        QTimer::singleShot(kKeptPageGraceMs, pPage, release);
        return;
    }
    // The view first, so it never shows a page that is going away.
    delete m_pView.data();
    if (!m_bRendererGone && !QCoreApplication::closingDown()) {
        // Deaf at once; the page itself goes once its frames have.
        const QPointer<CWebPage> pPage = m_pPage;
        pPage->Detach();
        pPage->setParent(nullptr);
        AddPageGoing(pPage);
        const auto release = [pPage] {
            if (pPage)
                pPage->deleteLater();
            // What the page freed goes back to the system, not only what its window did.
            HeapTrim::Schedule();
        };
        auto *watchdog = new QTimer(pPage);
        watchdog->setSingleShot(true);
        connect(watchdog, &QTimer::timeout, pPage, [release] {
            qCDebug(lcMemory, "page did not answer while taken apart: it goes whole");
            release();
        });
        RemoveFramesThenRelease(pPage, watchdog, release);
        return;
    }
    delete m_pPage;
}

std::function<void()> CWebEngine::Orphan()
{
    const QPointer<QWebEngineView> pView = m_pView;
    const QPointer<CWebPage> pPage = m_pPage;
    pPage->Detach();
    pPage->setParent(nullptr);
    pView->hide();
    pView->setParent(nullptr);
    AddPageGoing(pPage);
    return [pView, pPage] {
        if (pView)
            pView->deleteLater();
        if (pPage)
            pPage->deleteLater();
        HeapTrim::Schedule();
    };
}

void CWebEngine::SetScriptWindowsAllowed(bool bAllowed)
{
    // The page's own settings: other pages of the profile keep theirs.
    m_pPage->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, bAllowed);
}

void CWebEngine::KeepPageUntilLoadEnds()
{
    m_bKeepPage = true;
    m_bLoadPending = true;
}

void CWebEngine::SetEventSink(IEngineEvents *pSink)
{
    m_pSink = pSink;
}

QWidget *CWebEngine::Widget()
{
    return m_pView;
}

QWebEngineView *CWebEngine::View() const
{
    return m_pView;
}

CWebPage *CWebEngine::Page() const
{
    return m_pPage;
}

void CWebEngine::Navigate2(const QString &strURL)
{
    // Without AssumeLocalFile: a bare host name must stay a host, and only a file
    // that exists in the current folder is taken for a relative path.
    const QUrl url = QUrl::fromUserInput(strURL, QDir::currentPath());
    if (!url.isValid())
        return;
    m_pPage->load(url);
}

void CWebEngine::GoBack()
{
    m_pPage->triggerAction(QWebEnginePage::Back);
}

void CWebEngine::GoForward()
{
    m_pPage->triggerAction(QWebEnginePage::Forward);
}

void CWebEngine::GoHome()
{
    const QString strStart = EngineStore::ReadStartPage();
    Navigate2(strStart.isEmpty() ? QStringLiteral("about:blank") : strStart);
}

void CWebEngine::GoSearch()
{
    Navigate2(EngineStore::ReadSearchPage());
}

void CWebEngine::Refresh()
{
    m_pPage->triggerAction(QWebEnginePage::Reload);
}

void CWebEngine::Stop()
{
    m_pPage->triggerAction(QWebEnginePage::Stop);
    if (!m_bBusy)
        return;
    // A renderer stuck in a script never hears the stop, and the load would stay busy
    // for good: after a while the window gives it up on its own.
    QTimer::singleShot(kStopAnswerMs, this, [this, nLoad = m_nLoad] {
        if (!m_bBusy || nLoad != m_nLoad)
            return;
        OnLoadEnd();
        if (m_pSink)
            m_pSink->OnStopUnanswered();
    });
}

QString CWebEngine::GetLocationURL() const
{
    return Address(m_pPage->url());
}

QString CWebEngine::GetLocationName() const
{
    return m_pPage->title();
}

bool CWebEngine::GetBusy() const
{
    return m_bBusy;
}

bool CWebEngine::CanGoBack() const
{
    return m_pPage->history()->canGoBack();
}

bool CWebEngine::CanGoForward() const
{
    return m_pPage->history()->canGoForward();
}

void CWebEngine::SettleCookies(std::function<void()> done)
{
    if (m_pPage->url().isEmpty()) {
        done();
        return;
    }
    // Reading document.cookie asks the store over the same channel the page's writes
    // took, so the answer comes back only after they have arrived.
    m_pPage->runJavaScript(QStringLiteral("document.cookie"), QWebEngineScript::ApplicationWorld,
                           [done = std::move(done)](const QVariant &) { done(); });
}

bool CWebEngine::HasDocument() const
{
    return !m_pPage->url().isEmpty();
}

void CWebEngine::ExecEditCommand(EEditCommand command)
{
    m_pPage->triggerAction(EditAction(command));
}

bool CWebEngine::IsEditCommandEnabled(EEditCommand command) const
{
    return m_pPage->action(EditAction(command))->isEnabled();
}

const QList<qreal> &CWebEngine::TextSizeFactors()
{
    static const QList<qreal> factors {0.7, 0.85, 1.0, 1.2, 1.5};
    return factors;
}

int CWebEngine::GetTextSizeLevel() const
{
    if (!HasDocument())
        return TextMedium;
    const qreal zoom = m_pPage->zoomFactor();
    const QList<qreal> &factors = TextSizeFactors();
    int nLevel = TextMedium;
    for (int i = 0; i < factors.size(); ++i) {
        if (std::abs(factors.at(i) - zoom) < std::abs(factors.at(nLevel) - zoom))
            nLevel = i;
    }
    return nLevel;
}

void CWebEngine::SetTextSizeLevel(int nLevel)
{
    if (!HasDocument() || nLevel < TextSmallest || nLevel > TextLargest)
        return;
    m_pPage->setZoomFactor(TextSizeFactors().at(nLevel));
}

void CWebEngine::FindText(const QString &strText, bool bBackward, bool bMatchCase,
                          FindCallback done)
{
    if (!HasDocument()) {
        if (done)
            done(0, 0);
        return;
    }
    QWebEnginePage::FindFlags flags;
    if (bBackward)
        flags |= QWebEnginePage::FindBackward;
    if (bMatchCase)
        flags |= QWebEnginePage::FindCaseSensitively;
    m_pPage->findText(strText, flags, [done](const QWebEngineFindTextResult &result) {
        if (done)
            done(result.activeMatch(), result.numberOfMatches());
    });
}

void CWebEngine::SavePage(const QString &strPath, ESaveFormat format, DoneCallback done)
{
    if (!HasDocument()) {
        done(tr("There is no page to save."));
        return;
    }
    // The engine saves one page at a time; a second save would never be heard of.
    if (m_bSaving) {
        done(tr("The page is being saved already."));
        return;
    }
    m_bSaving = true;
    // The save is one of the profile's downloads. It is followed from an object of the
    // profile, so a window closed meanwhile still lets its caller hear how it ended.
    struct SPending
    {
        DoneCallback done;
        bool bSeen = false;
        bool bFinished = false;
    };
    const QString target = QFileInfo(strPath).absoluteFilePath();
    auto pending = std::make_shared<SPending>();
    pending->done = std::move(done);
    auto *pWatcher = new QObject(Profile());
    const auto finish
        = [pending, pWatcher, self = QPointer<CWebEngine>(this)](const QString &strError) {
              if (pending->bFinished)
                  return;
              pending->bFinished = true;
              if (self)
                  self->m_bSaving = false;
              pWatcher->deleteLater();
              pending->done(strError);
          };
    const auto onState = [finish](QWebEngineDownloadRequest *pRequest) {
        switch (pRequest->state()) {
        case QWebEngineDownloadRequest::DownloadCompleted:
            finish(QString());
            break;
        case QWebEngineDownloadRequest::DownloadCancelled:
            finish(tr("The saving was cancelled."));
            break;
        case QWebEngineDownloadRequest::DownloadInterrupted:
            finish(pRequest->interruptReasonString());
            break;
        default:
            break;
        }
    };
    connect(Profile(), &QWebEngineProfile::downloadRequested, pWatcher,
            [pending, target, finish, onState, pWatcher](QWebEngineDownloadRequest *pRequest) {
                if (pending->bSeen || !pRequest->isSavePageDownload()
                    || QDir(pRequest->downloadDirectory()).filePath(pRequest->downloadFileName())
                        != target)
                    return;
                pending->bSeen = true;
                connect(pRequest, &QWebEngineDownloadRequest::stateChanged, pWatcher,
                        [pRequest, onState] { onState(pRequest); });
                connect(pRequest, &QObject::destroyed, pWatcher,
                        [finish] { finish(tr("The saving was cancelled.")); });
                onState(pRequest);
            });
    connect(m_pPage, &QObject::destroyed, pWatcher, [pending, finish] {
        if (!pending->bSeen)
            finish(tr("The window was closed before its page was saved."));
    });
    m_pPage->save(target, SaveFormat(format));
}

bool CWebEngine::BeginPrint(DoneCallback &done)
{
    if (!HasDocument()) {
        done(tr("There is no page to print."));
        return false;
    }
    if (m_printDone) {
        done(tr("The page is being printed already."));
        return false;
    }
    m_printDone = std::move(done);
    return true;
}

void CWebEngine::EndPrint(bool bSuccess)
{
    if (DoneCallback done = std::exchange(m_printDone, nullptr))
        done(bSuccess ? QString() : tr("The page could not be printed."));
}

void CWebEngine::Print(QPrinter *pPrinter, DoneCallback done)
{
    if (BeginPrint(done))
        m_pView->print(pPrinter);
}

void CWebEngine::PrintToPdf(const QString &strPath, const QPageLayout &layout,
                            const QPageRanges &ranges, DoneCallback done)
{
    if (BeginPrint(done))
        m_pPage->printToPdf(strPath, layout, ranges);
}

void CWebEngine::RequestClose()
{
    // A page whose renderer is gone has nothing to ask.
    if (m_bRendererGone) {
        if (m_pSink)
            m_pSink->OnCloseConfirmed();
        return;
    }
    if (m_bCloseRequested)
        return;
    m_bCloseRequested = true;
    m_pPage->triggerAction(QWebEnginePage::RequestClose);
}

bool CWebEngine::IsWindowActive() const
{
    return !m_pSink || m_pSink->IsWindowActive();
}

void CWebEngine::OnDialogInBackground(IEngineEvents::EPageDialog kind, const QString &strMessage)
{
    if (m_pSink)
        m_pSink->OnDialogInBackground(kind, strMessage);
}

CWebEngine::SHistoryMark CWebEngine::Mark() const
{
    const QWebEngineHistory *history = m_pPage->history();
    const QWebEngineHistoryItem item = history->currentItem();
    return {history->count(), history->currentItemIndex(), item.url(), item.lastVisited()};
}

void CWebEngine::ReportCommitIfAny(bool bForce)
{
    const SHistoryMark now = Mark();
    if (now == m_mark)
        return;
    // QWebEnginePage::url() catches up with Chromium only when its own urlChanged is
    // delivered, which may still be queued behind the event that saw the commit; the
    // check runs again behind it. A page whose shown address is not its entry's
    // (view-source:) is reported then all the same.
    if (!bForce && m_pPage->url() != now.url) {
        if (!m_bRecheckQueued) {
            m_bRecheckQueued = true;
            QTimer::singleShot(0, this, [this] {
                m_bRecheckQueued = false;
                ReportCommitIfAny(true);
            });
        }
        return;
    }
    m_mark = now;
    if (m_pSink)
        m_pSink->OnNavigateComplete2(Address(m_pPage->url()));
}

bool CWebEngine::OnNavigationRequest(const QUrl &url)
{
    bool bCancel = false;
    if (m_pSink)
        m_pSink->OnBeforeNavigate2(Address(url), bCancel);
    m_announced.removeAll(url);
    m_announced.append(url);
    if (m_announced.size() > kMaxAnnounced)
        m_announced.removeFirst();
    if (bCancel)
        return false;
    // Whatever changed the history before this point is not this navigation.
    m_mark = Mark();
    return true;
}

void CWebEngine::OnExternalLink(const QUrl &url)
{
    // The engine is inside its navigation here; the question waits for the loop.
    QMetaObject::invokeMethod(
        this,
        [this, url] {
            if (m_pSink)
                m_pSink->OnExternalLink(url.toString(QUrl::FullyEncoded));
        },
        Qt::QueuedConnection);
}

QWebEnginePage *CWebEngine::OnCreateWindow()
{
    if (!m_pSink)
        return nullptr;
    bool bCancel = false;
    IWebEngine *pNew = m_pSink->OnNewWindow2(bCancel);
    auto *pEngine = dynamic_cast<CWebEngine *>(pNew);
    if (bCancel || !pEngine)
        return nullptr;
    pEngine->m_bOpenedByPage = true;
    return pEngine->m_pPage;
}

void CWebEngine::OnLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        OnLoadBegin(info.url());
        return;
    }
    m_bLoadPending = false;
    OnLoadEnd();
    const SRefusal refusal = std::exchange(m_refusal, {});
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && refusal.nError != 0
        && info.errorCode() == refusal.nError && m_pSink) {
        m_pSink->OnCertificateRefused(Address(info.url()), CertificateProblem(refusal.nError),
                                      refusal.strDescription);
        return;
    }
    // Blocked by the offline interceptor: the engine's error page would blame the
    // page's server, so the window says why instead.
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus
        && info.errorCode() == kErrBlockedByClient && COfflineInterceptor::IsNetworkUrl(info.url())
        && !IsOnline() && m_pSink)
        m_pSink->OnOfflineBlocked(Address(info.url()));
}

QString CWebEngine::CertificateProblem(int nError)
{
    switch (nError) {
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
        return tr("it was made for a site of another name.");
    case QWebEngineCertificateError::CertificateDateInvalid:
        return tr("it has expired, or is not valid yet.");
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
        return tr("it is not vouched for by any authority this computer trusts (it may be "
                  "self-signed).");
    case QWebEngineCertificateError::CertificateRevoked:
        return tr("the authority that issued it has revoked it.");
    case QWebEngineCertificateError::CertificateWeakSignatureAlgorithm:
    case QWebEngineCertificateError::CertificateWeakKey:
        return tr("it is protected by weak cryptography.");
    case QWebEngineCertificateError::CertificateValidityTooLong:
        return tr("it is valid for longer than a certificate may be.");
    default:
        return tr("it is not valid.");
    }
}

void CWebEngine::OnCertificateError(QWebEngineCertificateError error)
{
    // Never loaded silently, and never on the user's say-so either: a page that was
    // refused says why (OnCertificateRefused) once its load has failed.
    error.rejectCertificate();
    m_refusal = {error.url(), int(error.type()), error.description()};
}

void CWebEngine::OnLoadBegin(const QUrl &url)
{
    const qsizetype nAnnounced = m_announced.indexOf(url);
    if (nAnnounced >= 0) {
        m_announced.remove(0, nAnnounced + 1);
    } else if (!CExternalLinks::IsExternal(url)) {
        // (A link for another program was refused already and goes to OnExternalLink;
        // a page-opened window must not be shown for it.)
        // Chromium loads about:blank without asking; the view still has to hear of it
        // first, a pending page-opened window above all. Such a load may have committed
        // already, so the history mark stays where it was and the commit is reported
        // next.
        bool bCancel = false;
        if (m_pSink)
            m_pSink->OnBeforeNavigate2(Address(url), bCancel);
        if (bCancel)
            m_pPage->triggerAction(QWebEnginePage::Stop);
    }
    m_bBusy = true;
    ++m_nLoad;
    m_bRendererGone = false;
    if (m_pSink)
        m_pSink->OnDownloadBegin();
}

void CWebEngine::OnLoadEnd()
{
    ReportCommitIfAny(true);
    m_bBusy = false;
    if (m_pSink)
        m_pSink->OnDownloadComplete();
    if (m_pSink)
        m_pSink->OnDocumentComplete(Address(m_pPage->url()));
}

void CWebEngine::OnLoadProgress(int nProgress)
{
    ReportCommitIfAny();
    if (m_pSink)
        m_pSink->OnProgressChange(nProgress, 100);
}

void CWebEngine::OnUrlChanged()
{
    // A pending address leaves the history as it was, so nothing is reported for it.
    ReportCommitIfAny(true);
}

void CWebEngine::OnTitleChanged(const QString &strTitle)
{
    // The commit resets the title: the new page's navigate-complete comes first.
    ReportCommitIfAny();
    if (m_pSink)
        m_pSink->OnTitleChange(strTitle);
}

void CWebEngine::OnLinkHovered(const QString &strURL)
{
    // Qt reports leaving a link as an empty text, which the status bar would ignore and
    // keep the link's address for good; leaving shows the idle text instead.
    if (m_pSink)
        m_pSink->OnStatusTextChange(strURL.isEmpty() ? LoadString(IDS_IDLE_MESSAGE) : strURL);
}

void CWebEngine::OnNavigationActionsChanged()
{
    const bool bBack = m_pPage->action(QWebEnginePage::Back)->isEnabled();
    const bool bForward = m_pPage->action(QWebEnginePage::Forward)->isEnabled();
    if (bBack != m_bCanGoBack) {
        m_bCanGoBack = bBack;
        if (m_pSink)
            m_pSink->OnCommandStateChange(CmdBack, bBack);
    }
    if (bForward != m_bCanGoForward) {
        m_bCanGoForward = bForward;
        if (m_pSink)
            m_pSink->OnCommandStateChange(CmdForward, bForward);
    }
}

void CWebEngine::OnWindowCloseRequested()
{
    if (m_bCloseRequested) {
        m_bCloseRequested = false;
        if (m_pSink)
            m_pSink->OnCloseConfirmed();
        return;
    }
    // The sink closes the window itself when it agrees; the engine has nothing to undo
    // when it does not.
    bool bCancel = false;
    if (m_pSink)
        m_pSink->OnWindowClosing(m_bOpenedByPage, bCancel);
}

void CWebEngine::OnFullScreenRequested(QWebEngineFullScreenRequest request)
{
    if (request.toggleOn() == IsFullScreen()) {
        request.accept();
        return;
    }
    request.accept();
    if (request.toggleOn())
        m_pFullScreen = std::make_unique<CFullScreenWindow>(m_pView);
    else
        m_pFullScreen.reset();
}

void CWebEngine::OnRendererCrashed(IEngineEvents::ERendererEnd how, int nExitCode)
{
    // A load the renderer took with it may never report its end, nor a close request
    // its answer.
    m_bBusy = false;
    m_bRendererGone = true;
    m_pFullScreen.reset();
    if (std::exchange(m_bCloseRequested, false) && m_pSink)
        m_pSink->OnCloseConfirmed();
    if (m_pSink)
        m_pSink->OnRendererCrashed(how, nExitCode);
}
