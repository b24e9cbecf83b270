#pragma once

#include "COptionsPage.h"

class CSettings;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The "General" page: the start page (StartMode, CustomHomepage), the splash screen,
// several running copies, the default-browser check, and "Set Default..." that
// registers the program at once, whatever the sheet's ending.
class COptionsGeneral : public COptionsPage
{
    Q_OBJECT
public:
    // strEngineHomepage: the engine's home page, shown read-only and never written.
    COptionsGeneral(CSettings &settings, const QString &strEngineHomepage,
                    QWidget *parent = nullptr);

    void OnInitDialog() override;
    // Refuses to be left with "Custom" chosen and its address empty.
    bool OnKillActive() override;
    void OnOK() override;

    QRadioButton *BlankRadio() const { return m_pBlank; }
    QRadioButton *LastVisitedRadio() const { return m_pLastVisited; }
    QRadioButton *EngineHomepageRadio() const { return m_pEngineHomepage; }
    QRadioButton *CustomRadio() const { return m_pCustom; }
    QLineEdit *EngineHomepageEdit() const { return m_pEngineHomepageEdit; }
    QLineEdit *CustomEdit() const { return m_pCustomEdit; }
    QCheckBox *SplashBox() const { return m_pSplash; }
    QCheckBox *MultipleInstanceBox() const { return m_pMultipleInstance; }
    QCheckBox *CheckDefaultBox() const { return m_pCheckDefault; }
    QPushButton *SetDefaultButton() const { return m_pSetDefault; }

private:
    void OnBlank();
    void OnEngineHomepage();
    void OnCustom();
    void OnSetDefault();
    static void FocusWholeText(QLineEdit *pEdit);

    CSettings &m_settings;
    QString m_strEngineHomepage;
    QRadioButton *m_pBlank;
    QRadioButton *m_pLastVisited;
    QRadioButton *m_pEngineHomepage;
    QLineEdit *m_pEngineHomepageEdit;
    QRadioButton *m_pCustom;
    QLineEdit *m_pCustomEdit;
    QCheckBox *m_pSplash;
    QCheckBox *m_pMultipleInstance;
    QCheckBox *m_pCheckDefault;
    QPushButton *m_pSetDefault;
};
