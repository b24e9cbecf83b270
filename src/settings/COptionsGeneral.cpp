#include "COptionsGeneral.h"

#include "CConfirmDlg.h"
#include "CDefaultBrowser.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

COptionsGeneral::COptionsGeneral(CSettings &settings, const QString &strEngineHomepage,
                                 QWidget *parent)
    : COptionsPage(tr("General"), parent)
    , m_settings(settings)
    , m_strEngineHomepage(strEngineHomepage)
{
    // Created in tab order.
    auto *pStart = new QGroupBox(tr("Starts With "), this);
    m_pBlank = new QRadioButton(tr("&Blank"), pStart);
    m_pLastVisited = new QRadioButton(tr("&Last Visited"), pStart);
    m_pEngineHomepage = new QRadioButton(tr("&Homepage of Qt WebEngine"), pStart);
    m_pEngineHomepageEdit = new QLineEdit(pStart);
    m_pEngineHomepageEdit->setReadOnly(true);
    m_pCustom = new QRadioButton(tr("&Custom:"), pStart);
    m_pCustomEdit = new QLineEdit(pStart);
    m_pSplash = new QCheckBox(tr("Displa&y splash screen"), this);
    m_pMultipleInstance = new QCheckBox(tr("Allow &multiple instance of Quillbrow"), this);
    m_pCheckDefault
        = new QCheckBox(tr("Chec&k whether Quillbrow is default browser on start up"), this);
    m_pSetDefault = new QPushButton(tr("&Set Default..."), this);

    // The four radios are one choice; each edit sits under its radio, indented like
    // the radio's text.
    auto *pGroup = new QButtonGroup(this);
    for (QRadioButton *pRadio : {m_pBlank, m_pLastVisited, m_pEngineHomepage, m_pCustom})
        pGroup->addButton(pRadio);
    const int nIndent = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
        + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    auto *pStartLayout = new QGridLayout(pStart);
    pStartLayout->setColumnMinimumWidth(0, nIndent);
    pStartLayout->addWidget(m_pBlank, 0, 0, 1, 2);
    pStartLayout->addWidget(m_pLastVisited, 1, 0, 1, 2);
    pStartLayout->addWidget(m_pEngineHomepage, 2, 0, 1, 2);
    pStartLayout->addWidget(m_pEngineHomepageEdit, 3, 1);
    pStartLayout->addWidget(m_pCustom, 4, 0, 1, 2);
    pStartLayout->addWidget(m_pCustomEdit, 5, 1);

    auto *pDefaultRow = new QHBoxLayout;
    pDefaultRow->addWidget(m_pCheckDefault, 1);
    pDefaultRow->addWidget(m_pSetDefault);

    auto *pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pStart);
    pLayout->addWidget(m_pSplash);
    pLayout->addWidget(m_pMultipleInstance);
    pLayout->addLayout(pDefaultRow);
    pLayout->addStretch();

    connect(m_pBlank, &QRadioButton::clicked, this, &COptionsGeneral::OnBlank);
    connect(m_pLastVisited, &QRadioButton::clicked, this, &COptionsGeneral::OnBlank);
    connect(m_pEngineHomepage, &QRadioButton::clicked, this, &COptionsGeneral::OnEngineHomepage);
    connect(m_pCustom, &QRadioButton::clicked, this, &COptionsGeneral::OnCustom);
    connect(m_pSetDefault, &QPushButton::clicked, this, &COptionsGeneral::OnSetDefault);
}

void COptionsGeneral::OnInitDialog()
{
    // The texts go in first, so that the chosen edit gets its whole text selected.
    m_pEngineHomepageEdit->setText(m_strEngineHomepage);
    m_pCustomEdit->setText(m_settings.CustomHomepage);
    switch (m_settings.StartMode) {
    case 1:
        m_pLastVisited->setChecked(true);
        OnBlank();
        break;
    case 2:
        m_pEngineHomepage->setChecked(true);
        OnEngineHomepage();
        break;
    case 3:
        m_pCustom->setChecked(true);
        OnCustom();
        break;
    default:
        // A mode this version does not know starts blank, and shows so.
        m_pBlank->setChecked(true);
        OnBlank();
        break;
    }
    m_pMultipleInstance->setChecked(m_settings.MultipleInstance != 0);
    m_pCheckDefault->setChecked(m_settings.CheckDefaultBrowser != 0);
    m_pSplash->setChecked(m_settings.DisplaySplash != 0);
}

void COptionsGeneral::FocusWholeText(QLineEdit *pEdit)
{
    pEdit->setFocus(Qt::OtherFocusReason);
    pEdit->selectAll();
}

void COptionsGeneral::OnBlank()
{
    m_pEngineHomepageEdit->setEnabled(false);
    m_pCustomEdit->setEnabled(false);
}

void COptionsGeneral::OnEngineHomepage()
{
    m_pEngineHomepageEdit->setEnabled(true);
    m_pCustomEdit->setEnabled(false);
    FocusWholeText(m_pEngineHomepageEdit);
}

void COptionsGeneral::OnCustom()
{
    m_pEngineHomepageEdit->setEnabled(false);
    m_pCustomEdit->setEnabled(true);
    FocusWholeText(m_pCustomEdit);
}

bool COptionsGeneral::OnKillActive()
{
    // Any other text is taken as an address; only nothing at all is refused.
    if (!m_pCustom->isChecked() || !m_pCustomEdit->text().isEmpty())
        return true;
    CConfirmDlg dlg(this, LoadString(IDS_EMPTY_CUSTOM_PAGE), Mb::Ok | Mb::IconStop, false);
    dlg.exec();
    m_pCustomEdit->setFocus(Qt::OtherFocusReason);
    // A tab switch by the keyboard gives the focus to the tabs once it is over, when no
    // widget has it, as happens while the message's window is going away.
    QMetaObject::invokeMethod(
        m_pCustomEdit, [edit = m_pCustomEdit] { edit->setFocus(Qt::OtherFocusReason); },
        Qt::QueuedConnection);
    return false;
}

void COptionsGeneral::OnOK()
{
    if (m_pBlank->isChecked())
        m_settings.StartMode = 0;
    else if (m_pLastVisited->isChecked())
        m_settings.StartMode = 1;
    else if (m_pEngineHomepage->isChecked())
        m_settings.StartMode = 2;
    else if (m_pCustom->isChecked())
        m_settings.StartMode = 3;
    // Kept whichever start is chosen, so switching back to "Custom" finds it again.
    m_settings.CustomHomepage = m_pCustomEdit->text();
    m_settings.MultipleInstance = m_pMultipleInstance->isChecked() ? 1 : 0;
    m_settings.CheckDefaultBrowser = m_pCheckDefault->isChecked() ? 1 : 0;
    m_settings.DisplaySplash = m_pSplash->isChecked() ? 1 : 0;
}

void COptionsGeneral::OnSetDefault()
{
    CConfirmDlg dlg(this, LoadString(IDS_CONFIRM_SET_DEFAULT), Mb::YesNo | Mb::IconQuestion, false);
    if (dlg.exec() == IDYES)
        DefaultBrowser::MakeDefaultBrowser();
}
