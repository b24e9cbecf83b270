#include "CDownloadManager.h"

#include "CFileDialog.h"
#include "CRegistry.h"
#include "CWebEngine.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>

namespace {

CDownloadManager *g_pInstance = nullptr;

const QString kSection = QStringLiteral("Downloads");
const QString kLastFolder = QStringLiteral("LastFolder");
constexpr int kSpeedTickMs = 1000;

SDownload::EState StateOf(const QWebEngineDownloadRequest *pDownload)
{
    switch (pDownload->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        return SDownload::Completed;
    case QWebEngineDownloadRequest::DownloadCancelled:
        return SDownload::Cancelled;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        return SDownload::Failed;
    default:
        return pDownload->isPaused() ? SDownload::Paused : SDownload::Running;
    }
}

} // namespace

CDownloadManager::CDownloadManager(QWebEngineProfile *pProfile)
    : QObject(pProfile)
    , m_list(CDownloadList::DefaultFilePath())
    , m_pSpeedTimer(new QTimer(this))
{
    g_pInstance = this;
    m_list.Load();
    m_pSpeedTimer->setInterval(kSpeedTickMs);
    connect(m_pSpeedTimer, &QTimer::timeout, this, &CDownloadManager::OnSpeedTick);
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

void CDownloadManager::BeginSession(StatusCallback callback)
{
    m_statusCallback = std::move(callback);
    QList<SDownload> running;
    for (const SDownload &entry : m_list.Entries()) {
        if (entry.IsActive())
            running.append(entry);
    }
    m_list.Load(running);
    emit listReset();
}

void CDownloadManager::EndSession()
{
    const QList<quint64> ids = m_active.keys();
    for (quint64 nId : ids)
        Cancel(nId);
    m_list.Save();
    m_statusCallback = nullptr;
}

void CDownloadManager::SetStatusCallback(StatusCallback callback)
{
    m_statusCallback = std::move(callback);
}

const SDownload *CDownloadManager::Entry(quint64 nId)
{
    return m_list.Find(nId);
}

void CDownloadManager::Pause(quint64 nId)
{
    if (QWebEngineDownloadRequest *pDownload = m_active.value(nId).request)
        pDownload->pause();
}

void CDownloadManager::Resume(quint64 nId)
{
    if (QWebEngineDownloadRequest *pDownload = m_active.value(nId).request)
        pDownload->resume();
}

void CDownloadManager::Cancel(quint64 nId)
{
    if (QWebEngineDownloadRequest *pDownload = m_active.value(nId).request)
        pDownload->cancel();
}

QString CDownloadManager::StartFolder()
{
    const QString last = GetProfileString(kSection, kLastFolder);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!downloads.isEmpty() && QFileInfo(downloads).isDir())
        return downloads;
    return QDir::homePath();
}

QSet<QString> CDownloadManager::ActivePaths() const
{
    QSet<QString> paths;
    for (const SDownload &entry : m_list.Entries()) {
        if (entry.IsActive())
            paths.insert(entry.strPath);
    }
    return paths;
}

