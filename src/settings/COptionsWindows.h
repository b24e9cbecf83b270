#pragma once

#include "COptionsPage.h"

class CSettings;
class QCheckBox;
class QRadioButton;

// The "Windows" page: whether a window a page opens is activated, whether documents
// open in a new window, and which window becomes active when the active one closes.
class COptionsWindows : public COptionsPage
{
    Q_OBJECT
public:
    explicit COptionsWindows(CSettings &settings, QWidget *parent = nullptr);

    void OnInitDialog() override;
    void OnOK() override;

    QCheckBox *ActivateNewWindowBox() const { return m_pActivateNewWindow; }
    QCheckBox *OpenInNewWindowBox() const { return m_pOpenInNewWindow; }
    QRadioButton *PreviousRadio() const { return m_pPrevious; }
    QRadioButton *NextRadio() const { return m_pNext; }
    QRadioButton *CreationOrderRadio() const { return m_pCreationOrder; }

private:
    CSettings &m_settings;
    QCheckBox *m_pActivateNewWindow;
    QCheckBox *m_pOpenInNewWindow;
    QRadioButton *m_pPrevious;
    QRadioButton *m_pNext;
    QRadioButton *m_pCreationOrder;
};
