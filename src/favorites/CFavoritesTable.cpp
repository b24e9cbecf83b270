#include "CFavoritesTable.h"

void CFavoritesTable::Clear()
{
    m_favNames.clear();
    m_favTargets.clear();
    m_favFolderRanges.clear();
    m_index.clear();
}

int CFavoritesTable::AddEntry(const QString &name, const QString &target)
{
    const QString key = target.toCaseFolded();
    if (const auto it = m_index.constFind(key); it != m_index.cend())
        return *it;
    if (EntryCount() >= kMaxEntries)
        return -1;
    m_favNames.append(name);
    m_favTargets.append(target);
    m_index.insert(key, EntryCount() - 1);
    return EntryCount() - 1;
}

int CFavoritesTable::AddRange(const QList<int> &entries)
{
    if (RangeCount() >= kMaxRanges)
        return -1;
    m_favFolderRanges.append(entries);
    return RangeCount() - 1;
}

int CFavoritesTable::EntryOfId(int nID) const
{
    const int nEntry = nID - kFirstLinkId;
    return nEntry >= 0 && nEntry < EntryCount() ? nEntry : -1;
}

int CFavoritesTable::RangeOfId(int nID) const
{
    const int nRange = nID - kFirstRangeId;
    return nRange >= 0 && nRange < RangeCount() ? nRange : -1;
}
