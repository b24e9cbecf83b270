#pragma once

#include "CDownloadList.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QTimer;
class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Downloads of the shared profile. Asks where to save each file (starting in the
// folder chosen last, and never suggesting a name that is taken), keeps the list the
// Downloads window shows, and reports progress and the end of each download as one
// line of text for the status bar.
//
// The engine writes a download under a temporary name and gives it its final name
// only once complete, so a cancelled or failed download leaves nothing under the
// name the user chose.
class CDownloadManager : public QObject
{
    Q_OBJECT
public:
    using StatusCallback = std::function<void(const QString &)>;

    // Made by the profile and owned by it; there is one.
    explicit CDownloadManager(QWebEngineProfile *pProfile);
    ~CDownloadManager() override;

    // The manager of CWebEngine::Profile(), making the profile when needed.
    static CDownloadManager *Instance();

    // A run of the program begins: the list is read again from its file (downloads
    // still running stay in it) and status lines go to callback.
    void BeginSession(StatusCallback callback);
    // The run ends: running downloads are cancelled, the list is saved, and status
    // lines go nowhere.
    void EndSession();
    void SetStatusCallback(StatusCallback callback);

    // Newest first.
    const QList<SDownload> &Entries() const { return m_list.Entries(); }
    const SDownload *Entry(quint64 nId);
    // Bytes per second over the last second; 0 for a download that is not running.
    qint64 Speed(quint64 nId) const { return m_speeds.value(nId); }

    void Pause(quint64 nId);
    void Resume(quint64 nId);
    void Cancel(quint64 nId);

    // The folder the save question starts in: the one chosen last while it exists,
    // else the user's download folder, else the home folder.
    static QString StartFolder();

signals:
    // The whole list was read again.
    void listReset();
    void entryAdded(quint64 nId);
    // Progress, speed or state of one entry changed.
    void entryChanged(quint64 nId);

private:
    struct SActive
    {
        QPointer<QWebEngineDownloadRequest> request;
        qint64 nLastReceived = 0;
        QElapsedTimer sinceLast;
        int nReported = -1; // the percentage last put into the status bar
    };

    void OnDownloadRequested(QWebEngineDownloadRequest *pDownload);
    void OnProgress(quint64 nId);
    void OnStateChanged(quint64 nId);
    void OnSpeedTick();
    QString AskFileName(QWebEngineDownloadRequest *pDownload) const;
    QSet<QString> ActivePaths() const;
    void Report(const QString &strText) const;

    CDownloadList m_list;
    QHash<quint64, SActive> m_active;
    QHash<quint64, qint64> m_speeds;
    QTimer *m_pSpeedTimer;
    StatusCallback m_statusCallback;
};