QString CDownloadManager::AskFileName(QWebEngineDownloadRequest *pDownload) const
{
    QWidget *pParent = QApplication::activeWindow();
    if (QWebEngineView *pView = QWebEngineView::forPage(pDownload->page()))
        pParent = pView->window();
    const QString suggested = CDownloadList::UniquePath(
        QDir(StartFolder()).filePath(pDownload->downloadFileName()), ActivePaths());
    QString path = CFileDialog::GetSaveFileName(pParent, tr("Save As"), suggested, {});
    if (path.isEmpty())
        return path;
    path = QFileInfo(path).absoluteFilePath();
    // The dialog asked before replacing a file; two downloads never share one.
    const QSet<QString> active = ActivePaths();
    if (active.contains(path))
        path = CDownloadList::UniquePath(path, active);
    WriteProfileString(kSection, kLastFolder, QFileInfo(path).absolutePath());
    return path;
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

    SDownload entry;
    entry.strUrl = pDownload->url().toString();
    entry.strPath = QDir(pDownload->downloadDirectory()).filePath(pDownload->downloadFileName());
    entry.nTotal = pDownload->totalBytes() > 0 ? pDownload->totalBytes() : -1;
    entry.started = QDateTime::currentDateTime();
    const quint64 nId = m_list.Add(entry);
    SActive &active = m_active[nId];
    active.request = pDownload;
    active.sinceLast.start();
    m_speeds.insert(nId, 0);

    connect(pDownload, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this, nId] { OnProgress(nId); });
    connect(pDownload, &QWebEngineDownloadRequest::totalBytesChanged, this,
            [this, nId] { OnProgress(nId); });
    connect(pDownload, &QWebEngineDownloadRequest::stateChanged, this,
            [this, nId] { OnStateChanged(nId); });
    connect(pDownload, &QWebEngineDownloadRequest::isPausedChanged, this,
            [this, nId] { OnStateChanged(nId); });
    pDownload->accept();
    m_list.Save();
    if (!m_pSpeedTimer->isActive())
        m_pSpeedTimer->start();
    emit entryAdded(nId);
}

void CDownloadManager::OnProgress(quint64 nId)
{
    SDownload *entry = m_list.Find(nId);
    const auto active = m_active.find(nId);
    if (!entry || active == m_active.end() || !active->request)
        return;
    QWebEngineDownloadRequest *pDownload = active->request;
    entry->nReceived = pDownload->receivedBytes();
    entry->nTotal = pDownload->totalBytes() > 0 ? pDownload->totalBytes() : -1;
    emit entryChanged(nId);

    if (entry->nTotal <= 0 || pDownload->isFinished())
        return;
    const int nPercent = int(std::clamp<qint64>(entry->nReceived * 100 / entry->nTotal, 0, 100));
    if (nPercent == active->nReported)
        return;
    active->nReported = nPercent;
    Report(tr("Downloading %1: %2 %").arg(entry->FileName(), QString::number(nPercent)));
}

void CDownloadManager::OnStateChanged(quint64 nId)
{
    SDownload *entry = m_list.Find(nId);
    const auto active = m_active.find(nId);
    if (!entry || active == m_active.end() || !active->request)
        return;
    QWebEngineDownloadRequest *pDownload = active->request;
    const SDownload::EState state = StateOf(pDownload);
    if (state == entry->state)
        return;
    entry->state = state;
    entry->nReceived = pDownload->receivedBytes();
    if (entry->IsActive()) {
        m_speeds.insert(nId, 0);
        emit entryChanged(nId);
        return;
    }

    switch (state) {
    case SDownload::Completed:
        entry->nTotal = entry->nReceived;
        Report(tr("Download finished: %1").arg(QDir::toNativeSeparators(entry->strPath)));
        break;
    case SDownload::Failed:
        entry->strError = pDownload->interruptReasonString();
        Report(tr("Download failed: %1: %2").arg(entry->FileName(), entry->strError));
        break;
    default:
        Report(tr("Download cancelled: %1").arg(entry->FileName()));
        break;
    }
    m_active.erase(active);
    m_speeds.remove(nId);
    if (m_active.isEmpty())
        m_pSpeedTimer->stop();
    m_list.Save();
    emit entryChanged(nId);
}

void CDownloadManager::OnSpeedTick()
{
    for (auto it = m_active.begin(); it != m_active.end(); ++it) {
        if (!it->request)
            continue;
        const qint64 nReceived = it->request->receivedBytes();
        const qint64 nElapsed = std::max<qint64>(1, it->sinceLast.restart());
        const qint64 nSpeed = it->request->isPaused()
            ? 0
            : std::max<qint64>(0, nReceived - it->nLastReceived) * 1000 / nElapsed;
        it->nLastReceived = nReceived;
        m_speeds.insert(it.key(), nSpeed);
        emit entryChanged(it.key());
    }
}

void CDownloadManager::Report(const QString &strText) const
{
    if (m_statusCallback)
        m_statusCallback(strText);
}
