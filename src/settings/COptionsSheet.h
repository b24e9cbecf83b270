#pragma once

#include "CDialogScript.h"

#include <QDialog>
#include <QList>

class COptionsPage;
class QPushButton;
class QTabWidget;

// The options sheet "Quillbrow Options": a tab per page, OK, Cancel and an Apply
// button that stays disabled because no page marks itself modified. Leaving a page,
// by its tab or by OK, first asks the page (OnKillActive); OK then lets every page
// that was shown write its settings, in page order. The caller saves the settings
// when the sheet ends with IDOK; Cancel changes nothing.
class COptionsSheet : public QDialog
{
    Q_OBJECT
public:
    explicit COptionsSheet(QWidget *pParent = nullptr);

    // Takes the page; pages appear in the order added, the first one shown first.
    void AddPage(COptionsPage *pPage);
    int GetPageCount() const { return int(m_pages.size()); }
    COptionsPage *GetPage(int nIndex) const;
    int GetActiveIndex() const { return m_nActive; }
    COptionsPage *GetActivePage() const { return GetPage(m_nActive); }
    // Switches pages as a click on the tab does; false when the page being left
    // refuses to go.
    bool SetActivePage(int nIndex);

    // Runs modally; returns IDOK or IDCANCEL.
    int exec() override;
    void done(int nResult) override;

    QTabWidget *TabWidget() const { return m_pTabs; }
    QPushButton *OkButton() const { return m_pOk; }
    QPushButton *CancelButton() const { return m_pCancel; }
    QPushButton *ApplyButton() const { return m_pApply; }

    // Tests act on the next sheet in advance; see CDialogScript.
    static void SetNextScript(CDialogScript<COptionsSheet>::Script script);
    static bool HasPendingScripts();
    static void ClearNextScripts();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnCurrentChanged(int nIndex);
    void OnOK();
    // Shows the tab without asking anyone.
    void ShowTab(int nIndex);

    QTabWidget *m_pTabs;
    QPushButton *m_pOk;
    QPushButton *m_pCancel;
    QPushButton *m_pApply;
    QList<COptionsPage *> m_pages;
    int m_nActive = -1;
    bool m_bSwitching = false;
};
