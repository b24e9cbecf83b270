#pragma once

#include <QDialog>
#include <QList>

class CMainToolBar;
class QListWidget;
class QPushButton;

// The toolbar's Customize dialog: the buttons that could be added (the nine extra
// ones first, then default ones not on the bar) beside the bar's current buttons.
// Every change applies to the toolbar at once; Close only closes.
class CCustomizeToolbarDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CCustomizeToolbarDlg(CMainToolBar *pToolBar, QWidget *parent = nullptr);

    QListWidget *AvailableList() const { return m_pAvailable; }
    QListWidget *CurrentList() const { return m_pCurrent; }
    QList<int> AvailableIds() const;
    QList<int> CurrentIds() const;

    // The dialog's buttons. Add inserts the selected available button before the
    // selected current one (at the end when none is selected).
    void OnAdd();
    void OnRemove();
    void OnMoveUp();
    void OnMoveDown();
    void OnReset();

private:
    void Refill(int nSelectId);
    void UpdateButtons();
    void Move(int nDelta);

    CMainToolBar *m_pToolBar;
    QListWidget *m_pAvailable;
    QListWidget *m_pCurrent;
    QPushButton *m_pAdd;
    QPushButton *m_pRemove;
    QPushButton *m_pMoveUp;
    QPushButton *m_pMoveDown;
};
