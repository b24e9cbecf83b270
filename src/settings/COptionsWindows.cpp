#include "COptionsWindows.h"

#include "CSettings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

COptionsWindows::COptionsWindows(CSettings &settings, QWidget *parent)
    : COptionsPage(tr("Windows"), parent)
    , m_settings(settings)
{
    m_pActivateNewWindow = new QCheckBox(tr("&Activate the new browse window"), this);
    m_pOpenInNewWindow = new QCheckBox(tr("Open &document in new window"), this);
    auto *pClosing = new QGroupBox(tr(" When Closing Window "), this);
    m_pPrevious = new QRadioButton(tr("Activate &previous window"), pClosing);
    m_pNext = new QRadioButton(tr("Activate &next window"), pClosing);
    m_pCreationOrder = new QRadioButton(tr("Activate window &in creating order"), pClosing);

    auto *pClosingLayout = new QVBoxLayout(pClosing);
    pClosingLayout->addWidget(m_pPrevious);
    pClosingLayout->addWidget(m_pNext);
    pClosingLayout->addWidget(m_pCreationOrder);

    auto *pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pActivateNewWindow);
    pLayout->addWidget(m_pOpenInNewWindow);
    pLayout->addWidget(pClosing);
    pLayout->addStretch();
}

void COptionsWindows::OnInitDialog()
{
    m_pActivateNewWindow->setChecked(m_settings.ActivateNewWindow != 0);
    m_pOpenInNewWindow->setChecked(m_settings.OpenInNewWindow != 0);
    switch (m_settings.ActivateMode) {
    case 1:
        m_pNext->setChecked(true);
        break;
    case 2:
        m_pCreationOrder->setChecked(true);
        break;
    default:
        m_pPrevious->setChecked(true);
        break;
    }
}

void COptionsWindows::OnOK()
{
    m_settings.ActivateNewWindow = m_pActivateNewWindow->isChecked() ? 1 : 0;
    m_settings.OpenInNewWindow = m_pOpenInNewWindow->isChecked() ? 1 : 0;
    if (m_pNext->isChecked())
        m_settings.ActivateMode = 1;
    else if (m_pCreationOrder->isChecked())
        m_settings.ActivateMode = 2;
    else
        m_settings.ActivateMode = 0;
}
