#include "CFolderNameDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QStringList &PendingAnswers()
{
    static QStringList answers;
    return answers;
}
} // namespace

CFolderNameDlg::CFolderNameDlg(QWidget *parent)
    : QDialog(parent)
    , m_pName(new QLineEdit(this))
{
    setWindowTitle(tr("Create New Folder"));
    auto *label = new QLabel(tr("&Folder name:"), this);
    label->setBuddy(m_pName);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pOk->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pName, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_pOk->setEnabled(!text.trimmed().isEmpty()); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_pName);
    layout->addWidget(buttons);
    m_pName->setMinimumWidth(260);
}

QString CFolderNameDlg::Name() const
{
    return m_pName->text().trimmed();
}

int CFolderNameDlg::exec()
{
    if (!PendingAnswers().isEmpty()) {
        m_pName->setText(PendingAnswers().takeFirst());
        const int result = Name().isEmpty() ? Rejected : Accepted;
        setResult(result);
        return result;
    }
    return QDialog::exec();
}

void CFolderNameDlg::SetNextAnswer(const QString &name)
{
    PendingAnswers().append(name);
}

bool CFolderNameDlg::HasPendingAnswers()
{
    return !PendingAnswers().isEmpty();
}

void CFolderNameDlg::ClearNextAnswers()
{
    PendingAnswers().clear();
}
