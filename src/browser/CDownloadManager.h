#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Downloads of the shared profile: asks where to save each file, and reports its
// progress and its end as one line of text for the status bar.
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

    void SetStatusCallback(StatusCallback callback);

    // Tests answer the next save dialog in advance: a path, or an empty string for
    // a user who cancelled.
    static void SetNextFileName(const QString &strPath);
    static bool HasNextFileName();
    static void ClearNextFileName();

private:
    void OnDownloadRequested(QWebEngineDownloadRequest *pDownload);
    void OnProgress(QWebEngineDownloadRequest *pDownload);
    void OnStateChanged(QWebEngineDownloadRequest *pDownload);
    QString AskFileName(QWebEngineDownloadRequest *pDownload) const;
    void Report(const QString &strText) const;

    StatusCallback m_statusCallback;
    // The percentage last reported per download, so the status line changes only
    // when the number does.
    QHash<const QWebEngineDownloadRequest *, int> m_reported;
};
