#pragma once

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

// One download as the Downloads window lists it and as it is remembered between runs.
struct SDownload
{
    enum EState { Running, Paused, Completed, Cancelled, Failed };

    quint64 nId = 0; // unique within a run, never stored
    QString strUrl;
    QString strPath; // the final path, absolute
    qint64 nReceived = 0;
    qint64 nTotal = -1; // -1 while the server has not said
    EState state = Running;
    QString strError; // why a failed download failed
    QDateTime started;

    QString FileName() const;
    bool IsActive() const { return state == Running || state == Paused; }
};

// The downloads of this run and earlier ones, newest first, kept in a file of the
// program's data folder. The file is JSON, written whole and atomically; one that
// cannot be read loads as an empty list and is set aside as "<file>.broken" when the
// list is next saved, so nothing the user had is silently overwritten.
class CDownloadList
{
public:
    static constexpr int kMaxEntries = 100;

    explicit CDownloadList(QString strFilePath);

    // $XDG_DATA_HOME/Tarvo/Quillbrow/downloads.json
    static QString DefaultFilePath();

    // Replaces the entries with keep followed by the file's, leaving out file entries
    // for a path that keep has. A download the file still lists as running was cut off
    // when its program ended: it loads as failed. False when the file exists but is
    // not a download list.
    bool Load(const QList<SDownload> &keep = {});
    bool Save();

    const QList<SDownload> &Entries() const { return m_entries; }
    SDownload *Find(quint64 nId);
    // Adds a new download at the top and gives it its id. The list keeps at most
    // kMaxEntries: the oldest finished entries make room, running ones stay.
    quint64 Add(SDownload entry);
    void Remove(quint64 nId);

    // path itself when no file has that name and taken does not hold it, else the
    // first free "name (n).ext" beside it.
    static QString UniquePath(const QString &strPath, const QSet<QString> &taken = {});

private:
    void Trim();

    QString m_strFilePath;
    QList<SDownload> m_entries;
    quint64 m_nNextId = 1;
    bool m_bBroken = false;
};
