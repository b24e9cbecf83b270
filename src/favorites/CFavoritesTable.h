#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The command ids of one build of the Favorites menu. Every link item carries the id
// 4000 + the index of its entry; items whose targets are equal (in any case) share one
// entry, wherever they stand in the tree. Every "Open All" item carries 2001 + the
// index of its folder's range, the entries of that folder's links in menu order.
// The top-level menu empties the table each time it opens, so the ids of an earlier
// build mean nothing afterwards; sub-menus add to it as they open.
class CFavoritesTable
{
public:
    static constexpr int kFirstLinkId = 4000;
    static constexpr int kLastLinkId = 10000;
    static constexpr int kFirstRangeId = 2001;
    static constexpr int kLastRangeId = 3199;
    static constexpr int kMaxEntries = kLastLinkId - kFirstLinkId + 1;
    static constexpr int kMaxRanges = kLastRangeId - kFirstRangeId + 1;

    void Clear();

    // The entry of target, added with name when no entry has that target yet;
    // -1 when it would be past the last link id.
    int AddEntry(const QString &name, const QString &target);
    // A range of entries; -1 when it would be past the last Open All id.
    int AddRange(const QList<int> &entries);

    int EntryCount() const { return int(m_favTargets.size()); }
    int RangeCount() const { return int(m_favFolderRanges.size()); }
    QString Name(int nEntry) const { return m_favNames.value(nEntry); }
    QString Target(int nEntry) const { return m_favTargets.value(nEntry); }
    QList<int> Range(int nRange) const { return m_favFolderRanges.value(nRange); }

    static int LinkId(int nEntry) { return kFirstLinkId + nEntry; }
    static int RangeId(int nRange) { return kFirstRangeId + nRange; }
    // The entry or range a command id names in this build; -1 when none.
    int EntryOfId(int nID) const;
    int RangeOfId(int nID) const;

private:
    QStringList m_favNames;
    QStringList m_favTargets;
    QList<QList<int>> m_favFolderRanges;
    // Entry index by case-folded target.
    QHash<QString, int> m_index;
};
