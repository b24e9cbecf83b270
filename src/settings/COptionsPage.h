#pragma once

#include <QString>
#include <QWidget>

// One page of the options sheet. The sheet initialises a page the first time it is
// shown, asks the page being left whether it may go, and on OK lets every page that
// was initialised write its settings, so a page never shown changes nothing.
class COptionsPage : public QWidget
{
    Q_OBJECT
public:
    explicit COptionsPage(const QString &strTitle, QWidget *parent = nullptr);

    QString Title() const { return m_strTitle; }
    bool IsInitialized() const { return m_bInitialized; }
    // Runs OnInitDialog the first time only.
    void Initialize();

    // Reads the settings into the controls.
    virtual void OnInitDialog() = 0;
    // False keeps the sheet on this page; the page has told the user why.
    virtual bool OnKillActive() { return true; }
    // Writes the controls into the settings.
    virtual void OnOK() = 0;

private:
    QString m_strTitle;
    bool m_bInitialized = false;
};
