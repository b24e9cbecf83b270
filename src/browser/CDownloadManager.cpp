#include "CDownloadManager.h"

#include "CWebEngine.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>
#include <optional>

namespace {

CDownloadManager *g_pInstance = nullptr;

std::optional<QString> &NextFileName()
{
    static std::optional<QString> name;
    return name;
}

QString FullPath(const QWebEngineDownloadRequest *pDownload)
{
    return QDir::toNativeSeparators(
        QDir(pDownload->downloadDirectory()).filePath(pDownload->downloadFileName()));
}

} // namespace

CDownloadManager::CDownloadManager(QWebEngineProfile *pProfile)
    : QObject(pProfile)
{
    g_pInstance = this;
    connect(pProfile, &QWebEngineProfile::downloadRequested, this,
            &CDownloadManager::OnDownloadRequested);
}

CDownloadManager::~CDownloadManager()
{
    if (g_pInstance == this)
        g_pInstance = nullptr;
}

CDownloadManager *CDownloadManager::Instance()
{
    CWebEngine::Profile();
    return g_pInstance;
}

void CDownloadManager::SetStatusCallback(StatusCallback callback)
{
    m_statusCallback = std::move(callback);
}

void CDownloadManager::SetNextFileName(const QString &strPath)
{
    NextFileName() = strPath;
}

bool CDownloadManager::HasNextFileName()
{
    return NextFileName().has_value();
}

void CDownloadManager::ClearNextFileName()
{
    NextFileName().reset();
}

QString CDownloadManager::AskFileName(QWebEngineDownloadRequest *pDownload) const
{
    if (auto &next = NextFileName())
        return *std::exchange(next, std::nullopt);

    QWidget *pParent = nullptr;
    if (QWebEngineView *pView = QWebEngineView::forPage(pDownload->page()))
        pParent = pView->window();
    return QFileDialog::getSaveFileName(
        pParent, tr("Save As"),
        QDir(pDownload->downloadDirectory()).filePath(pDownload->downloadFileName()));
}

void CDownloadManager::OnDownloadRequested(QWebEngineDownloadRequest *pDownload)
{
    // A saved page already has the place its caller chose, and its caller follows it
    // and tells the user how it ended.
    if (pDownload->isSavePageDownload()) {
        pDownload->accept();
        return;
    }
    const QString strPath = AskFileName(pDownload);
    if (strPath.isEmpty()) {
        pDownload->cancel();
        return;
    }
    const QFileInfo target(strPath);
    pDownload->setDownloadDirectory(target.absolutePath());
    pDownload->setDownloadFileName(target.fileName());

    connect(pDownload, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this, pDownload] { OnProgress(pDownload); });
    connect(pDownload, &QWebEngineDownloadRequest::stateChanged, this,
            [this, pDownload] { OnStateChanged(pDownload); });
    connect(pDownload, &QObject::destroyed, this,
            [this, pDownload] { m_reported.remove(pDownload); });
    m_reported.insert(pDownload, -1);
    pDownload->accept();
}

void CDownloadManager::OnProgress(QWebEngineDownloadRequest *pDownload)
{
    const qint64 nTotal = pDownload->totalBytes();
    if (nTotal <= 0 || pDownload->isFinished())
        return;
    const int nPercent = int(std::clamp<qint64>(pDownload->receivedBytes() * 100 / nTotal, 0, 100));
    int &nReported = m_reported[pDownload];
    if (nPercent == nReported)
        return;
    nReported = nPercent;
    Report(
        tr("Downloading %1: %2 %").arg(pDownload->downloadFileName(), QString::number(nPercent)));
}

void CDownloadManager::OnStateChanged(QWebEngineDownloadRequest *pDownload)
{
    switch (pDownload->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        Report(tr("Download finished: %1").arg(FullPath(pDownload)));
        break;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        Report(tr("Download failed: %1: %2")
                   .arg(pDownload->downloadFileName(), pDownload->interruptReasonString()));
        break;
    default:
        break;
    }
}

void CDownloadManager::Report(const QString &strText) const
{
    if (m_statusCallback)
        m_statusCallback(strText);
}
