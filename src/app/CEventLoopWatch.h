#pragma once

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QObject>
#include <QTimer>

Q_DECLARE_LOGGING_CATEGORY(lcEventLoop)

// How long the user-interface thread leaves its event loop unattended, seen as the
// lateness of a 10 ms timer. It runs only when its logging category is on
// (QT_LOGGING_RULES="quillbrow.eventloop.debug=true"), and then reports every tick
// that came late by kReportedLatenessMs or more, with the moment on the system's
// monotonic clock, so a benchmark can take the longest stall of any period it likes.
class CEventLoopWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 10;
    static constexpr double kReportedLatenessMs = 2.0;

    explicit CEventLoopWatch(QObject *parent = nullptr);

    bool IsRunning() const { return m_timer.isActive(); }
    // The longest lateness seen so far, in milliseconds.
    double LargestLatenessMs() const { return m_nLargestNs / 1e6; }

private:
    void OnTick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_nLastTickNs = 0;
    qint64 m_nLargestNs = 0;
};
