#pragma once

#include "CCmdTarget.h"
#include "CHistoryList.h"
#include "CPopupBudget.h"
#include "IBarWindow.h"
#include "IWebEngine.h"

#include <QWidget>

#include <memory>

class CChildFrame;
class CFindBar;
class CPagePanel;
class CQuillbrowDoc;
class IBrowserHost;
class QLabel;
class QMenu;
class QPrinter;

// The heart of a browser window: hosts the engine and turns its events into the
// window's title, its Windows Bar tab, the address bar text, the busy animation,
// the status text and the window's history. It decides whether a window a page
// opened is shown or closed unseen (AutoClose), and answers a page's request to
// close its window.
class CQuillbrowView : public QWidget, public IEngineEvents, public IBarWindow, public CCmdTarget
{
    Q_OBJECT
public:
    enum EPopupState { PopupNone = 0, PopupPending = 1, PopupClosing = 2 };

    // Takes ownership of the engine.
    CQuillbrowView(IBrowserHost *pHost, CQuillbrowDoc *pDoc, std::unique_ptr<IWebEngine> engine,
                   QWidget *parent = nullptr);
    ~CQuillbrowView() override;

    IWebEngine *Engine() const { return m_engine.get(); }
    CQuillbrowDoc *GetDocument() const { return m_pDoc; }
    CChildFrame *GetParentFrame() const;
    bool IsActiveView() const;

    void Navigate2(const QString &strURL);
    // Closes the window as the user asked: the page may first ask whether to leave
    // it, and the window goes once it agrees. A window never shown closes at once.
    void RequestClose();
    // This window's next completed page tells the host the splash screen may go
    // (IBrowserHost::SignalSplashDone), once.
    void SignalSplashOnComplete() { m_bSignalSplash = true; }
    QString GetLocationURL() const;
    QString GetLocationName() const;

    // Called by the frame when this window becomes or stops being the active one.
    void OnActivateView(bool bActivate);

    // History menus of the toolbar's Back and Forward buttons.
    void BuildHistoryMenu(QMenu *pMenu, bool bBack) const;
    QString GetHistoryURL(int nCommandId) const;
    void GoToHistoryEntry(int nCommandId);
    const CHistoryList &History() const { return m_history; }

    // IEngineEvents
    void OnBeforeNavigate2(const QString &strURL, bool &bCancel) override;
    void OnNavigateComplete2(const QString &strURL) override;
    void OnDocumentComplete(const QString &strURL) override;
    void OnTitleChange(const QString &strTitle) override;
    void OnProgressChange(int nProgress, int nProgressMax) override;
    void OnStatusTextChange(const QString &strText) override;
    void OnCommandStateChange(int nCommand, bool bEnable) override;
    void OnDownloadBegin() override;
    void OnDownloadComplete() override;
    IWebEngine *OnNewWindow2(bool &bCancel) override;
    void OnWindowClosing(bool bIsChildWindow, bool &bCancel) override;
    void OnRendererCrashed(ERendererEnd how, int nExitCode) override;
    void OnStopUnanswered() override;
    void OnCertificateRefused(const QString &strURL, const QString &strProblem,
                              const QString &strDescription) override;
    void OnOfflineBlocked(const QString &strURL) override;
    void OnExternalLink(const QString &strURL) override;
    void OnCloseConfirmed() override;
    bool IsWindowActive() const override;
    void OnDialogInBackground(EPageDialog kind, const QString &strMessage) override;

    // IBarWindow
    bool IsBusy() const override { return m_bBusy; }
    QString DocumentTitle() const override;
    void ActivateFrame(int nShowCmd) override;
    void CloseWindow() override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;
    bool CanGoBack() const override { return m_bCanGoBack; }
    bool CanGoForward() const override { return m_bCanGoForward; }

    // The panel shown instead of the page after its renderer ended: what happened,
    // the address, and a Reload button. Hidden otherwise.
    bool IsShowingCrashNotice() const;
    // The panel shown instead of a page whose site's certificate was refused, with a
    // Back button; hidden otherwise.
    bool IsShowingCertificateNotice() const;
    // The text shown instead of a page that was not loaded because the engine works
    // offline; hidden otherwise.
    bool IsShowingOfflineNotice() const;
    // What the page said in a dialog it could not show from the background, shown over
    // the page until it navigates; empty when there is none.
    QString PageNotice() const;

    // Cut, copy and paste as the frame hands them on (ids 57635, 57634, 57637): on the
    // find bar's text while it has the focus, else on the page.
    void OnEditCommand(int nID);
    bool IsEditCommandEnabled(int nID) const;
    CFindBar *FindBar() const { return m_pFindBar; }
    // Print preview needs engine version 5.50 or later.
    static bool HasPrintPreview(int nMajor, int nMinor);

    bool m_bCanGoForward = false;
    bool m_bCanGoBack = false;
    bool m_bSignalSplash = false;
    int m_nPopupState = PopupNone;
    bool m_bTypedNavigation = false;
    QString m_strRequestedURL;
    bool m_bBusy = false;
    int m_nProgress = 0;

private:
    void SetDocTitle(const QString &title);
    void BuildCommandMap();
    void ShowPendingWindow();
    void CloseUnseen();
    void AskToClose();
    void HideNotices();
    // The page's widget is hidden while a notice stands in for the page.
    void ShowInsteadOfPage(QWidget *pNotice);

    // The page commands.
    void OnFileSaveAs();
    void OnFilePrint();
    void OnFilePrintPreview();
    void PaintPreview(QPrinter *pPrinter);
    void OnFileProperties();
    void OnEditFind();
    void OnViewSource();
    QString SuggestedSavePath(const QString &strSuffix) const;

    IBrowserHost *m_pHost;
    CQuillbrowDoc *m_pDoc;
    std::unique_ptr<IWebEngine> m_engine;
    CHistoryList m_history;
    CPagePanel *m_pCrashNotice;
    CPagePanel *m_pCertificateNotice;
    CFindBar *m_pFindBar;
    QLabel *m_pOfflineNotice;
    QLabel *m_pPageNotice;
    bool m_bCloseQueued = false;
    bool m_bCloseAskQueued = false;
    bool m_bCloseRefused = false;
    // The windows this window's page opened lately, so a flood of them is refused.
    CPopupBudget m_popupBudget;
    bool m_bRefusalNoticeQueued = false;
    bool m_bScriptWindowsRefused = false;
};
