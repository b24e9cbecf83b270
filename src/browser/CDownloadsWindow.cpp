#include "CDownloadsWindow.h"

#include "CConfirmDlg.h"
#include "CDownloadManager.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kProgressRole = Qt::UserRole;
constexpr int kIdRole = Qt::UserRole + 1;

// The progress column draws a bar; its number stays the item's text, so the row
// reads the same to a screen reader and to a test.
class CProgressDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const int nPercent = index.data(kProgressRole).toInt();
        if (nPercent < 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        QStyle *style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(2, 2, -2, -2);
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = nPercent;
        bar.text = index.data(Qt::DisplayRole).toString();
        bar.textVisible = true;
        bar.textAlignment = Qt::AlignCenter;
        bar.state = option.state | QStyle::State_Horizontal;
        bar.palette = option.palette;
        bar.fontMetrics = option.fontMetrics;
        style->drawControl(QStyle::CE_ProgressBar, &bar, painter, option.widget);
    }
};

QString StateText(const SDownload &entry)
{
    switch (entry.state) {
    case SDownload::Running:
        return CDownloadsWindow::tr("Downloading");
    case SDownload::Paused:
        return CDownloadsWindow::tr("Paused");
    case SDownload::Completed:
        return CDownloadsWindow::tr("Completed");
    case SDownload::Cancelled:
        return CDownloadsWindow::tr("Cancelled");
    case SDownload::Failed:
        return entry.strError.isEmpty() ? CDownloadsWindow::tr("Failed")
                                        : CDownloadsWindow::tr("Failed: %1").arg(entry.strError);
    }
    return QString();
}

int Percent(const SDownload &entry)
{
    if (entry.state == SDownload::Completed)
        return 100;
    if (entry.nTotal <= 0)
        return -1;
    return int(std::clamp<qint64>(entry.nReceived * 100 / entry.nTotal, 0, 100));
}

} // namespace

CDownloadsWindow::CDownloadsWindow(CDownloadManager *pManager, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_pManager(pManager)
    , m_pList(new QTreeWidget(this))
    , m_pPause(new QPushButton(tr("&Pause"), this))
    , m_pResume(new QPushButton(tr("&Resume"), this))
    , m_pCancel(new QPushButton(tr("&Cancel"), this))
    , m_pOpen(new QPushButton(tr("&Open"), this))
    , m_pOpenFolder(new QPushButton(tr("Open &Folder"), this))
{
    setObjectName(QStringLiteral("DownloadsWindow"));
    setWindowTitle(tr("Downloads"));
    m_pList->setObjectName(QStringLiteral("DownloadList"));
    m_pList->setColumnCount(ColumnCount);
    m_pList->setHeaderLabels({tr("Name"), tr("Size"), tr("Progress"), tr("Speed"), tr("Status")});
    m_pList->setRootIsDecorated(false);
    m_pList->setUniformRowHeights(true);
    m_pList->setAllColumnsShowFocus(true);
    m_pList->setItemDelegateForColumn(ColProgress, new CProgressDelegate(m_pList));
    QHeaderView *header = m_pList->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ColName, QHeaderView::Stretch);
    header->resizeSection(ColSize, 150);
    header->resizeSection(ColProgress, 110);
    header->resizeSection(ColSpeed, 90);
    header->resizeSection(ColState, 130);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_pPause, m_pResume, m_pCancel, m_pOpen, m_pOpenFolder}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pList, 1);
    layout->addLayout(buttons);

    connect(m_pPause, &QPushButton::clicked, this, [this] { m_pManager->Pause(SelectedId()); });
    connect(m_pResume, &QPushButton::clicked, this, [this] { m_pManager->Resume(SelectedId()); });
    connect(m_pCancel, &QPushButton::clicked, this, [this] { m_pManager->Cancel(SelectedId()); });
    connect(m_pOpen, &QPushButton::clicked, this, &CDownloadsWindow::OnOpen);
    connect(m_pOpenFolder, &QPushButton::clicked, this, &CDownloadsWindow::OnOpenFolder);
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this, &CDownloadsWindow::UpdateButtons);
    connect(m_pList, &QTreeWidget::itemActivated, this, [this] {
        const SDownload *entry = m_pManager->Entry(SelectedId());
        if (entry && entry->state == SDownload::Completed)
            OnOpen();
    });

    connect(m_pManager, &CDownloadManager::listReset, this, &CDownloadsWindow::Rebuild);
    connect(m_pManager, &CDownloadManager::entryAdded, this, [this](quint64 nId) {
        AddRow(nId, 0);
        if (!m_pList->currentItem())
            m_pList->setCurrentItem(m_rows.value(nId));
    });
    connect(m_pManager, &CDownloadManager::entryChanged, this, &CDownloadsWindow::UpdateRow);

    // Closed with Escape like the program's dialogs; it is only hidden, and keeps its rows.
    auto *close = new QAction(this);
    close->setShortcut(Qt::Key_Escape);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    resize(760, 360);
    Rebuild();
}

