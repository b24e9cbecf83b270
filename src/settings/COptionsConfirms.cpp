#include "COptionsConfirms.h"

#include "CSettings.h"

#include <QCheckBox>
#include <QVBoxLayout>

COptionsConfirms::COptionsConfirms(CSettings &settings, QWidget *parent)
    : COptionsPage(tr("Confirms"), parent)
    , m_settings(settings)
{
    const struct
    {
        const char *pszText;
        int CSettings::*pFlag;
    } boxes[] = {
        {QT_TR_NOOP("Confirm when try to exit &Quillbrow"), &CSettings::ConfirmExitApp},
        {QT_TR_NOOP("Confirm when try to close all &windows"), &CSettings::ConfirmCloseAll},
        {QT_TR_NOOP("Confirm when try to close all windows except &selected one"),
         &CSettings::ConfirmCloseAllEx},
        {QT_TR_NOOP("Confirm when try to close window &required by the page viewing"),
         &CSettings::ConfirmUserClose},
        {QT_TR_NOOP("Confirm when try to synchronize offline &folders"),
         &CSettings::ConfirmSynchronize},
        {QT_TR_NOOP("Confirm when try to clear a&ddresses"), &CSettings::ConfirmClearAddress},
        {QT_TR_NOOP("Confirm when try to add address into AutoClose &list"),
         &CSettings::ConfirmAddToAutoClose},
        {QT_TR_NOOP("Confirm when try to reopen the windows left open by a cras&h"),
         &CSettings::ConfirmReopenWindows},
    };
    auto *pLayout = new QVBoxLayout(this);
    for (const auto &box : boxes) {
        auto *pBox = new QCheckBox(tr(box.pszText), this);
        pLayout->addWidget(pBox);
        m_boxes.append({pBox, box.pFlag});
    }
    pLayout->addStretch();
}

QList<QCheckBox *> COptionsConfirms::Boxes() const
{
    QList<QCheckBox *> boxes;
    for (const SBox &box : m_boxes)
        boxes.append(box.pBox);
    return boxes;
}

void COptionsConfirms::OnInitDialog()
{
    for (const SBox &box : std::as_const(m_boxes))
        box.pBox->setChecked(m_settings.*box.pFlag != 0);
}

void COptionsConfirms::OnOK()
{
    for (const SBox &box : std::as_const(m_boxes))
        m_settings.*box.pFlag = box.pBox->isChecked() ? 1 : 0;
}
