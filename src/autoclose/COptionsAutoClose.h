#pragma once

#include "COptionsPage.h"

class CSettings;
class QPushButton;
class QTreeWidget;

// The "AutoClose List" page: every AutoClose entry as a row with its address, its
// status and the number of windows it has closed, with New, Edit and Delete. The page
// edits only its rows; OK rewrites the list, and the counts with it, in row order.
class COptionsAutoClose : public COptionsPage
{
    Q_OBJECT
public:
    enum EColumn { ColumnLink = 0, ColumnStatus = 1, ColumnClosed = 2 };

    explicit COptionsAutoClose(CSettings &settings, QWidget *parent = nullptr);

    void OnInitDialog() override;
    void OnOK() override;

    // Inserts a row at nIndex (-1: the end) or, without bInsert, replaces the address and
    // status of row nIndex. An empty entry string is refused.
    void SetListItem(const QString &strEntry, int nIndex, bool bInsert);
    // The address and whether it is enabled; false for a row that does not exist.
    bool GetListItem(int nIndex, QString &strAddress, bool &bEnabled) const;
    // The row as an entry string: its address, with "!" in front when disabled.
    QString GetEntryString(int nIndex) const;
    // The selected row, -1 when none is.
    int GetSelectedIndex() const;
    // Edit and Delete are enabled exactly while a row is selected.
    void UpdateButtons();

    // True when another row than nExcept holds address (one leading "!" dropped),
    // ignoring case; the trailing "*" counts.
    bool IsDuplicate(const QString &strAddress, int nExcept) const;

    void OnNew();
    void OnEdit();
    void OnDelete();

    QTreeWidget *List() const { return m_pList; }
    QPushButton *NewButton() const { return m_pNew; }
    QPushButton *EditButton() const { return m_pEdit; }
    QPushButton *DeleteButton() const { return m_pDelete; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SelectOnly(int nIndex);

    CSettings &m_settings;
    QTreeWidget *m_pList;
    QPushButton *m_pNew;
    QPushButton *m_pEdit;
    QPushButton *m_pDelete;
};
