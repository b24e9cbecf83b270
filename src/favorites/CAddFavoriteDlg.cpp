#include "CAddFavoriteDlg.h"

#include "CErrorReport.h"
#include "CFavoritesFolder.h"
#include "CFavoritesTree.h"
#include "CFolderNameDlg.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {
struct SAnswer
{
    int nResult;
    QString name;
    QString folder;
};

QList<SAnswer> &PendingAnswers()
{
    static QList<SAnswer> answers;
    return answers;
}
} // namespace

CAddFavoriteDlg::CAddFavoriteDlg(const QString &root, const QString &name, QWidget *parent)
    : QDialog(parent)
    , m_strRoot(QFileInfo(root).absoluteFilePath())
    , m_pName(new QLineEdit(name, this))
    , m_pFolders(new QTreeWidget(this))
{
    setWindowTitle(tr("Add Favorite"));
    auto *intro = new QLabel(tr("Quillbrow will add this page to your Favorites list."), this);
    auto *nameLabel = new QLabel(tr("&Name:"), this);
    nameLabel->setBuddy(m_pName);
    auto *folderLabel = new QLabel(tr("Create &in:"), this);
    folderLabel->setBuddy(m_pFolders);
    m_pFolders->setHeaderHidden(true);
    m_pFolders->setMinimumSize(300, 180);

    auto *newFolder = new QPushButton(tr("New &Folder..."), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    buttons->addButton(newFolder, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(newFolder, &QPushButton::clicked, this, &CAddFavoriteDlg::OnNewFolder);
    connect(m_pName, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_pOk->setEnabled(!text.trimmed().isEmpty()); });
    m_pOk->setEnabled(!name.trimmed().isEmpty());

    auto *layout = new QGridLayout(this);
    layout->addWidget(intro, 0, 0, 1, 2);
    layout->addWidget(nameLabel, 1, 0);
    layout->addWidget(m_pName, 1, 1);
    layout->addWidget(folderLabel, 2, 0, Qt::AlignTop);
    layout->addWidget(m_pFolders, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);

    Refill(m_strRoot);
    m_pName->selectAll();
}

void CAddFavoriteDlg::Refill(const QString &selectPath)
{
    QTreeWidgetItem *top = CFavoritesTree::Fill(m_pFolders, m_strRoot, tr("Favorites"), true);
    QTreeWidgetItem *selected = CFavoritesTree::FindByPath(m_pFolders, selectPath);
    m_pFolders->setCurrentItem(selected ? selected : top);
}

QString CAddFavoriteDlg::Name() const
{
    return m_pName->text().trimmed();
}

QString CAddFavoriteDlg::Folder() const
{
    const QString path = CFavoritesTree::PathOf(m_pFolders->currentItem());
    return path.isEmpty() ? m_strRoot : path;
}

bool CAddFavoriteDlg::SelectFolder(const QString &relativePath)
{
    const QString path
        = relativePath.isEmpty() ? m_strRoot : QDir(m_strRoot).absoluteFilePath(relativePath);
    QTreeWidgetItem *item = CFavoritesTree::FindByPath(m_pFolders, QDir::cleanPath(path));
    if (!item)
        return false;
    m_pFolders->setCurrentItem(item);
    return true;
}

bool CAddFavoriteDlg::OnNewFolder()
{
    CFolderNameDlg prompt(this);
    if (prompt.exec() != QDialog::Accepted)
        return false;
    const QString parent = Folder();
    const QString path = CFavoritesFolder::CreateFolder(parent, prompt.Name());
    if (path.isEmpty()) {
        ShowErrorText(LoadStringWith(IDS_FAVORITES_FOLDER_NOT_MADE, u"%filename%"_qs,
                                     QDir(parent).absoluteFilePath(prompt.Name())),
                      this);
        return false;
    }
    Refill(path);
    return true;
}

int CAddFavoriteDlg::exec()
{
    if (!PendingAnswers().isEmpty()) {
        const SAnswer answer = PendingAnswers().takeFirst();
        if (!answer.name.isNull())
            m_pName->setText(answer.name);
        SelectFolder(answer.folder);
        setResult(answer.nResult);
        return answer.nResult;
    }
    return QDialog::exec();
}

void CAddFavoriteDlg::SetNextAnswer(int nResult, const QString &name, const QString &folder)
{
    PendingAnswers().append({nResult, name, folder});
}

bool CAddFavoriteDlg::HasPendingAnswers()
{
    return !PendingAnswers().isEmpty();
}

void CAddFavoriteDlg::ClearNextAnswers()
{
    PendingAnswers().clear();
}
