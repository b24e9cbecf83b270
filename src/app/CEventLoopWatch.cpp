#include "CEventLoopWatch.h"

#include <chrono>

Q_LOGGING_CATEGORY(lcEventLoop, "quillbrow.eventloop", QtWarningMsg)

CEventLoopWatch::CEventLoopWatch(QObject *parent)
    : QObject(parent)
{
    if (!lcEventLoop().isDebugEnabled())
        return;
    // A coarse timer may fire up to 5 % late by design, which is no stall.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CEventLoopWatch::OnTick);
    m_clock.start();
    m_timer.start();
}

void CEventLoopWatch::OnTick()
{
    const qint64 nNow = m_clock.nsecsElapsed();
    const qint64 nLate = nNow - m_nLastTickNs - qint64(kIntervalMs) * 1000000;
    m_nLastTickNs = nNow;
    if (nLate <= 0)
        return;
    m_nLargestNs = std::max(m_nLargestNs, nLate);
    if (nLate >= qint64(kReportedLatenessMs * 1e6)) {
        using namespace std::chrono;
        const double at = duration<double>(steady_clock::now().time_since_epoch()).count();
        qCDebug(lcEventLoop, "10 ms timer late by %.1f ms at %.6f", nLate / 1e6, at);
    }
}
