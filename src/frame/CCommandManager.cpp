#include "CCommandManager.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

CCommandManager::CCommandManager(QWidget *pFrame, RouteProvider route)
    : QObject(pFrame)
    , m_pFrame(pFrame)
    , m_route(std::move(route))
{ }

QAction *CCommandManager::MakeAction(int nID, const QString &text, QObject *pParent)
{
    auto *action = new QAction(text, pParent);
    action->setData(nID);
    action->setStatusTip(CommandPrompt(nID));
    const QString tip = CommandToolTip(nID);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    action->setIconVisibleInMenu(false);
    // Queued so a command that closes windows never runs inside the menu's own handling.
    connect(
        action, &QAction::triggered, this, [this, nID] { Route(nID); }, Qt::QueuedConnection);
    m_actions.insert(nID, action);
    connect(action, &QObject::destroyed, this,
            [this, nID, action] { m_actions.remove(nID, action); });
    return action;
}

QAction *CCommandManager::AddItem(QMenu *pMenu, const CMenuDef &item)
{
    QString text = item.Text();
    QKeySequence keys;
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0) {
        // A popup names its key in its text; the key itself lives on the menu bar.
        keys = QKeySequence(text.mid(tab + 1).replace(QLatin1String(" Arrow"), QString()));
        text.truncate(tab);
    }
    QAction *action = MakeAction(item.nID, text, pMenu);
    if (!keys.isEmpty()) {
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
    }
    pMenu->addAction(action);
    return action;
}

void CCommandManager::FillMenu(QMenu *pMenu, const QList<CMenuDef> &items)
{
    for (const CMenuDef &item : items) {
        if (item.IsSeparator()) {
            pMenu->addSeparator();
        } else if (item.IsPopup()) {
            QMenu *sub = pMenu->addMenu(item.Text());
            sub->setObjectName(item.objectName);
            if (!item.objectName.isEmpty())
                m_menus.insert(item.objectName, sub);
            FillMenu(sub, item.items);
        } else {
            AddItem(pMenu, item);
        }
    }
    connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateMenu(pMenu); });
}

void CCommandManager::BuildMenuBar(QMenuBar *pMenuBar)
{
    for (const CMenuDef &def : MainMenuBar()) {
        QMenu *menu = pMenuBar->addMenu(def.Text());
        menu->setObjectName(def.objectName);
        m_menus.insert(def.objectName, menu);
        FillMenu(menu, def.items);
    }
    // The menu bar's actions stand for their commands on the toolbar, and carry the keys,
    // which work while the frame has the focus anywhere, menu open or not.
    const auto actions = m_actions.values();
    for (QAction *action : actions) {
        const int nID = action->data().toInt();
        if (!m_primary.contains(nID))
            m_primary.insert(nID, action);
        const QKeySequence keys = CommandKeys(nID);
        if (keys.isEmpty() || !action->shortcut().isEmpty())
            continue;
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        m_pFrame->addAction(action);
    }
}

QMenu *CCommandManager::BuildPopup(const CMenuDef &def, QWidget *pParent)
{
    auto *menu = new QMenu(def.Text(), pParent);
    menu->setObjectName(def.objectName);
    FillMenu(menu, def.items);
    return menu;
}

QAction *CCommandManager::Action(int nID)
{
    if (QAction *action = m_primary.value(nID))
        return action;
    QAction *action = MakeAction(nID, CommandToolTip(nID), this);
    m_primary.insert(nID, action);
    return action;
}

QMenu *CCommandManager::FindMenu(const QString &objectName) const
{
    return m_menus.value(objectName);
}

bool CCommandManager::Route(int nID)
{
    const auto targets = m_route();
    for (CCmdTarget *target : targets) {
        if (target && target->OnCommand(nID))
            return true;
    }
    return false;
}

CCmdUI CCommandManager::Query(int nID)
{
    CCmdUI ui(nID);
    const auto targets = m_route();
    for (CCmdTarget *target : targets) {
        if (target && target->OnUpdateCommand(&ui))
            return ui;
    }
    bool bReachable = false;
    for (CCmdTarget *target : targets)
        bReachable = bReachable || (target && target->HasCommandHandler(nID));
    ui.Enable(bReachable);
    return ui;
}

void CCommandManager::Update(QAction *pAction)
{
    const int nID = pAction->data().toInt();
    if (nID <= 0)
        return;
    const CCmdUI ui = Query(nID);
    pAction->setEnabled(ui.m_bEnabled);
    if (ui.m_bCheckSet) {
        pAction->setCheckable(true);
        if (ui.m_bRadio && !pAction->actionGroup()) {
            // Menus draw a bullet for an item of an exclusive group. The group is the
            // item's own: its update handler alone decides whether it is marked.
            auto *pGroup = new QActionGroup(pAction);
            pGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
            pGroup->addAction(pAction);
        }
        pAction->setChecked(ui.m_nCheck != 0);
    }
}

void CCommandManager::UpdateMenu(QMenu *pMenu)
{
    const auto actions = pMenu->actions();
    for (QAction *action : actions) {
        if (!action->isSeparator() && !action->menu())
            Update(action);
    }
}

void CCommandManager::UpdateAll()
{
    const auto actions = m_actions.values();
    for (QAction *action : actions)
        Update(action);
}
