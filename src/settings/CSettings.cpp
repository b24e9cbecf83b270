#include "CSettings.h"

#include "CAutoCloseList.h"
#include "CErrorReport.h"
#include "CRegistry.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <unistd.h>
#include <utility>

namespace {
const QString kSection = QStringLiteral("Settings");
const QString kAutoCloseKey = QStringLiteral("Settings\\AutoClose");
const QString kAutoCloseCountKey = QStringLiteral("Settings\\AutoCloseCount");
const QString kAutoCloseValuePrefix = QStringLiteral("url");
const QString kAboutBlank = QStringLiteral("about:blank");

QString AutoCloseValueName(int n)
{
    return kAutoCloseValuePrefix + QString::number(n);
}

// The reason the store cannot be written, for the error report. Trying the file
// itself gives the system's own answer (a read-only file, a folder that is a file);
// when that attempt unexpectedly works, access is what was refused.
int StoreWriteError()
{
    const QByteArray path = QFile::encodeName(RegStorePath(ERegRoot::Program));
    const bool bExisted = ::access(path.constData(), F_OK) == 0;
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno != 0 ? errno : EACCES;
    ::close(fd);
    if (!bExisted)
        ::unlink(path.constData());
    return EACCES;
}
} // namespace

CSettings::CSettings()
{
    SetDefaults();
}

CSettings::~CSettings() = default;

void CSettings::SetDefaults()
{
    ActivateMode = 0;
    DisplaySplash = 1;
    CheckDefaultBrowser = 1;
    MultipleInstance = 0;
    ConfirmExitApp = 1;
    ConfirmSynchronize = 1;
    ConfirmCloseAll = 1;
    ConfirmCloseAllEx = 1;
    ConfirmUserClose = 1;
    ConfirmClearAddress = 1;
    ConfirmAddToAutoClose = 1;
    ConfirmReopenWindows = 1;
    ActivateNewWindow = 1;
    OpenInNewWindow = 1;
    StartMode = 2;
    BlankPage = kAboutBlank;
    LastVisited = kAboutBlank;
    CustomHomepage = kAboutBlank;
    MaximizeChild = 0;
}

// Each read falls back to the field itself, so a value missing from the store (or
// unreadable) keeps what the record held. No range checks: a value this version does
// not understand is interpreted where it is used and survives the next save.
void CSettings::Load()
{
    auto readInt = [](const QString &name, int &field) {
        field = GetProfileInt(kSection, name, field);
    };
    auto readString = [](const QString &name, QString &field) {
        field = GetProfileString(kSection, name, field);
    };

    readInt(QStringLiteral("StartMode"), StartMode);
    readInt(QStringLiteral("ActivateNewWindow"), ActivateNewWindow);
    readString(QStringLiteral("LastVisited"), LastVisited);
    readString(QStringLiteral("CustomHomepage"), CustomHomepage);
    readInt(QStringLiteral("ConfirmExitApp"), ConfirmExitApp);
    readInt(QStringLiteral("ConfirmCloseAll"), ConfirmCloseAll);
    readInt(QStringLiteral("ConfirmCloseAllEx"), ConfirmCloseAllEx);
    readInt(QStringLiteral("ConfirmSynchronize"), ConfirmSynchronize);
    readInt(QStringLiteral("ConfirmUserClose"), ConfirmUserClose);
    readInt(QStringLiteral("ConfirmClearAddress"), ConfirmClearAddress);
    readInt(QStringLiteral("ConfirmAddToAutoClose"), ConfirmAddToAutoClose);
    readInt(QStringLiteral("ConfirmReopenWindows"), ConfirmReopenWindows);
    readInt(QStringLiteral("MaximizeChild"), MaximizeChild);
    readInt(QStringLiteral("OpenInNewWindow"), OpenInNewWindow);
    readInt(QStringLiteral("MultipleInstance"), MultipleInstance);
    readInt(QStringLiteral("CheckDefaultBrowser"), CheckDefaultBrowser);
    readInt(QStringLiteral("DisplaySplash"), DisplaySplash);
    readInt(QStringLiteral("ActivateMode"), ActivateMode);

    AutoCloseList.clear();
    AutoCloseCount.clear();
    LoadAutoCloseList();
}

