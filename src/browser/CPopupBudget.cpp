#include "CPopupBudget.h"

#include <algorithm>
#include <utility>

bool CPopupBudget::Allow(qint64 nowMs)
{
    while (!m_opened.empty() && nowMs - m_opened.front() >= kSpanMs)
        m_opened.pop_front();
    if (m_opened.size() >= size_t(kMaxWindows)) {
        ++m_nRefused;
        return false;
    }
    m_opened.push_back(nowMs);
    return true;
}

int CPopupBudget::TakeRefused()
{
    return std::exchange(m_nRefused, 0);
}

qint64 CPopupBudget::NextAllowedAt(qint64 nowMs) const
{
    if (m_opened.size() < size_t(kMaxWindows))
        return nowMs;
    // The oldest window that still counts leaves the span first.
    return std::max(nowMs, m_opened[m_opened.size() - kMaxWindows] + kSpanMs);
}
