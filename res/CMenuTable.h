#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// The menus of the program as tables: menu 128 (the menu bar) and menu 155 (the
// "Caption" and "Tab" popups), and the accelerator keys of the commands.
struct CMenuDef
{
    int nID = 0; // 0 with an empty text: a separator
    const char *text = nullptr; // untranslated, marked for lupdate
    QList<CMenuDef> items; // not empty: a popup
    QString objectName; // names the popups the frame looks up

    bool IsSeparator() const { return nID == 0 && !text; }
    bool IsPopup() const { return !items.isEmpty(); }
    QString Text() const;
};

const QList<CMenuDef> &MainMenuBar();
const CMenuDef &CaptionPopup();
const CMenuDef &TabPopup();
// The keys of a command, empty when it has none.
QKeySequence CommandKeys(int nID);
// The status-bar prompt (before the line break) and the tooltip (after it) of a
// command's string, empty when it has none.
QString CommandPrompt(int nID);
QString CommandToolTip(int nID);
// Every id that appears in the menus, once each.
QList<int> MenuCommandIds();
