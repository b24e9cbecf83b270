#pragma once

#include "CCmdTarget.h"
#include "CMenuTable.h"

#include <QHash>
#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// Every menu item, toolbar button and key is a QAction carrying its command id.
// Triggering one routes the id along the targets the frame names (the active
// view, its document, its child frame, the application, then the frame and the
// application again); updating one asks the same targets for its state.
class CCommandManager : public QObject
{
    Q_OBJECT
public:
    using RouteProvider = std::function<QList<CCmdTarget *>()>;

    CCommandManager(QWidget *pFrame, RouteProvider route);

    // Fills the menu bar from the menu table; keys go on the menu bar's actions.
    void BuildMenuBar(QMenuBar *pMenuBar);
    // A popup of the menu table, its items routed like the menu bar's.
    QMenu *BuildPopup(const CMenuDef &def, QWidget *pParent);
    // A routed action for an id outside the menus (dynamic ranges, toolbar-only ids).
    QAction *MakeAction(int nID, const QString &text, QObject *pParent);

    // The menu bar's action of a command (the toolbar shows this one); made on first use
    // for ids not in the menu bar.
    QAction *Action(int nID);
    QMenu *FindMenu(const QString &objectName) const;

    bool Route(int nID);
    // The state the targets give the command: enabled exactly while a handler can be
    // reached when no target has an update handler for it.
    CCmdUI Query(int nID);
    void Update(QAction *pAction);
    void UpdateMenu(QMenu *pMenu);
    void UpdateAll();

private:
    QAction *AddItem(QMenu *pMenu, const CMenuDef &item);
    void FillMenu(QMenu *pMenu, const QList<CMenuDef> &items);

    QWidget *m_pFrame;
    RouteProvider m_route;
    QMultiHash<int, QAction *> m_actions;
    QHash<int, QAction *> m_primary;
    QHash<QString, QMenu *> m_menus;
};
