#include "COptionsAutoClose.h"

#include "CAutoCloseDlg.h"
#include "CConfirmDlg.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QChar kDisabledMark = QLatin1Char('!');
// The index of the row's entry in the settings' list when the page was filled, -1 for
// a row added since. The row's closed-window count is read through it on OK, so the
// count follows its entry whatever happens to the rows around it.
constexpr int kOriginRole = Qt::UserRole;
} // namespace

COptionsAutoClose::COptionsAutoClose(CSettings &settings, QWidget *parent)
    : COptionsPage(tr("AutoClose List"), parent)
    , m_settings(settings)
{
    auto *pLabel = new QLabel(
        tr("Quillbrow will close windows that navigate these links automatically:"), this);
    m_pList = new QTreeWidget(this);
    m_pList->setObjectName(QStringLiteral("AutoCloseList"));
    pLabel->setBuddy(m_pList);
    m_pNew = new QPushButton(tr("&New..."), this);
    m_pEdit = new QPushButton(tr("&Edit..."), this);
    m_pDelete = new QPushButton(tr("&Delete..."), this);
    m_pEdit->setEnabled(false);
    m_pDelete->setEnabled(false);

    m_pList->setRootIsDecorated(false);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSortingEnabled(false);
    m_pList->setUniformRowHeights(true);
    m_pList->setAllColumnsShowFocus(true);

    auto *pButtons = new QHBoxLayout;
    pButtons->addStretch();
    pButtons->addWidget(m_pNew);
    pButtons->addWidget(m_pEdit);
    pButtons->addWidget(m_pDelete);

    auto *pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pLabel);
    pLayout->addWidget(m_pList, 1);
    pLayout->addLayout(pButtons);

    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, &COptionsAutoClose::OnEdit);
    // Keyboard selection counts as much as a click: the buttons must serve a user
    // without a mouse.
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this, &COptionsAutoClose::UpdateButtons);
    connect(m_pNew, &QPushButton::clicked, this, &COptionsAutoClose::OnNew);
    connect(m_pEdit, &QPushButton::clicked, this, &COptionsAutoClose::OnEdit);
    connect(m_pDelete, &QPushButton::clicked, this, &COptionsAutoClose::OnDelete);
    m_pList->installEventFilter(this);
}

void COptionsAutoClose::OnInitDialog()
{
    m_pList->setColumnCount(3);
    m_pList->setHeaderLabels({LoadString(IDS_AUTOCLOSE_COLUMN_LINK),
                              LoadString(IDS_AUTOCLOSE_COLUMN_STATUS), tr("Closed")});
    QHeaderView *pHeader = m_pList->header();
    pHeader->setSectionsClickable(false);
    pHeader->setStretchLastSection(false);
    pHeader->setSectionResizeMode(ColumnLink, QHeaderView::Stretch);
    pHeader->setSectionResizeMode(ColumnStatus, QHeaderView::ResizeToContents);
    pHeader->setSectionResizeMode(ColumnClosed, QHeaderView::ResizeToContents);
    m_pList->headerItem()->setTextAlignment(ColumnClosed, Qt::AlignRight | Qt::AlignVCenter);

    for (int i = 0; i < m_settings.AutoCloseList.size(); ++i) {
        const QString &entry = m_settings.AutoCloseList.at(i);
        if (entry.isEmpty())
            continue;
        SetListItem(entry, -1, true);
        QTreeWidgetItem *pItem = m_pList->topLevelItem(m_pList->topLevelItemCount() - 1);
        pItem->setData(ColumnLink, kOriginRole, i);
        pItem->setText(ColumnClosed, QString::number(m_settings.GetAutoCloseCount(i)));
    }
}

void COptionsAutoClose::SetListItem(const QString &strEntry, int nIndex, bool bInsert)
{
    if (strEntry.isEmpty())
        return;
    const bool bDisabled = strEntry.startsWith(kDisabledMark);
    const QString address = bDisabled ? strEntry.mid(1) : strEntry;
    const int nRows = m_pList->topLevelItemCount();
    QTreeWidgetItem *pItem = nullptr;
    if (bInsert) {
        pItem = new QTreeWidgetItem;
        pItem->setData(ColumnLink, kOriginRole, -1);
        pItem->setText(ColumnClosed, QStringLiteral("0"));
        pItem->setTextAlignment(ColumnClosed, Qt::AlignRight | Qt::AlignVCenter);
        m_pList->insertTopLevelItem(nIndex < 0 || nIndex > nRows ? nRows : nIndex, pItem);
    } else {
        pItem = m_pList->topLevelItem(nIndex < 0 ? nRows - 1 : nIndex);
        if (!pItem)
            return;
    }
    pItem->setText(ColumnLink, address);
    // A long address does not fit its column; the tooltip shows all of it.
    pItem->setToolTip(ColumnLink, address);
    pItem->setText(ColumnStatus,
                   LoadString(bDisabled ? IDS_AUTOCLOSE_DISABLED : IDS_AUTOCLOSE_ENABLED));
}

