#pragma once

#include <QString>
#include <QStringList>

// Every user option of the program, in one record that the application object
// holds for the whole run. Loaded once at start-up, saved at exit and when the
// options close with OK. Values are kept as read: out-of-range integers are
// interpreted where they are used, so a value this version does not know
// survives a save.
class CSettings
{
public:
    CSettings();
    virtual ~CSettings();

    void SetDefaults();
    // Reads every stored value in the fixed order, each defaulting to the current
    // field, then reloads the AutoClose list. A store that cannot be parsed counts
    // as empty and is set aside as "<file>.broken" when it is next saved.
    void Load();
    // Writes every value in the same order, then replaces the stored AutoClose list.
    void Save();

    // The address StartMode selects; engineStartPage is the engine's home page.
    const QString &GetStartPage(const QString &engineStartPage) const;

    bool IsAutoClose(const QString &address) const;
    void AddAutoClose(const QString &entry);
    int LoadAutoCloseList();
    void SaveAutoCloseList();

    int ActivateMode;
    int DisplaySplash;
    int CheckDefaultBrowser;
    int MultipleInstance;
    int ConfirmExitApp;
    int ConfirmSynchronize;
    int ConfirmCloseAll;
    int ConfirmCloseAllEx;
    int ConfirmUserClose;
    int ConfirmClearAddress;
    int ConfirmAddToAutoClose;
    int ActivateNewWindow;
    int OpenInNewWindow;
    int StartMode;
    QString BlankPage;
    QString LastVisited;
    QString CustomHomepage;
    int MaximizeChild;
    QStringList AutoCloseList;

private:
    // GetStartPage returns a reference; the engine's page is kept here.
    mutable QString m_strEngineStartPage;
};
