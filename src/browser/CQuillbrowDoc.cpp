#include "CQuillbrowDoc.h"

#include "CChildFrame.h"
#include "CQuillbrowView.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CWindowsBar.h"
#include "IBrowserHost.h"

CQuillbrowDoc::CQuillbrowDoc(IBrowserHost *pHost, QObject *parent)
    : QObject(parent)
    , m_pHost(pHost)
{
    // File Close closes the document, and with it its window, once its page agrees.
    OnCommandId(ID_FILE_CLOSE, [this] {
        if (CQuillbrowView *view = GetFirstView())
            view->RequestClose();
    });
}

void CQuillbrowDoc::SetTitle(const QString &strTitle)
{
    if (m_strTitle == strTitle)
        return;
    m_strTitle = strTitle;
    if (m_pFrame)
        m_pFrame->setWindowTitle(strTitle);
    m_pHost->OnDocumentTitleChanged();
}

CQuillbrowView *CQuillbrowDoc::GetFirstView() const
{
    return m_pFrame ? m_pFrame->GetActiveView() : nullptr;
}

bool CQuillbrowDoc::OnNewDocument()
{
    SetTitle(QStringLiteral("about:blank"));
    return true;
}

bool CQuillbrowDoc::OnOpenDocument(const QString &strAddress)
{
    if (CQuillbrowView *view = GetFirstView())
        view->Navigate2(strAddress);
    return true;
}

void CQuillbrowDoc::OnCloseDocument()
{
    CQuillbrowView *view = GetFirstView();
    if (!view || !m_pFrame)
        return;
    CChildFrame *frame = m_pFrame;
    if (!m_pHost->IsClosingAll() && view->IsActiveView()) {
        // The closing window is still the active one here: remember it before another
        // window takes its place.
        frame->RememberIfActive();
        if (CWindowsBar *bar = m_pHost->WindowsBar()) {
            const int current = bar->GetCurSel();
            const int count = bar->GetItemCount();
            switch (m_pHost->Settings().ActivateMode) {
            case 0:
                if (current > 0)
                    bar->ActivatePrevWindow(view);
                else
                    bar->ActivateNextWindow(view);
                break;
            case 1:
                if (current >= count - 1)
                    bar->ActivatePrevWindow(view);
                else
                    bar->ActivateNextWindow(view);
                break;
            default:
                break;
            }
        }
    }
    frame->DestroyWindow();
}
