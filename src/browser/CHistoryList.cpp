#include "CHistoryList.h"

#include <QTextBoundaryFinder>

namespace {
bool IsBlank(const QString &url)
{
    return url.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0;
}
} // namespace

QString TruncateTitle(const QString &title, int nLimit)
{
    // Characters as a reader counts them: an emoji or a letter with its accents is one,
    // however many code units it takes, and none is cut in half.
    if (title.size() <= nLimit)
        return title;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, title);
    qsizetype nKeepEnd = 0;
    int nCount = 0;
    for (qsizetype pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
        ++nCount;
        if (nCount == nLimit - 3)
            nKeepEnd = pos;
        if (nCount > nLimit)
            return title.left(nKeepEnd) + QLatin1String("...");
    }
    return title;
}

int CHistoryList::FindHistoryURL(const QString &strURL) const
{
    if (strURL.isEmpty())
        return -1;
    for (int i = 0; i < Count(); ++i) {
        if (m_arrHistoryURLs.at(i).compare(strURL, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int CHistoryList::AddHistoryEntry(const QString &strTitle, const QString &strURL)
{
    const QString title = TruncateTitle(strTitle);
    if (title.isEmpty() || strURL.isEmpty() || IsBlank(strURL))
        return -1;
    const int found = FindHistoryURL(strURL);
    if (found >= 0)
        return found;
    if (Count() >= kMaxEntries) {
        m_arrHistoryTitles.removeFirst();
        m_arrHistoryURLs.removeFirst();
    }
    m_arrHistoryTitles.append(title);
    m_arrHistoryURLs.append(strURL);
    return Count() - 1;
}

void CHistoryList::UpdateHistoryTitle(const QString &strTitle, const QString &strURL)
{
    if (strTitle.isEmpty() || strURL.isEmpty())
        return;
    for (int i = 0; i < Count(); ++i) {
        if (m_arrHistoryURLs.at(i).compare(strURL, Qt::CaseInsensitive) == 0)
            m_arrHistoryTitles[i] = strTitle;
    }
}

void CHistoryList::NavigationStep(const QString &previousTitle, const QString &current,
                                  const QString &locationName)
{
    // A new page reached from an earlier entry drops the pages that were ahead of it.
    if (m_nHistoryIndex >= 0 && !previousTitle.isEmpty() && !current.isEmpty()
        && FindHistoryURL(current) == -1 && m_nHistoryIndex < Count() - 1) {
        m_arrHistoryTitles.resize(m_nHistoryIndex + 1);
        m_arrHistoryURLs.resize(m_nHistoryIndex + 1);
    }
    m_nHistoryIndex = AddHistoryEntry(locationName, current);
}

QList<QPair<int, QString>> CHistoryList::MenuItems(bool bBack, const QString &current) const
{
    QList<QPair<int, QString>> items;
    const int c = FindHistoryURL(current);
    if (c < 0)
        return items;
    if (bBack) {
        for (int i = c - 1; i >= 0; --i)
            items.append({kFirstCommandId + i, m_arrHistoryTitles.at(i)});
    } else {
        for (int i = c + 1; i < Count(); ++i)
            items.append({kFirstCommandId + i, m_arrHistoryTitles.at(i)});
    }
    return items;
}

QString CHistoryList::GetHistoryURL(int nCommandId) const
{
    const int i = nCommandId - kFirstCommandId;
    return i >= 0 && i < Count() ? m_arrHistoryURLs.at(i) : QString();
}

int CHistoryList::StepsTo(int nCommandId, const QString &current) const
{
    const int i = nCommandId - kFirstCommandId;
    const int c = FindHistoryURL(current);
    if (i < 0 || i >= Count() || c < 0)
        return 0;
    return i - c;
}

void CHistoryList::Clear()
{
    m_nHistoryIndex = -1;
    m_arrHistoryTitles.clear();
    m_arrHistoryURLs.clear();
}
