// The application's commands: new windows, closing many windows, the commands over
// every window, the offline switch and File Open.

#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CErrorReport.h"
#include "CMainFrame.h"
#include "COfflineState.h"
#include "CQuillbrowApp.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QPointer>

QList<CQuillbrowView *> CQuillbrowApp::Documents() const
{
    // Every window, the hidden ones a page asked for included, in creation order.
    return m_pMainWnd ? m_pMainWnd->Views() : QList<CQuillbrowView *>();
}

void CQuillbrowApp::OnUpdateWindowRule(CCmdUI *pCmdUI) const
{
    pCmdUI->Enable(m_pMainWnd && m_pMainWnd->GetActiveHtmlView());
}

void CQuillbrowApp::OnUpdateMoreThanOneWindow(CCmdUI *pCmdUI) const
{
    pCmdUI->Enable(Documents().size() > 1);
}

void CQuillbrowApp::OnNewWindow(const QString &address)
{
    CQuillbrowView *view = CreateNewWindow(true, true);
    // An empty address (no page to copy, no start page) leaves the window without one.
    if (view && !address.isEmpty())
        view->Navigate2(address);
}

void CQuillbrowApp::OnCloseAll()
{
    if (m_settings.ConfirmCloseAll != 0) {
        CConfirmDlg dlg(m_pMainWnd, LoadString(IDS_CONFIRM_CLOSE_ALL), Mb::YesNo | Mb::IconQuestion,
                        true);
        const int answer = dlg.exec();
        m_settings.ConfirmCloseAll = dlg.ShowNextTime;
        if (answer != IDYES)
            return;
    }
    CloseAllWindows(nullptr);
}

void CQuillbrowApp::CloseAllWindows(CQuillbrowView *except)
{
    if (except) {
        if (m_settings.ConfirmCloseAllEx != 0) {
            CConfirmDlg dlg(m_pMainWnd, LoadString(IDS_CONFIRM_CLOSE_ALL_EX),
                            Mb::YesNo | Mb::IconQuestion, true);
            const int answer = dlg.exec();
            m_settings.ConfirmCloseAllEx = dlg.ShowNextTime;
            if (answer != IDYES)
                return;
        }
        // The window may have gone while the question was open.
        if (!Documents().contains(except) || !except->GetDocument())
            return;
    }

    // A closing window must not pick the next active one: they all go.
    m_bClosingAll = true;
    const auto views = Documents();
    QList<QPointer<CQuillbrowDoc>> documents;
    for (CQuillbrowView *view : views) {
        if (view != except)
            documents << view->GetDocument();
    }
    for (const QPointer<CQuillbrowDoc> &document : std::as_const(documents)) {
        if (document)
            document->OnCloseDocument();
    }
    m_bClosingAll = false;
}

void CQuillbrowApp::OnRefreshAll()
{
    const auto views = Documents();
    for (CQuillbrowView *view : views)
        view->Refresh();
}

void CQuillbrowApp::OnStopAll()
{
    const auto views = Documents();
    for (CQuillbrowView *view : views)
        view->Stop();
}

void CQuillbrowApp::OnWorkOffline()
{
    int nError = 0;
    if (!SetOnline(!IsOnline(), &nError))
        ShowSystemError(nError, m_pMainWnd);
}

void CQuillbrowApp::OnFileOpen()
{
    if (!m_pMainWnd)
        return;
    QString path;
    if (!m_pMainWnd->PromptFileName(m_pMainWnd, path, true, QString()))
        return;
    CQuillbrowView *view
        = m_settings.OpenInNewWindow == 0 ? m_pMainWnd->GetActiveHtmlView() : nullptr;
    if (!view)
        view = CreateNewWindow(true, true);
    if (view)
        view->Navigate2(path);
}
