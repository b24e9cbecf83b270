#pragma once

#include "CRegistry.h"

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
    // The index of the enabled entry that matches address, -1 when none does.
    int FindAutoClose(const QString &address) const;
    // Appends entry after removing every entry equal to it; the new entry takes over
    // the closed-window counts of the entries it replaces.
    void AddAutoClose(const QString &entry);
    // Loads the list and its counts; returns the number of entries read.
    int LoadAutoCloseList();
    // Replaces the stored list and its counts in one write.
    void SaveAutoCloseList();
    // The list and its counts as Save and SaveAutoCloseList store them.
    QList<CRegNumberedValues> AutoCloseKeys() const;

    // The number of windows entry nIndex of AutoCloseList has closed; 0 for an index
    // the counts do not reach.
    int GetAutoCloseCount(int nIndex) const;
    // One more window closed by entry nIndex.
    void CountAutoClose(int nIndex);

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
    // Ask before opening again the windows of a run that did not end normally.
    int ConfirmReopenWindows;
    int ActivateNewWindow;
    int OpenInNewWindow;
    int StartMode;
    QString BlankPage;
    QString LastVisited;
    QString CustomHomepage;
    int MaximizeChild;
    QStringList AutoCloseList;
    // The windows each entry of AutoCloseList has closed, by the same index. It may be
    // shorter than the list (code that sets the list alone leaves it so): a missing
    // count is 0. Stored beside the list, in "AutoCloseCount", with the same numbers.
    QList<int> AutoCloseCount;

private:
    // GetStartPage returns a reference; the engine's page is kept here.
    mutable QString m_strEngineStartPage;
};
