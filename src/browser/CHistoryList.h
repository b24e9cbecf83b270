#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A title cut to at most nLimit characters: a longer text becomes its first
// nLimit - 3 characters and "...", never splitting a character in two.
QString TruncateTitle(const QString &title, int nLimit = 128);

// The pages one browser window has shown, with their titles, in visiting order. It
// mirrors the engine's own travel history so that menus can show titles and jump
// several steps at once. Entry i is offered under command id 3200 + i.
class CHistoryList
{
public:
    static constexpr int kFirstCommandId = 3200;
    static constexpr int kLastCommandId = 3999;
    // Older entries are dropped beyond this, so no entry ever has an id past 3999.
    static constexpr int kMaxEntries = kLastCommandId - kFirstCommandId + 1;

    int FindHistoryURL(const QString &strURL) const;
    int AddHistoryEntry(const QString &strTitle, const QString &strURL);
    void UpdateHistoryTitle(const QString &strTitle, const QString &strURL);
    // Records a completed navigation: previousTitle is the document's title before it,
    // current and locationName the engine's address and title after it.
    void NavigationStep(const QString &previousTitle, const QString &current,
                        const QString &locationName);
    // (command id, title) of the entries behind (bBack) or ahead of current, nearest first.
    QList<QPair<int, QString>> MenuItems(bool bBack, const QString &current) const;
    // The address of the entry of a command id; null when out of range.
    QString GetHistoryURL(int nCommandId) const;
    // Engine steps from current to the entry of a command id: negative goes back,
    // positive forward, 0 means nothing to do.
    int StepsTo(int nCommandId, const QString &current) const;
    void Clear();
    int Count() const { return int(m_arrHistoryURLs.size()); }

    int m_nHistoryIndex = -1;
    QStringList m_arrHistoryTitles;
    QStringList m_arrHistoryURLs;
};
