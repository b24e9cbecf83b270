#include "CAboutDlg.h"

#include "CEngineInfo.h"
#include "CHyperLink.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent)
    , m_staticEngine(new QLabel(EngineTemplate(), this))
    , m_staticTitle(new QLabel(this))
    , m_linkWeb(new CHyperLink(this))
    , m_linkMail(new CHyperLink(this))
{
    setWindowTitle(tr("About Quillbrow"));
    setAttribute(Qt::WA_AlwaysShowToolTips);

    auto *pIcon = new QLabel(this);
    pIcon->setPixmap(QIcon(QStringLiteral(":/quillbrow/quillbrow.svg")).pixmap(48, 48));
    pIcon->setAlignment(Qt::AlignTop);
    auto *pNotice = new QLabel(tr("A multiple-document web browser for Linux desktops."), this);
    auto *pAuthors = new QLabel(tr("The Quillbrow developers"), this);
    auto *pSeparator = new QFrame(this);
    pSeparator->setFrameShape(QFrame::HLine);
    pSeparator->setFrameShadow(QFrame::Sunken);
    auto *pButtons = new QDialogButtonBox(this);
    QPushButton *pOk = pButtons->addButton(tr("&Ok"), QDialogButtonBox::AcceptRole);
    pOk->setDefault(true);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *pFacts = new QGridLayout;
    pFacts->addWidget(new QLabel(tr("Author:"), this), 0, 0);
    pFacts->addWidget(pAuthors, 0, 1);
    pFacts->addWidget(new QLabel(tr("E-mail:"), this), 1, 0);
    pFacts->addWidget(m_linkMail, 1, 1, Qt::AlignLeft);
    pFacts->addWidget(new QLabel(tr("Web:"), this), 2, 0);
    pFacts->addWidget(m_linkWeb, 2, 1, Qt::AlignLeft);
    pFacts->setColumnStretch(1, 1);

    auto *pText = new QVBoxLayout;
    pText->addWidget(m_staticTitle);
    pText->addWidget(pNotice);
    pText->addSpacing(8);
    pText->addLayout(pFacts);
    pText->addSpacing(8);
    pText->addWidget(m_staticEngine);

    auto *pTop = new QHBoxLayout;
    pTop->addWidget(pIcon, 0, Qt::AlignTop);
    pTop->addSpacing(8);
    pTop->addLayout(pText, 1);

    auto *pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addWidget(pSeparator);
    pLayout->addWidget(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);

    OnInitDialog();
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::EngineTemplate()
{
    return tr("Qt WebEngine %1").arg(CEngineInfo::ReadWebEngineVersion());
}

void CAboutDlg::OnInitDialog()
{
    m_staticTitle->setText(tr("Quillbrow %1").arg(LoadString(IDS_VERSION)));

    const QString email = LoadString(IDS_EMAIL_ADDRESS);
    const QString web = LoadString(IDS_WEB_SITE_ADDRESS);
    m_linkMail->AttachLink(email, QStringLiteral("mailto:%1").arg(email));
    m_linkWeb->AttachLink(web);
    m_linkMail->setToolTip(tr("E-mail to author"));
    m_linkWeb->setToolTip(tr("Visit web site"));

    QFont bold = m_staticTitle->font();
    bold.setWeight(QFont::ExtraBold);
    m_staticTitle->setFont(bold);

    // Without a version text the label keeps its template.
    QString version;
    if (CEngineInfo::ReadEngineVersion(version) > 0)
        m_staticEngine->setText(EngineTemplate() + tr(", Chromium ") + version);
}

int CAboutDlg::exec()
{
    CDialogScript<CAboutDlg>::ScheduleNext(this, QDialog::Rejected);
    return QDialog::exec();
}

void CAboutDlg::SetNextScript(CDialogScript<CAboutDlg>::Script script)
{
    CDialogScript<CAboutDlg>::Add(std::move(script));
}

bool CAboutDlg::HasPendingScripts()
{
    return CDialogScript<CAboutDlg>::HasPending();
}

void CAboutDlg::ClearNextScripts()
{
    CDialogScript<CAboutDlg>::Clear();
}
