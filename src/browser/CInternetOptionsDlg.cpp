#include "CInternetOptionsDlg.h"

#include "CConfirmDlg.h"
#include "CEngineStore.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CTypedUrlList.h"
#include "CWebEngine.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace {

const QString kBlankPage = QStringLiteral("about:blank");

} // namespace

CInternetOptionsDlg::CInternetOptionsDlg(QWidget *pParent, const QString &currentAddress)
    : QDialog(pParent)
    , m_strCurrentAddress(currentAddress)
    , m_strOldHomePage(EngineStore::ReadStartPage())
    , m_strOldSearchPage(EngineStore::ReadSearchPage())
    , m_pHomePage(new QLineEdit(m_strOldHomePage, this))
    , m_pSearchPage(new QLineEdit(m_strOldSearchPage, this))
    , m_pUseCurrent(new QPushButton(tr("Use &Current"), this))
    , m_pUseBlank(new QPushButton(tr("Use &Blank"), this))
    , m_pDeleteCookies(new QPushButton(tr("Delete Coo&kies..."), this))
    , m_pDeleteFiles(new QPushButton(tr("Delete &Files..."), this))
    , m_pClearHistory(new QPushButton(tr("Clear &History..."), this))
    , m_pStatus(new QLabel(this))
{
    setObjectName(QStringLiteral("InternetOptionsDlg"));
    setWindowTitle(tr("Internet Options"));

    auto *home = new QGroupBox(tr("Home page"), this);
    auto *homeLayout = new QVBoxLayout(home);
    auto *homeText = new QLabel(tr("You can change which page to use for your home page."), home);
    homeText->setWordWrap(true);
    homeLayout->addWidget(homeText);
    auto *homeForm = new QFormLayout;
    homeForm->addRow(tr("Add&ress:"), m_pHomePage);
    homeLayout->addLayout(homeForm);
    auto *homeButtons = new QHBoxLayout;
    homeButtons->addStretch(1);
    homeButtons->addWidget(m_pUseCurrent);
    homeButtons->addWidget(m_pUseBlank);
    homeLayout->addLayout(homeButtons);
    m_pUseCurrent->setEnabled(!m_strCurrentAddress.isEmpty());
    connect(m_pUseCurrent, &QPushButton::clicked, this,
            [this] { m_pHomePage->setText(m_strCurrentAddress); });
    connect(m_pUseBlank, &QPushButton::clicked, this, [this] { m_pHomePage->setText(kBlankPage); });

    auto *search = new QGroupBox(tr("Search page"), this);
    auto *searchForm = new QFormLayout(search);
    searchForm->addRow(tr("Addr&ess:"), m_pSearchPage);

    auto *data = new QGroupBox(tr("Browsing data"), this);
    auto *dataLayout = new QVBoxLayout(data);
    auto *dataText = new QLabel(tr("Pages you visit keep cookies and copies of their files, and "
                                   "the addresses you type and visit are remembered."),
                                data);
    dataText->setWordWrap(true);
    dataLayout->addWidget(dataText);
    auto *dataButtons = new QHBoxLayout;
    dataButtons->addWidget(m_pDeleteCookies);
    dataButtons->addWidget(m_pDeleteFiles);
    dataButtons->addWidget(m_pClearHistory);
    dataButtons->addStretch(1);
    dataLayout->addLayout(dataButtons);
    m_pStatus->setObjectName(QStringLiteral("StatusText"));
    dataLayout->addWidget(m_pStatus);

    connect(m_pDeleteCookies, &QPushButton::clicked, this, [this] {
        AskAndRun(
            IDS_CONFIRM_DELETE_COOKIES,
            [] { CWebEngine::Profile()->cookieStore()->deleteAllCookies(); },
            tr("The cookies have been deleted."));
    });
    connect(m_pDeleteFiles, &QPushButton::clicked, this, [this] {
        AskAndRun(
            IDS_CONFIRM_DELETE_FILES, [] { CWebEngine::Profile()->clearHttpCache(); },
            tr("The cached files have been deleted."));
    });
    connect(m_pClearHistory, &QPushButton::clicked, this, [this] {
        AskAndRun(
            IDS_CONFIRM_CLEAR_HISTORY,
            [] {
                ClearTypedUrls();
                CWebEngine::Profile()->clearAllVisitedLinks();
            },
            tr("The history has been cleared."));
    });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &CInternetOptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CInternetOptionsDlg::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(home);
    layout->addWidget(search);
    layout->addWidget(data);
    layout->addStretch(1);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 64);
}

CInternetOptionsDlg::~CInternetOptionsDlg() = default;

int CInternetOptionsDlg::exec()
{
    CDialogScript<CInternetOptionsDlg>::ScheduleNext(this, QDialog::Rejected);
    return QDialog::exec();
}

void CInternetOptionsDlg::accept()
{
    // Only what the user changed is written, so a store another copy changed meanwhile
    // keeps its other value.
    const QString home = m_pHomePage->text().trimmed();
    if (home != m_strOldHomePage)
        EngineStore::WriteStartPage(home);
    const QString search = m_pSearchPage->text().trimmed();
    if (search != m_strOldSearchPage)
        EngineStore::WriteSearchPage(search);
    QDialog::accept();
}

void CInternetOptionsDlg::AskAndRun(int nQuestionId, const std::function<void()> &action,
                                    const QString &done)
{
    CConfirmDlg dlg(this, LoadString(nQuestionId), Mb::YesNo | Mb::IconQuestion, false);
    if (dlg.exec() != IDYES)
        return;
    action();
    m_pStatus->setText(done);
}

QString CInternetOptionsDlg::StatusText() const
{
    return m_pStatus->text();
}

void CInternetOptionsDlg::SetNextScript(CDialogScript<CInternetOptionsDlg>::Script script)
{
    CDialogScript<CInternetOptionsDlg>::Add(std::move(script));
}

bool CInternetOptionsDlg::HasPendingScripts()
{
    return CDialogScript<CInternetOptionsDlg>::HasPending();
}

void CInternetOptionsDlg::ClearNextScripts()
{
    CDialogScript<CInternetOptionsDlg>::Clear();
}

int ShowInternetOptions(QWidget *pParent, const QString &currentAddress)
{
    CInternetOptionsDlg dlg(pParent, currentAddress);
    return dlg.exec();
}
