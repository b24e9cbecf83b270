#pragma once

#include "CCmdUI.h"

#include <QHash>
#include <QList>

#include <functional>

// Something a command can be routed to: a view, a document, a child frame, the main
// frame or the application. Each keeps a table of command handlers and update
// handlers; a dynamic id range (history entries, Favorites) is one handler of its range.
class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler of nID; false when this target has none.
    bool OnCommand(int nID)
    {
        if (auto it = m_commands.constFind(nID); it != m_commands.cend()) {
            (*it)();
            return true;
        }
        for (const Range &range : std::as_const(m_ranges)) {
            if (nID >= range.nFirst && nID <= range.nLast) {
                range.handler(nID);
                return true;
            }
        }
        return false;
    }

    bool HasCommandHandler(int nID) const
    {
        if (m_commands.contains(nID))
            return true;
        for (const Range &range : m_ranges) {
            if (nID >= range.nFirst && nID <= range.nLast)
                return true;
        }
        return false;
    }

    // Runs the update handler of the command; false when this target has none.
    bool OnUpdateCommand(CCmdUI *pCmdUI)
    {
        if (auto it = m_updates.constFind(pCmdUI->m_nID); it != m_updates.cend()) {
            (*it)(pCmdUI);
            return true;
        }
        return false;
    }

protected:
    void OnCommandId(int nID, std::function<void()> handler)
    {
        m_commands.insert(nID, std::move(handler));
    }
    void OnCommandRange(int nFirst, int nLast, std::function<void(int)> handler)
    {
        m_ranges.append({nFirst, nLast, std::move(handler)});
    }
    void OnUpdateId(int nID, std::function<void(CCmdUI *)> handler)
    {
        m_updates.insert(nID, std::move(handler));
    }

private:
    struct Range
    {
        int nFirst;
        int nLast;
        std::function<void(int)> handler;
    };
    QHash<int, std::function<void()>> m_commands;
    QList<Range> m_ranges;
    QHash<int, std::function<void(CCmdUI *)>> m_updates;
};
