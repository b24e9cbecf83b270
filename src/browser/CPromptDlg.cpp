#include "CPromptDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QVBoxLayout>

namespace {

struct SAnswer
{
    QString strText;
    bool bAccepted;
};

QList<SAnswer> &PendingAnswers()
{
    static QList<SAnswer> answers;
    return answers;
}

QString &LastCaptionStore()
{
    static QString caption;
    return caption;
}

QString &LastTextStore()
{
    static QString text;
    return text;
}

} // namespace

CPromptDlg::CPromptDlg(QWidget *pParent, const QString &strCaption, const QString &strText,
                       const QString &strDefault)
    : QDialog(pParent)
    , m_pText(new QLabel(strText, this))
    , m_pEdit(new QLineEdit(strDefault, this))
{
    setObjectName(QStringLiteral("PromptDialog"));
    setWindowTitle(strCaption);
    // A page's text is shown as it is, never as markup.
    m_pText->setTextFormat(Qt::PlainText);
    m_pText->setWordWrap(true);
    m_pText->setMinimumWidth(320);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pText);
    layout->addWidget(m_pEdit);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_pEdit->selectAll();
    m_pEdit->setFocus();
}

int CPromptDlg::exec()
{
    LastCaptionStore() = windowTitle();
    LastTextStore() = m_pText->text();
    if (!PendingAnswers().isEmpty()) {
        const SAnswer answer = PendingAnswers().takeFirst();
        m_pEdit->setText(answer.strText);
        return answer.bAccepted ? Accepted : Rejected;
    }
    return QDialog::exec();
}

QString CPromptDlg::Text() const
{
    return m_pEdit->text();
}

void CPromptDlg::SetNextAnswer(const QString &strText, bool bAccepted)
{
    PendingAnswers().append({strText, bAccepted});
}

bool CPromptDlg::HasPendingAnswers()
{
    return !PendingAnswers().isEmpty();
}

void CPromptDlg::ClearNextAnswers()
{
    PendingAnswers().clear();
}

QString CPromptDlg::LastCaption()
{
    return LastCaptionStore();
}

QString CPromptDlg::LastText()
{
    return LastTextStore();
}
