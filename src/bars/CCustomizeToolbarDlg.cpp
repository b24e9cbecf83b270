#include "CCustomizeToolbarDlg.h"

#include "CMainToolBar.h"
#include "CToolbarImages.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

int IdOf(const QListWidgetItem *pItem)
{
    return pItem ? pItem->data(Qt::UserRole).toInt() : 0;
}

QList<int> IdsOf(const QListWidget *pList)
{
    QList<int> ids;
    for (int i = 0; i < pList->count(); ++i)
        ids.append(IdOf(pList->item(i)));
    return ids;
}

void Fill(QListWidget *pList, const QList<int> &ids)
{
    pList->clear();
    for (int nId : ids) {
        auto *pItem = new QListWidgetItem(
            CToolbarImages::Icon(CMainToolBar::ImageOf(nId), pList->palette()),
            CMainToolBar::ToolTipOf(nId), pList);
        pItem->setData(Qt::UserRole, nId);
    }
}

} // namespace

CCustomizeToolbarDlg::CCustomizeToolbarDlg(CMainToolBar *pToolBar, QWidget *parent)
    : QDialog(parent)
    , m_pToolBar(pToolBar)
    , m_pAvailable(new QListWidget(this))
    , m_pCurrent(new QListWidget(this))
    , m_pAdd(new QPushButton(tr("&Add ->"), this))
    , m_pRemove(new QPushButton(tr("<- &Remove"), this))
    , m_pMoveUp(new QPushButton(tr("Move &Up"), this))
    , m_pMoveDown(new QPushButton(tr("Move &Down"), this))
{
    setWindowTitle(tr("Customize Toolbar"));
    const QSize iconSize(CToolbarImages::kWidth, CToolbarImages::kHeight);
    m_pAvailable->setIconSize(iconSize);
    m_pCurrent->setIconSize(iconSize);

    auto *pReset = new QPushButton(tr("R&eset"), this);
    auto *pClose = new QPushButton(tr("&Close"), this);
    pClose->setDefault(true);

    auto *pMiddle = new QVBoxLayout;
    pMiddle->addStretch();
    pMiddle->addWidget(m_pAdd);
    pMiddle->addWidget(m_pRemove);
    pMiddle->addStretch();

    auto *pRight = new QVBoxLayout;
    pRight->addWidget(pClose);
    pRight->addWidget(pReset);
    pRight->addSpacing(12);
    pRight->addWidget(m_pMoveUp);
    pRight->addWidget(m_pMoveDown);
    pRight->addStretch();

    auto *pLayout = new QGridLayout(this);
    auto *pAvailableLabel = new QLabel(tr("A&vailable toolbar buttons:"), this);
    pAvailableLabel->setBuddy(m_pAvailable);
    auto *pCurrentLabel = new QLabel(tr("&Toolbar buttons:"), this);
    pCurrentLabel->setBuddy(m_pCurrent);
    pLayout->addWidget(pAvailableLabel, 0, 0);
    pLayout->addWidget(pCurrentLabel, 0, 2);
    pLayout->addWidget(m_pAvailable, 1, 0);
    pLayout->addLayout(pMiddle, 1, 1);
    pLayout->addWidget(m_pCurrent, 1, 2);
    pLayout->addLayout(pRight, 1, 3);

    connect(m_pAdd, &QPushButton::clicked, this, &CCustomizeToolbarDlg::OnAdd);
    connect(m_pRemove, &QPushButton::clicked, this, &CCustomizeToolbarDlg::OnRemove);
    connect(m_pMoveUp, &QPushButton::clicked, this, &CCustomizeToolbarDlg::OnMoveUp);
    connect(m_pMoveDown, &QPushButton::clicked, this, &CCustomizeToolbarDlg::OnMoveDown);
    connect(pReset, &QPushButton::clicked, this, &CCustomizeToolbarDlg::OnReset);
    connect(pClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pAvailable, &QListWidget::itemDoubleClicked, this, &CCustomizeToolbarDlg::OnAdd);
    connect(m_pCurrent, &QListWidget::itemDoubleClicked, this, &CCustomizeToolbarDlg::OnRemove);
    connect(m_pAvailable, &QListWidget::currentRowChanged, this,
            &CCustomizeToolbarDlg::UpdateButtons);
    connect(m_pCurrent, &QListWidget::currentRowChanged, this,
            &CCustomizeToolbarDlg::UpdateButtons);

    Refill(0);
}

QList<int> CCustomizeToolbarDlg::AvailableIds() const
{
    return IdsOf(m_pAvailable);
}

QList<int> CCustomizeToolbarDlg::CurrentIds() const
{
    return IdsOf(m_pCurrent);
}

void CCustomizeToolbarDlg::OnAdd()
{
    const int nId = IdOf(m_pAvailable->currentItem());
    if (!nId)
        return;
    const int nAvailableRow = m_pAvailable->currentRow();
    QList<int> ids = m_pToolBar->Buttons();
    const int nRow = m_pCurrent->currentRow();
    ids.insert(nRow >= 0 ? nRow : ids.size(), nId);
    m_pToolBar->SetButtons(ids);
    Refill(nId);
    m_pAvailable->setCurrentRow(qMin(nAvailableRow, m_pAvailable->count() - 1));
}

void CCustomizeToolbarDlg::OnRemove()
{
    const int nId = IdOf(m_pCurrent->currentItem());
    if (!nId)
        return;
    const int nRow = m_pCurrent->currentRow();
    QList<int> ids = m_pToolBar->Buttons();
    ids.removeOne(nId);
    m_pToolBar->SetButtons(ids);
    Refill(0);
    m_pCurrent->setCurrentRow(qMin(nRow, m_pCurrent->count() - 1));
    m_pAvailable->setCurrentRow(int(AvailableIds().indexOf(nId)));
}

void CCustomizeToolbarDlg::OnMoveUp()
{
    Move(-1);
}

void CCustomizeToolbarDlg::OnMoveDown()
{
    Move(1);
}

void CCustomizeToolbarDlg::OnReset()
{
    m_pToolBar->ResetToDefault();
    Refill(0);
}

void CCustomizeToolbarDlg::Move(int nDelta)
{
    const int nRow = m_pCurrent->currentRow();
    QList<int> ids = m_pToolBar->Buttons();
    if (nRow < 0 || nRow + nDelta < 0 || nRow + nDelta >= ids.size())
        return;
    const int nId = ids.at(nRow);
    ids.move(nRow, nRow + nDelta);
    m_pToolBar->SetButtons(ids);
    Refill(nId);
}

// Lists the toolbar's state afresh; nSelectId becomes the current button.
void CCustomizeToolbarDlg::Refill(int nSelectId)
{
    const QList<int> current = m_pToolBar->Buttons();
    QList<int> available;
    for (int nId : CMainToolBar::ExtraButtons() + CMainToolBar::DefaultButtons()) {
        if (!current.contains(nId))
            available.append(nId);
    }
    Fill(m_pAvailable, available);
    Fill(m_pCurrent, current);
    m_pCurrent->setCurrentRow(int(current.indexOf(nSelectId)));
    UpdateButtons();
}

void CCustomizeToolbarDlg::UpdateButtons()
{
    const int nRow = m_pCurrent->currentRow();
    m_pAdd->setEnabled(m_pAvailable->currentItem());
    m_pRemove->setEnabled(nRow >= 0);
    m_pMoveUp->setEnabled(nRow > 0);
    m_pMoveDown->setEnabled(nRow >= 0 && nRow < m_pCurrent->count() - 1);
}
