#pragma once

#include <QString>
#include <QStringList>

// A small file that keeps the addresses of the open windows while the program runs,
// so that a run that was killed or crashed loses none of them: the next start finds
// the file (a normal exit removes it) and offers to open them again.
//
// Records come on every navigation; the file is written at most once a second, and
// always whole (QSaveFile), so a kill at any moment leaves the old list or the new
// one. A record that comes too soon is kept as pending; the owner writes it when
// NextWriteDue says, so the last state always lands.
//
// Before the windows are opened again the file is marked "reopening". A start that
// finds the mark knows that the previous start crashed while reopening these very
// windows, and does not offer them again: a set that brought the program down once
// would most likely do it again, and the user would be caught in a loop.
class CWindowJournal
{
public:
    static constexpr qint64 kMinWriteIntervalMs = 1000;

    struct SContents
    {
        QStringList addresses;
        bool bReopening = false;
        // The process that wrote the file.
        qint64 nPid = 0;
    };

    // $XDG_DATA_HOME/Tarvo/Quillbrow/open-windows.json
    static QString DefaultPath();

    explicit CWindowJournal(const QString &strPath = DefaultPath());

    // Records the windows' addresses at nNowMs (a monotonic clock). Writes them when
    // they differ from what the file holds and the last write is at least
    // kMinWriteIntervalMs old; otherwise keeps them pending. True when written.
    bool Record(const QStringList &addresses, qint64 nNowMs);
    // The moment the pending record may be written, or -1 when nothing is pending.
    qint64 NextWriteDue() const;
    // Writes the pending record if it is due at nNowMs.
    bool WritePending(qint64 nNowMs);
    // Writes the addresses with the "reopening" mark at once; the mark stays on every
    // later write until EndReopening.
    bool BeginReopening(const QStringList &addresses, qint64 nNowMs);
    void EndReopening(qint64 nNowMs);
    // A normal exit: the file goes, and nothing more is written.
    void Clear();

    // What a file holds; an unreadable, garbled or missing file holds nothing.
    static SContents Read(const QString &strPath);

    QString Path() const { return m_strPath; }

private:
    bool Write(const QStringList &addresses, qint64 nNowMs);

    QString m_strPath;
    QStringList m_written;
    QStringList m_pending;
    bool m_bHasPending = false;
    bool m_bWrittenOnce = false;
    bool m_bReopening = false;
    bool m_bClosed = false;
    qint64 m_nLastWriteMs = 0;
};
