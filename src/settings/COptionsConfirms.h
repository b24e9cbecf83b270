#pragma once

#include "COptionsPage.h"

#include <QList>

class CSettings;
class QCheckBox;

// The "Confirms" page: one box per question the user can switch off, so a question
// switched off in the question itself can be switched on again.
class COptionsConfirms : public COptionsPage
{
    Q_OBJECT
public:
    explicit COptionsConfirms(CSettings &settings, QWidget *parent = nullptr);

    void OnInitDialog() override;
    void OnOK() override;

    // The boxes top to bottom: exit, close all, close all except, a page closing its
    // window, synchronise, clear addresses, add to AutoClose.
    QList<QCheckBox *> Boxes() const;

private:
    struct SBox
    {
        QCheckBox *pBox;
        int CSettings::*pFlag;
    };

    CSettings &m_settings;
    QList<SBox> m_boxes;
};