bool COptionsAutoClose::GetListItem(int nIndex, QString &strAddress, bool &bEnabled) const
{
    const QTreeWidgetItem *pItem = m_pList->topLevelItem(nIndex);
    if (nIndex < 0 || !pItem)
        return false;
    strAddress = pItem->text(ColumnLink);
    bEnabled = pItem->text(ColumnStatus) != LoadString(IDS_AUTOCLOSE_DISABLED);
    return true;
}

QString COptionsAutoClose::GetEntryString(int nIndex) const
{
    QString address;
    bool bEnabled = true;
    if (!GetListItem(nIndex, address, bEnabled))
        return QString();
    return bEnabled ? address : kDisabledMark + address;
}

int COptionsAutoClose::GetSelectedIndex() const
{
    const QList<QTreeWidgetItem *> selected = m_pList->selectedItems();
    return selected.isEmpty() ? -1 : m_pList->indexOfTopLevelItem(selected.constFirst());
}

void COptionsAutoClose::UpdateButtons()
{
    const bool bSelected = GetSelectedIndex() >= 0;
    m_pEdit->setEnabled(bSelected);
    m_pDelete->setEnabled(bSelected);
}

void COptionsAutoClose::SelectOnly(int nIndex)
{
    m_pList->clearSelection();
    if (QTreeWidgetItem *pItem = m_pList->topLevelItem(nIndex)) {
        m_pList->setCurrentItem(pItem);
        pItem->setSelected(true);
        m_pList->scrollToItem(pItem);
    }
}

bool COptionsAutoClose::IsDuplicate(const QString &strAddress, int nExcept) const
{
    QString address = strAddress;
    if (address.startsWith(kDisabledMark))
        address.remove(0, 1);
    if (address.isEmpty())
        return false;
    for (int i = 0; i < m_pList->topLevelItemCount(); ++i) {
        if (i == nExcept)
            continue;
        if (QString::compare(m_pList->topLevelItem(i)->text(ColumnLink), address,
                             Qt::CaseInsensitive)
            == 0)
            return true;
    }
    return false;
}

void COptionsAutoClose::OnNew()
{
    CAutoCloseDlg dlg(this, QString(), false, this, -1);
    if (dlg.exec() != IDOK || dlg.Entry().isEmpty())
        return;
    SetListItem(dlg.Entry(), -1, true);
    SelectOnly(m_pList->topLevelItemCount() - 1);
    UpdateButtons();
}

void COptionsAutoClose::OnEdit()
{
    const int nIndex = GetSelectedIndex();
    if (nIndex < 0)
        return;
    CAutoCloseDlg dlg(this, GetEntryString(nIndex), false, this, nIndex);
    if (dlg.exec() != IDOK || dlg.Entry().isEmpty())
        return;
    SetListItem(dlg.Entry(), nIndex, false);
    UpdateButtons();
}

void COptionsAutoClose::OnDelete()
{
    const int nIndex = GetSelectedIndex();
    QString address;
    bool bEnabled = true;
    if (!GetListItem(nIndex, address, bEnabled))
        return;
    CConfirmDlg dlg(
        this, LoadStringWith(IDS_CONFIRM_DELETE_AUTOCLOSE, QStringLiteral("%address%"), address),
        Mb::YesNo | Mb::IconQuestion, false);
    if (dlg.exec() == IDYES)
        delete m_pList->takeTopLevelItem(nIndex);
    // The row above, or the last one from the first, whatever the answer.
    SelectOnly(nIndex > 0 ? nIndex - 1 : m_pList->topLevelItemCount() - 1);
    UpdateButtons();
}

void COptionsAutoClose::OnOK()
{
    QStringList entries;
    QList<int> counts;
    for (int i = 0; i < m_pList->topLevelItemCount(); ++i) {
        entries.append(GetEntryString(i));
        // Read now rather than when the page was filled: windows closed while the sheet
        // was open count too.
        counts.append(m_settings.GetAutoCloseCount(
            m_pList->topLevelItem(i)->data(ColumnLink, kOriginRole).toInt()));
    }
    m_settings.AutoCloseList = entries;
    m_settings.AutoCloseCount = counts;
}

bool COptionsAutoClose::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pList && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete
        && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier
        && GetSelectedIndex() >= 0) {
        OnDelete();
        return true;
    }
    return COptionsPage::eventFilter(watched, event);
}
