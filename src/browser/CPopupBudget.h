#pragma once

#include <QtGlobal>

#include <deque>

// How many windows one page may open in a short time. A page that opens windows in a
// loop gets the first kMaxWindows of any kSpanMs and is refused the rest, so a flood
// of pop-ups costs a handful of windows rather than one engine view per call.
// Times are milliseconds on a monotonic clock, given by the caller.
class CPopupBudget
{
public:
    static constexpr int kMaxWindows = 20;
    static constexpr qint64 kSpanMs = 5000;

    // True, counting the window, when the page may open one more at nowMs.
    bool Allow(qint64 nowMs);
    // Windows refused since the last call (each call starts the count again).
    int TakeRefused();
    // The first time, not before nowMs, at which Allow would say yes.
    qint64 NextAllowedAt(qint64 nowMs) const;

private:
    std::deque<qint64> m_opened;
    int m_nRefused = 0;
};