QString CDownloadsWindow::FormatSize(qint64 nBytes)
{
    return QLocale().formattedDataSize(nBytes, 1, QLocale::DataSizeTraditionalFormat);
}

void CDownloadsWindow::Rebuild()
{
    m_pList->clear();
    m_rows.clear();
    const auto &entries = m_pManager->Entries();
    for (int i = 0; i < entries.size(); ++i)
        AddRow(entries.at(i).nId, i);
    if (m_pList->topLevelItemCount() > 0)
        m_pList->setCurrentItem(m_pList->topLevelItem(0));
    UpdateButtons();
}

void CDownloadsWindow::AddRow(quint64 nId, int nIndex)
{
    if (m_rows.contains(nId))
        return;
    auto *item = new QTreeWidgetItem;
    item->setData(ColName, kIdRole, nId);
    m_pList->insertTopLevelItem(nIndex, item);
    m_rows.insert(nId, item);
    // The list keeps as many rows as the manager keeps entries.
    while (m_pList->topLevelItemCount() > int(m_pManager->Entries().size())) {
        QTreeWidgetItem *last = m_pList->topLevelItem(m_pList->topLevelItemCount() - 1);
        m_rows.remove(last->data(ColName, kIdRole).toULongLong());
        delete last;
    }
    UpdateRow(nId);
}

void CDownloadsWindow::UpdateRow(quint64 nId)
{
    QTreeWidgetItem *item = m_rows.value(nId);
    const SDownload *entry = m_pManager->Entry(nId);
    if (!item || !entry)
        return;
    item->setText(ColName, entry->FileName());
    item->setToolTip(ColName, QDir::toNativeSeparators(entry->strPath));

    QString size;
    if (entry->state == SDownload::Completed)
        size = FormatSize(entry->nReceived);
    else if (entry->nTotal > 0)
        size = tr("%1 of %2").arg(FormatSize(entry->nReceived), FormatSize(entry->nTotal));
    else
        size = FormatSize(entry->nReceived);
    item->setText(ColSize, size);

    const int nPercent
        = entry->IsActive() || entry->state == SDownload::Completed ? Percent(*entry) : -1;
    item->setData(ColProgress, kProgressRole, nPercent);
    item->setText(ColProgress, nPercent < 0 ? QString() : tr("%1 %").arg(nPercent));
    item->setText(ColSpeed,
                  entry->state == SDownload::Running
                      ? tr("%1/s").arg(FormatSize(m_pManager->Speed(nId)))
                      : QString());
    item->setText(ColState, StateText(*entry));
    if (item->isSelected() || item == m_pList->currentItem())
        UpdateButtons();
}

void CDownloadsWindow::UpdateButtons()
{
    const SDownload *entry = m_pManager->Entry(SelectedId());
    const bool bRunning = entry && entry->state == SDownload::Running;
    const bool bPaused = entry && entry->state == SDownload::Paused;
    m_pPause->setEnabled(bRunning);
    m_pResume->setEnabled(bPaused);
    m_pCancel->setEnabled(bRunning || bPaused);
    m_pOpen->setEnabled(entry && entry->state == SDownload::Completed);
    m_pOpenFolder->setEnabled(entry != nullptr);
}

quint64 CDownloadsWindow::SelectedId() const
{
    const QTreeWidgetItem *item = m_pList->currentItem();
    return item ? item->data(ColName, kIdRole).toULongLong() : 0;
}

QList<QStringList> CDownloadsWindow::RowTexts() const
{
    QList<QStringList> rows;
    for (int i = 0; i < m_pList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_pList->topLevelItem(i);
        QStringList texts;
        for (int column = 0; column < ColumnCount; ++column)
            texts << item->text(column);
        rows << texts;
    }
    return rows;
}

bool CDownloadsWindow::SelectPath(const QString &strPath)
{
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        const SDownload *entry = m_pManager->Entry(it.key());
        if (entry && entry->strPath == strPath) {
            m_pList->setCurrentItem(it.value());
            return true;
        }
    }
    return false;
}

void CDownloadsWindow::OnOpen()
{
    if (const SDownload *entry = m_pManager->Entry(SelectedId()))
        OpenPath(entry->strPath, QFileInfo(entry->strPath).isFile());
}

void CDownloadsWindow::OnOpenFolder()
{
    if (const SDownload *entry = m_pManager->Entry(SelectedId())) {
        const QString folder = QFileInfo(entry->strPath).absolutePath();
        OpenPath(folder, QFileInfo(folder).isDir());
    }
}

void CDownloadsWindow::OpenPath(const QString &strPath, bool bExists)
{
    int nMessage = 0;
    if (!bExists)
        nMessage = IDS_DOWNLOAD_FILE_MISSING;
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(strPath)))
        nMessage = IDS_DOWNLOAD_CANNOT_OPEN;
    if (nMessage == 0)
        return;
    CConfirmDlg dlg(
        this,
        LoadStringWith(nMessage, QStringLiteral("%filename%"), QDir::toNativeSeparators(strPath)),
        Mb::Ok | Mb::IconExclamation, false);
    dlg.exec();
}
