#include "CEngineStore.h"

#include "CRegistry.h"

namespace {

// An address ends at its first NUL: a value written by another tool may carry one.
QString readAddress(const QString &valueName)
{
    QString address;
    RegReadString(ERegRoot::Engine, EngineStore::kMainKey, valueName, address);
    const qsizetype nul = address.indexOf(QChar(u'\0'));
    if (nul >= 0)
        address.truncate(nul);
    return address;
}

} // namespace

namespace EngineStore {

QString ReadStartPage()
{
    return readAddress(kStartPageValue);
}

bool WriteStartPage(const QString &address)
{
    return RegWriteString(ERegRoot::Engine, kMainKey, kStartPageValue, address);
}

QString ReadSearchPage()
{
    const QString address = readAddress(kSearchPageValue);
    return address.isEmpty() ? kDefaultSearchPage : address;
}

bool WriteSearchPage(const QString &address)
{
    return RegWriteString(ERegRoot::Engine, kMainKey, kSearchPageValue, address);
}

QString ReadSyncCommand()
{
    QString command;
    RegReadString(ERegRoot::Engine, kMainKey, kSyncCommandValue, command);
    return command.trimmed();
}

} // namespace EngineStore