// Write failures are not reported beyond the list's: the record stays intact in
// memory and the next save tries again. Fields and list go in one write, so a
// program killed while saving leaves the previous record or this one, never a mix.
void CSettings::Save()
{
    const auto integer = [](const QString &name, int value) {
        return CRegValue {kSection, name, value};
    };
    const auto string = [](const QString &name, const QString &value) {
        return CRegValue {kSection, name, value};
    };
    const QList<CRegValue> values = {
        integer(QStringLiteral("StartMode"), StartMode),
        integer(QStringLiteral("ActivateNewWindow"), ActivateNewWindow),
        string(QStringLiteral("LastVisited"), LastVisited),
        string(QStringLiteral("CustomHomepage"), CustomHomepage),
        integer(QStringLiteral("ConfirmExitApp"), ConfirmExitApp),
        integer(QStringLiteral("ConfirmCloseAll"), ConfirmCloseAll),
        integer(QStringLiteral("ConfirmCloseAllEx"), ConfirmCloseAllEx),
        integer(QStringLiteral("ConfirmSynchronize"), ConfirmSynchronize),
        integer(QStringLiteral("ConfirmUserClose"), ConfirmUserClose),
        integer(QStringLiteral("ConfirmClearAddress"), ConfirmClearAddress),
        integer(QStringLiteral("ConfirmAddToAutoClose"), ConfirmAddToAutoClose),
        integer(QStringLiteral("ConfirmReopenWindows"), ConfirmReopenWindows),
        integer(QStringLiteral("MaximizeChild"), MaximizeChild),
        integer(QStringLiteral("OpenInNewWindow"), OpenInNewWindow),
        integer(QStringLiteral("MultipleInstance"), MultipleInstance),
        integer(QStringLiteral("CheckDefaultBrowser"), CheckDefaultBrowser),
        integer(QStringLiteral("DisplaySplash"), DisplaySplash),
        integer(QStringLiteral("ActivateMode"), ActivateMode),
    };
    const QList<CRegNumberedValues> list = AutoCloseKeys();
    if (!list.constFirst().values.isEmpty() && !RegIsWritable(ERegRoot::Program)) {
        // The list in memory stays intact; the next successful save stores it.
        ShowSystemError(StoreWriteError());
        return;
    }
    RegWriteValues(ERegRoot::Program, values, list);
}

const QString &CSettings::GetStartPage(const QString &engineStartPage) const
{
    switch (StartMode) {
    case 1:
        return LastVisited;
    case 2:
        m_strEngineStartPage = engineStartPage;
        return m_strEngineStartPage;
    case 3:
        return CustomHomepage;
    default:
        return BlankPage;
    }
}

bool CSettings::IsAutoClose(const QString &address) const
{
    return AutoClose::IsAutoClose(AutoCloseList, address);
}

int CSettings::FindAutoClose(const QString &address) const
{
    return int(AutoClose::FindAutoClose(AutoCloseList, address));
}

void CSettings::AddAutoClose(const QString &entry)
{
    // The entries the rule replaces are exactly the equal ones; their counts move with
    // them to the new entry, so adding a listed address again keeps its tally.
    int nCarried = 0;
    for (int i = int(AutoCloseList.size()) - 1; i >= 0; --i) {
        if (!AutoClose::EntriesEqual(AutoCloseList.at(i), entry))
            continue;
        nCarried += GetAutoCloseCount(i);
        if (i < AutoCloseCount.size())
            AutoCloseCount.removeAt(i);
    }
    AutoClose::AddAutoClose(AutoCloseList, entry);
    AutoCloseCount.resize(AutoCloseList.size() - 1, 0);
    AutoCloseCount.append(nCarried);
}

int CSettings::GetAutoCloseCount(int nIndex) const
{
    return nIndex >= 0 && nIndex < AutoCloseCount.size() ? AutoCloseCount.at(nIndex) : 0;
}

void CSettings::CountAutoClose(int nIndex)
{
    if (nIndex < 0 || nIndex >= AutoCloseList.size())
        return;
    if (AutoCloseCount.size() <= nIndex)
        AutoCloseCount.resize(nIndex + 1, 0);
    if (AutoCloseCount[nIndex] < std::numeric_limits<int>::max())
        ++AutoCloseCount[nIndex];
}

// Reading stops at the first number without data, so entries after a gap are lost
// by design: the list is always written without gaps. A count that is missing, not a
// number or negative is 0: the counts only inform, they never keep an entry out.
int CSettings::LoadAutoCloseList()
{
    int nRead = 0;
    for (int n = 1;; ++n) {
        // A value another tool stored as a terminated string arrives without its NUL:
        // the terminator is no part of the address, and keeping it would stop the entry
        // from matching or equalling the same address typed again.
        QString entry;
        if (RegReadString(ERegRoot::Program, kAutoCloseKey, AutoCloseValueName(n), entry) <= 0)
            break;
        AutoCloseList.append(entry);
        AutoCloseCount.resize(AutoCloseList.size() - 1, 0);
        AutoCloseCount.append(qMax(0, GetProfileInt(kAutoCloseCountKey, AutoCloseValueName(n), 0)));
        ++nRead;
    }
    return nRead;
}

QList<CRegNumberedValues> CSettings::AutoCloseKeys() const
{
    // Both keys are replaced as a whole so that no value of a longer list survives;
    // empty entries are left out and the counts keep the numbers of their entries.
    QVariantList entries;
    QVariantList counts;
    for (int i = 0; i < AutoCloseList.size(); ++i) {
        if (AutoCloseList.at(i).isEmpty())
            continue;
        entries.append(AutoCloseList.at(i));
        counts.append(GetAutoCloseCount(i));
    }
    return {{kAutoCloseKey, kAutoCloseValuePrefix, entries},
            {kAutoCloseCountKey, kAutoCloseValuePrefix, counts}};
}

void CSettings::SaveAutoCloseList()
{
    const QList<CRegNumberedValues> keys = AutoCloseKeys();
    if (!keys.constFirst().values.isEmpty() && !RegIsWritable(ERegRoot::Program)) {
        // The list in memory stays intact; the next successful save stores it.
        ShowSystemError(StoreWriteError());
        return;
    }
    RegReplaceNumberedValues(ERegRoot::Program, keys);
}
