#include "CPopupBudget.h"

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
