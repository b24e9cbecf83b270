#pragma once

#include <QByteArray>
#include <QList>
#include <QToolBar>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QToolButton;

// The main frame's toolbar: flat buttons for commands, each showing one of the
// toolbar images (normal look, hot look under the mouse). A button mirrors the
// frame's shared action of its command (enabled, checked) and triggers it; the
// action itself stays icon-free so menus show no toolbar images.
//
// Some buttons open a drop-down menu: with a separate arrow (New Blank, Back,
// Forward) or as a whole (Favorites, Text Size). The menu is asked for each time it
// opens, so the frame can fill it with the current state (history, favorites).
class CMainToolBar : public QToolBar
{
    Q_OBJECT
public:
    // The frame's action of a command, carrying the id in data(); null when the
    // frame has none. The toolbar never owns it.
    using ActionFor = std::function<QAction *(int nId)>;
    // The menu a button opens, null for nothing to show. The toolbar never deletes
    // it: a menu made for one opening should delete itself once hidden.
    using DropDownMenu = std::function<QMenu *(int nId)>;

    enum class EButtonStyle {
        Button,
        DropDown, // button with a separate arrow
        WholeDropDown, // the whole button opens the menu
    };

    CMainToolBar(ActionFor actionFor, DropDownMenu dropDownMenu, QWidget *parent = nullptr);

    // The twelve buttons of a first start, in order, and the nine more that
    // Customize offers.
    static QList<int> DefaultButtons();
    static QList<int> ExtraButtons();
    // Image index and style of a button's command; -1 and Button for an id that is
    // not a toolbar command.
    static int ImageOf(int nId);
    static EButtonStyle StyleOf(int nId);
    // The tooltip: the command's text after its first line break.
    static QString ToolTipOf(int nId);

    // Current buttons, left to right.
    QList<int> Buttons() const;
    // Ids that are not toolbar commands, and repeats, are left out.
    void SetButtons(const QList<int> &ids);
    void ResetToDefault();

    // The buttons and their order. RestoreState returns false, changing nothing, for
    // a value that is empty or not one of ours; unknown ids in it are skipped.
    QByteArray SaveState() const;
    bool RestoreState(const QByteArray &state);
    // The button ids a stored state lists, as stored (unknown ids and repeats
    // included: SetButtons drops those); nothing when the state is not one.
    static std::optional<QList<int>> DecodeState(const QByteArray &state);

    // The button of a command on the bar, null when it is not there.
    QToolButton *Button(int nId) const;
    // Size of the first button (what the rebar band is measured from); a plain
    // button's size when the bar is empty.
    QSize ButtonSize() const;

    // Draws the images again in the current palette and icon theme; the toolbar
    // does so itself when its palette or style changes.
    void ReloadImages();

    // Opens the Customize dialog over the toolbar, modal; changes apply at once.
    void Customize();

    // Shows the drop-down menu of a button below it, as a click on its arrow does.
    // Returns the menu shown, null when there was none.
    QMenu *ShowDropDown(int nId);

signals:
    void buttonsChanged();

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QToolButton *CreateButton(int nId);

    ActionFor m_actionFor;
    DropDownMenu m_dropDownMenu;
    QList<QToolButton *> m_buttons;
    QList<QAction *> m_buttonActions; // the toolbar's widget actions of m_buttons
};
