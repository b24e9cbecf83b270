#include "COptionsPage.h"

COptionsPage::COptionsPage(const QString &strTitle, QWidget *parent)
    : QWidget(parent)
    , m_strTitle(strTitle)
{ }

void COptionsPage::Initialize()
{
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    OnInitDialog();
}
