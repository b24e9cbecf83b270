#include "CSignInDlg.h"

#include "CStringIds.h"
#include "CStringTable.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QStyle>
#include <QVBoxLayout>

namespace {

struct SAnswer
{
    bool bAccepted;
    QString strUser;
    QString strPassword;
};

QList<SAnswer> &PendingAnswers()
{
    static QList<SAnswer> answers;
    return answers;
}

struct SLastShown
{
    QString strText;
    QString strUser;
};

SLastShown &LastShown()
{
    static SLastShown last;
    return last;
}

} // namespace

CSignInDlg::CSignInDlg(QWidget *pParent, const QString &strSite, const QString &strRealm,
                       bool bProxy, const QString &strUserName, bool bRetry)
    : QDialog(pParent)
    , m_pText(new QLabel(this))
    , m_pUser(new QLineEdit(strUserName, this))
    , m_pPassword(new QLineEdit(this))
{
    setObjectName(QStringLiteral("SignInDialog"));
    setWindowTitle(LoadString(IDS_SIGN_IN_CAPTION));
    QString text = LoadStringWith(bProxy ? IDS_SIGN_IN_PROXY : IDS_SIGN_IN_SITE,
                                  QStringLiteral("%address%"), strSite);
    if (!strRealm.isEmpty())
        text += QLatin1Char('\n')
            + LoadStringWith(bProxy ? IDS_SIGN_IN_PROXY_REALM : IDS_SIGN_IN_SITE_REALM,
                             QStringLiteral("%realm%"), strRealm);
    if (bRetry)
        text += QLatin1String("\n\n") + LoadString(IDS_SIGN_IN_RETRY);
    m_pText->setText(text);
    m_pText->setTextFormat(Qt::PlainText);
    m_pText->setWordWrap(true);
    m_pText->setMinimumWidth(340);
    m_pPassword->setEchoMode(QLineEdit::Password);

    auto *icon = new QLabel(this);
    const int nIconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(QIcon::fromTheme(QStringLiteral("dialog-password"),
                                     style()->standardIcon(QStyle::SP_MessageBoxQuestion))
                        .pixmap(nIconSize, nIconSize));
    icon->setAlignment(Qt::AlignTop);

    auto *fields = new QFormLayout;
    fields->addRow(tr("&User name:"), m_pUser);
    fields->addRow(tr("&Password:"), m_pPassword);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *right = new QVBoxLayout;
    right->addWidget(m_pText);
    right->addSpacing(8);
    right->addLayout(fields);
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // With the name known the password is what is missing.
    if (strUserName.isEmpty())
        m_pUser->setFocus();
    else
        m_pPassword->setFocus();
}

int CSignInDlg::exec()
{
    LastShown() = {m_pText->text(), m_pUser->text()};
    if (!PendingAnswers().isEmpty()) {
        const SAnswer answer = PendingAnswers().takeFirst();
        if (!answer.bAccepted)
            return Rejected;
        m_pUser->setText(answer.strUser);
        m_pPassword->setText(answer.strPassword);
        return Accepted;
    }
    return QDialog::exec();
}

QString CSignInDlg::UserName() const
{
    return m_pUser->text();
}

QString CSignInDlg::Password() const
{
    return m_pPassword->text();
}

void CSignInDlg::SetNextAnswer(const QString &strUserName, const QString &strPassword)
{
    PendingAnswers().append({true, strUserName, strPassword});
}

void CSignInDlg::SetNextCancel()
{
    PendingAnswers().append({false, QString(), QString()});
}

bool CSignInDlg::HasPendingAnswers()
{
    return !PendingAnswers().isEmpty();
}

void CSignInDlg::ClearNextAnswers()
{
    PendingAnswers().clear();
}

QString CSignInDlg::LastText()
{
    return LastShown().strText;
}

QString CSignInDlg::LastUserName()
{
    return LastShown().strUser;
}
