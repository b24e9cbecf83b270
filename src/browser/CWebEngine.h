#pragma once

#include "IWebEngine.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>

class CFullScreenWindow;
class QWebEngineCertificateError;
class QWebEngineFullScreenRequest;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;
class CWebPage;

// The real engine: a QWebEngineView with our page class, in the one persistent
// profile. Turns Qt WebEngine's calls and signals into IEngineEvents in the order
// the view relies on.
//
// Qt WebEngine has no commit signal, and its urlChanged fires at the start of a
// page-opened window's first navigation but at commit for later ones. So the engine
// remembers where the page's history stood when a navigation was announced, and
// reports OnNavigateComplete2 with the page's address on the first event after that
// history changed: the commit itself (urlChanged, titleChanged) or at the latest the
// end of the load. A redirect or a pending address does not change the history, so
// the address reported is always the one committed. Same-document moves (an anchor,
// pushState) change the history too and are reported the same way.
//
// Every load ends with OnDownloadComplete and OnDocumentComplete, also one that
// committed nothing (a download, Stop before the answer, a navigation the sink
// cancelled, for which Qt still starts and ends a load): the view needs the end of the
// busy time to finish its caption and tab, and the address passed is then that of the
// page still shown. Loads Chromium starts without asking (about:blank) get their
// OnBeforeNavigate2 when they start. Of several navigations started at once only the
// last is announced: Chromium drops the others before it asks about them.
//
// The sink must not destroy the engine from inside an event; it posts the close.
class CWebEngine : public QObject, public IWebEngine
{
    Q_OBJECT
public:
    explicit CWebEngine(QObject *parent = nullptr);
    ~CWebEngine() override;

    // The profile every window shares: cookies, cache and site storage kept under
    // $XDG_DATA_HOME and $XDG_CACHE_HOME across runs. Made on first use.
    static QWebEngineProfile *Profile();

    void SetEventSink(IEngineEvents *pSink) override;
    QWidget *Widget() override;
    // An address that cannot be made a valid URL loads nothing and reports nothing.
    void Navigate2(const QString &strURL) override;
    void GoBack() override;
    void GoForward() override;
    // An empty start page opens about:blank.
    void GoHome() override;
    void GoSearch() override;
    void Refresh() override;
    // A load that has not ended a while after Stop (its renderer is stuck in a
    // script) is ended here, and the sink hears OnStopUnanswered.
    void Stop() override;
    QString GetLocationURL() const override;
    QString GetLocationName() const override;
    bool GetBusy() const override;
    bool CanGoBack() const override;
    bool CanGoForward() const override;
    void SettleCookies(std::function<void()> done) override;
    bool HasDocument() const override;
    void ExecEditCommand(EEditCommand command) override;
    bool IsEditCommandEnabled(EEditCommand command) const override;
    // Text size levels are zoom factors of the whole page; Medium is the engine's 1.0.
    // A factor set some other way reads as the nearest level.
    int GetTextSizeLevel() const override;
    void SetTextSizeLevel(int nLevel) override;
    void FindText(const QString &strText, bool bBackward, bool bMatchCase,
                  FindCallback done) override;
    // One save at a time, and one print at a time: a second one while the first runs
    // fails at once.
    void SavePage(const QString &strPath, ESaveFormat format, DoneCallback done) override;
    void Print(QPrinter *pPrinter, DoneCallback done) override;
    void KeepPageUntilLoadEnds() override;
    void SetScriptWindowsAllowed(bool bAllowed) override;
    void PrintToPdf(const QString &strPath, const QPageLayout &layout, const QPageRanges &ranges,
                    DoneCallback done) override;

    // The zoom factor of each text size level, smallest first.
    static const QList<qreal> &TextSizeFactors();
    // What is wrong with a certificate, in a user's words, by the engine's error
    // (QWebEngineCertificateError::Type).
    static QString CertificateProblem(int nError);
    void RequestClose() override;

    QWebEngineView *View() const;
    CWebPage *Page() const;
    // True for an engine whose page a page opened (window.open, a link's target).
    bool IsOpenedByPage() const { return m_bOpenedByPage; }
    // The page fills the screen at its own request.
    bool IsFullScreen() const { return m_pFullScreen != nullptr; }
    // A close asked for with RequestClose that the page has not answered yet.
    bool IsCloseRequested() const { return m_bCloseRequested; }

private:
    friend class CWebPage;

    struct SHistoryMark
    {
        int nCount = 0;
        int nIndex = -1;
        QUrl url;
        QDateTime visited;
        bool operator==(const SHistoryMark &) const = default;
    };

    SHistoryMark Mark() const;
    void ReportCommitIfAny(bool bForce = false);

    // Called by CWebPage.
    bool OnNavigationRequest(const QUrl &url);
    void OnExternalLink(const QUrl &url);
    QWebEnginePage *OnCreateWindow();
    bool IsWindowActive() const;
    void OnDialogInBackground(IEngineEvents::EPageDialog kind, const QString &strMessage);
    void OnCloseRefused() { m_bCloseRequested = false; }
    void OnCertificateError(QWebEngineCertificateError error);

    void OnLoadingChanged(const QWebEngineLoadingInfo &info);
    // Leaves the page and its view on their own, refusing everything, until release
    // is called; returns it.
    std::function<void()> Orphan();
    void OnLoadBegin(const QUrl &url);
    void OnLoadEnd();
    void OnLoadProgress(int nProgress);
    void OnUrlChanged();
    void OnTitleChanged(const QString &strTitle);
    void OnLinkHovered(const QString &strURL);
    void OnNavigationActionsChanged();
    void OnWindowCloseRequested();
    void OnRendererCrashed(IEngineEvents::ERendererEnd how, int nExitCode);
    bool BeginPrint(DoneCallback &done);
    void EndPrint(bool bSuccess);
    void OnFullScreenRequested(QWebEngineFullScreenRequest request);

    QPointer<QWebEngineView> m_pView;
    CWebPage *m_pPage;
    IEngineEvents *m_pSink = nullptr;
    bool m_bBusy = false;
    // Counts the loads begun, so a late check knows whether its load still runs.
    int m_nLoad = 0;

    // History as it stood at the last announced navigation or reported commit.
    SHistoryMark m_mark;
    // Addresses announced by a before-navigate whose load has not been seen to start
    // yet, oldest first, so no load is announced twice. Qt reports load starts later
    // than the requests, and a navigation that begins while another loads starts no
    // load of its own, so this is a short list rather than one address.
    QList<QUrl> m_announced;
    bool m_bRecheckQueued = false;
    bool m_bCanGoBack = false;
    bool m_bCanGoForward = false;
    bool m_bOpenedByPage = false;
    // The caller waiting for the print that runs, if any.
    DoneCallback m_printDone;
    bool m_bSaving = false;
    bool m_bCloseRequested = false;
    bool m_bRendererGone = false;
    // The last certificate refused, until a load fails for it (a page's) or not (a
    // frame's or an image's, which the page shows without).
    struct SRefusal
    {
        QUrl url;
        int nError = 0;
        QString strDescription;
    };
    SRefusal m_refusal;
    std::unique_ptr<CFullScreenWindow> m_pFullScreen;
    // Set by KeepPageUntilLoadEnds; the end of a load clears m_bLoadPending.
    bool m_bKeepPage = false;
    bool m_bLoadPending = false;
};
