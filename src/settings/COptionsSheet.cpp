#include "COptionsSheet.h"

#include "CConfirmDlg.h"
#include "COptionsPage.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QVBoxLayout>

COptionsSheet::COptionsSheet(QWidget *pParent)
    : QDialog(pParent)
    , m_pTabs(new QTabWidget(this))
    // No mnemonics: Enter and Escape are these two, and the pages' letters stay free.
    , m_pOk(new QPushButton(tr("OK"), this))
    , m_pCancel(new QPushButton(tr("Cancel"), this))
    , m_pApply(new QPushButton(tr("Apply"), this))
{
    setWindowTitle(LoadString(IDS_OPTIONS_CAPTION));
    setObjectName(QStringLiteral("OptionsSheet"));

    m_pOk->setDefault(true);
    m_pApply->setEnabled(false);
    connect(m_pOk, &QPushButton::clicked, this, &COptionsSheet::OnOK);
    connect(m_pCancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(m_pTabs, &QTabWidget::currentChanged, this, &COptionsSheet::OnCurrentChanged);

    auto *pButtons = new QHBoxLayout;
    pButtons->addStretch();
    pButtons->addWidget(m_pOk);
    pButtons->addWidget(m_pCancel);
    pButtons->addWidget(m_pApply);

    auto *pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pTabs, 1);
    pLayout->addLayout(pButtons);
}

void COptionsSheet::AddPage(COptionsPage *pPage)
{
    m_pages.append(pPage);
    {
        // The first tab added becomes current at once; it is initialised when shown.
        const QScopedValueRollback guard(m_bSwitching, true);
        m_pTabs->addTab(pPage, pPage->Title());
    }
    if (m_nActive < 0)
        m_nActive = 0;
}

COptionsPage *COptionsSheet::GetPage(int nIndex) const
{
    return nIndex >= 0 && nIndex < m_pages.size() ? m_pages.at(nIndex) : nullptr;
}

void COptionsSheet::showEvent(QShowEvent *event)
{
    if (COptionsPage *pPage = GetActivePage())
        pPage->Initialize();
    QDialog::showEvent(event);
}

void COptionsSheet::ShowTab(int nIndex)
{
    const QScopedValueRollback guard(m_bSwitching, true);
    m_pTabs->setCurrentIndex(nIndex);
}

// The tab widget has already switched when it reports the change; the old page is put
// back before the page being left is asked, so a refusal never shows the new page.
void COptionsSheet::OnCurrentChanged(int nIndex)
{
    if (m_bSwitching || nIndex == m_nActive)
        return;
    ShowTab(m_nActive);
    SetActivePage(nIndex);
}

bool COptionsSheet::SetActivePage(int nIndex)
{
    COptionsPage *pTarget = GetPage(nIndex);
    if (!pTarget)
        return false;
    if (nIndex == m_nActive)
        return true;
    if (COptionsPage *pLeaving = GetActivePage(); pLeaving && !pLeaving->OnKillActive())
        return false;
    pTarget->Initialize();
    m_nActive = nIndex;
    ShowTab(nIndex);
    return true;
}

void COptionsSheet::OnOK()
{
    if (COptionsPage *pActive = GetActivePage(); pActive && !pActive->OnKillActive())
        return;
    for (COptionsPage *pPage : std::as_const(m_pages)) {
        if (pPage->IsInitialized())
            pPage->OnOK();
    }
    done(IDOK);
}

void COptionsSheet::done(int nResult)
{
    // Escape and the title bar's close box end with QDialog::Rejected.
    QDialog::done(nResult == IDOK ? int(IDOK) : int(IDCANCEL));
}

int COptionsSheet::exec()
{
    CDialogScript<COptionsSheet>::ScheduleNext(this, IDCANCEL);
    return QDialog::exec();
}

void COptionsSheet::SetNextScript(CDialogScript<COptionsSheet>::Script script)
{
    CDialogScript<COptionsSheet>::Add(std::move(script));
}

bool COptionsSheet::HasPendingScripts()
{
    return CDialogScript<COptionsSheet>::HasPending();
}

void COptionsSheet::ClearNextScripts()
{
    CDialogScript<COptionsSheet>::Clear();
}
