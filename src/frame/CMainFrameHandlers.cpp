// The main frame's handlers around the engine's settings, the file prompt and files
// dropped on the frame.

#include "CAddressBar.h"
#include "CFileDialog.h"
#include "CInternetOptionsDlg.h"
#include "CMainFrame.h"
#include "CQuillbrowView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {
const QString kHtmlFilter = QStringLiteral("HTML Documents(*.htm;*.html)");
const QString kAllFilesFilter = QStringLiteral("All Files(*.*)");

// What a drop carries that can become a window: files (a folder or a file that is not
// there is no page) and addresses another program's link gave.
QList<QUrl> OpenableUrls(const QList<QUrl> &urls)
{
    QList<QUrl> openable;
    for (const QUrl &url : urls) {
        if (!url.isValid() || url.isEmpty())
            continue;
        if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isFile())
            continue;
        openable << url;
    }
    return openable;
}
} // namespace

bool CMainFrame::PromptFileName(QWidget *pOwner, QString &strPath, bool bOpen, const QString &title)
{
    const QStringList filters {kHtmlFilter, kAllFilesFilter};
    QString selected = kHtmlFilter;
    QString path = bOpen
        ? CFileDialog::GetOpenFileName(pOwner, title, QString(), filters, &selected)
        : CFileDialog::GetSaveFileName(pOwner, title, QString(), filters, &selected);
    if (path.isEmpty())
        return false;
    // A name saved without an extension gets the HTML one.
    if (!bOpen && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".htm");
    strPath = path;
    return true;
}

void CMainFrame::OnInternetOptions()
{
    // The dialog sees the typed addresses as the address bar has them now, and may
    // clear them.
    m_pAddressBar->SaveHistory();
    CQuillbrowView *view = GetActiveHtmlView();
    ShowInternetOptions(this, view ? view->GetLocationURL() : QString());
    emit engineSettingsChanged();
    m_pAddressBar->LoadHistory();
    if (CQuillbrowView *active = GetActiveHtmlView())
        SetAddressText(active->GetLocationURL(), false);
}

void CMainFrame::OnDropFiles(const QList<QUrl> &urls)
{
    const QList<QUrl> openable = OpenableUrls(urls);
    for (const QUrl &url : openable) {
        CQuillbrowView *view = CreateNewWindow(true, true);
        if (!view)
            continue;
        view->Navigate2(url.isLocalFile() ? url.toLocalFile() : url.toString());
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls() && !OpenableUrls(event->mimeData()->urls()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls())
        return;
    event->acceptProposedAction();
    OnDropFiles(event->mimeData()->urls());
}
