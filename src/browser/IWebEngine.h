#pragma once

// The engine as the browser view sees it: calls in IWebEngine, events in
// IEngineEvents. CWebEngine maps them onto Qt WebEngine once; tests of the view's
// logic use a fake.
//
// Order the view relies on, for one navigation:
//   OnBeforeNavigate2 (cancellable; a redirect is the same navigation, not a new one)
//   OnDownloadBegin, OnProgressChange / OnTitleChange
//   OnNavigateComplete2 with the final address after redirects
//   OnDownloadComplete
//   OnDocumentComplete (top-level document only)

#include <QString>

#include <functional>

class IWebEngine;
class QPageLayout;
class QPageRanges;
class QPrinter;
class QWidget;

class IEngineEvents
{
public:
    virtual ~IEngineEvents() = default;

    virtual void OnBeforeNavigate2(const QString &strURL, bool &bCancel) = 0;
    virtual void OnNavigateComplete2(const QString &strURL) = 0;
    virtual void OnDocumentComplete(const QString &strURL) = 0;
    virtual void OnTitleChange(const QString &strTitle) = 0;
    virtual void OnProgressChange(int nProgress, int nProgressMax) = 0;
    virtual void OnStatusTextChange(const QString &strText) = 0;
    // nCommand: 1 forward, 2 back.
    virtual void OnCommandStateChange(int nCommand, bool bEnable) = 0;
    virtual void OnDownloadBegin() = 0;
    virtual void OnDownloadComplete() = 0;
    // A page asks for a new window: return the engine of a window made for it (hidden,
    // without a tab), or null with bCancel set to refuse.
    virtual IWebEngine *OnNewWindow2(bool &bCancel) = 0;
    // A page asks to close its window; bCancel keeps it.
    virtual void OnWindowClosing(bool bIsChildWindow, bool &bCancel) = 0;
    // The page's renderer process ended abnormally; the page is gone until a reload.
    // nExitCode is the process's exit code, or the signal that ended it.
    enum class ERendererEnd { Crashed, Killed, Abnormal };
    virtual void OnRendererCrashed(ERendererEnd how, int nExitCode) = 0;
    // A top-level page was not loaded because the engine works offline; it comes after
    // that load's OnDocumentComplete.
    virtual void OnOfflineBlocked(const QString &strURL) { Q_UNUSED(strURL); }
    // A link the engine leaves to another program (mailto:, magnet: ...) was followed;
    // the page itself stays where it is.
    virtual void OnExternalLink(const QString &strURL) { Q_UNUSED(strURL); }
    // A top-level page was not loaded because its site's certificate was refused; it
    // comes after that load's OnDocumentComplete. strProblem says what is wrong in a
    // user's words, strDescription in the engine's.
    virtual void OnCertificateRefused(const QString &strURL, const QString &strProblem,
                                      const QString &strDescription)
    {
        Q_UNUSED(strURL);
        Q_UNUSED(strProblem);
        Q_UNUSED(strDescription);
    }
    // A Stop got no answer from the page (its script does not give the renderer back);
    // the load was ended without it, after its OnDocumentComplete.
    virtual void OnStopUnanswered() { }
    // The page agreed to a RequestClose (it had no leave-page question, or the user
    // chose to leave); the sink closes the window, posting the close.
    virtual void OnCloseConfirmed() = 0;
    // Whether the window is the one the user works in. A page in any other cannot
    // show a dialog: its alert, confirm or prompt is answered as dismissed at once,
    // and the window is told what the page said.
    virtual bool IsWindowActive() const = 0;
    enum class EPageDialog { Alert, Confirm, Prompt };
    virtual void OnDialogInBackground(EPageDialog kind, const QString &strMessage) = 0;
};

class IWebEngine
{
public:
    enum ECommand { CmdForward = 1, CmdBack = 2 };

    virtual ~IWebEngine() = default;

    virtual void SetEventSink(IEngineEvents *pSink) = 0;
    // The widget that shows the page; owned by the engine until a parent takes it.
    virtual QWidget *Widget() = 0;

    // Loads an address, a file path or a bare host name as typed.
    virtual void Navigate2(const QString &strURL) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;

    // Both empty before the first page.
    virtual QString GetLocationURL() const = 0;
    virtual QString GetLocationName() const = 0;
    virtual bool GetBusy() const = 0;
    virtual bool CanGoBack() const = 0;
    virtual bool CanGoForward() const = 0;

    // Calls done once the cookies the page has set are in the engine's store: a page
    // sends them on their way without waiting, and an exit right after would lose
    // them. Soon, or never when the page's renderer is gone.
    virtual void SettleCookies(std::function<void()> done) = 0;

    // The page commands. Before the first navigation the engine has no document:
    // then the text size reads Medium, and text size changes, finding, saving and
    // printing do nothing but report failure.
    virtual bool HasDocument() const = 0;

    enum EEditCommand { EditCut, EditCopy, EditPaste, EditSelectAll };
    virtual void ExecEditCommand(EEditCommand command) = 0;
    // The page's own state: a selection to cut or copy, something to paste into.
    virtual bool IsEditCommandEnabled(EEditCommand command) const = 0;

    enum ETextSize { TextSmallest = 0, TextSmaller, TextMedium, TextLarger, TextLargest };
    virtual int GetTextSizeLevel() const = 0;
    virtual void SetTextSizeLevel(int nLevel) = 0;

    // Selects the next (or previous) match of strText, wrapping at either end, and
    // reports the selected match (from 1) and the number of matches, both 0 when
    // there is none. An empty text clears the highlight. A search that a newer one
    // overtakes may still report; the caller drops what it no longer asked for.
    using FindCallback = std::function<void(int nActive, int nCount)>;
    virtual void FindText(const QString &strText, bool bBackward, bool bMatchCase,
                          FindCallback done)
        = 0;

    // Writes the page to strPath; done(error) follows once, with an empty error when
    // the file was written. The complete form also writes a folder of the page's
    // resources beside the file.
    enum ESaveFormat { SaveComplete, SaveSingleFile, SaveHtmlOnly };
    using DoneCallback = std::function<void(const QString &strError)>;
    virtual void SavePage(const QString &strPath, ESaveFormat format, DoneCallback done) = 0;

    // Renders the page onto the printer's pages; done(error) as for SavePage. The
    // printer must live until then.
    virtual void Print(QPrinter *pPrinter, DoneCallback done) = 0;
    // Writes the page as a PDF file with its text kept as text.
    virtual void PrintToPdf(const QString &strPath, const QPageLayout &layout,
                            const QPageRanges &ranges, DoneCallback done)
        = 0;

    // Closing as a user does: the page may ask whether to leave it first. The sink
    // hears OnCloseConfirmed when the page agrees, nothing when the user stays.
    virtual void RequestClose() = 0;

    // The window is going while a load it refused may not have ended: an engine whose
    // page may not go before then keeps it, refusing whatever comes next, until that
    // load has ended.
    virtual void KeepPageUntilLoadEnds() { }

    // Whether the page's scripts may open windows without a click. Off, the engine
    // refuses them itself before it makes anything for them.
    virtual void SetScriptWindowsAllowed(bool bAllowed) { Q_UNUSED(bAllowed); }
};
