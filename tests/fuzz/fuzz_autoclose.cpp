// The AutoClose entry strings: the first line is an address, the others entries.
// Matching, equality and adding hold their rules for any text.

#include "CAutoCloseList.h"
#include "FuzzInput.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList lines = QString::fromUtf8(FuzzBytes(data, size)).split(u'\n');
    const QString address = lines.takeFirst();
    const qsizetype nFound = AutoClose::FindAutoClose(lines, address);
    FUZZ_ASSERT(nFound >= -1 && nFound < lines.size());
    FUZZ_ASSERT(AutoClose::IsAutoClose(lines, address) == (nFound >= 0));
    if (nFound >= 0)
        FUZZ_ASSERT(AutoClose::EntryMatches(lines[nFound], address));
    for (const QString &entry : std::as_const(lines)) {
        FUZZ_ASSERT(AutoClose::EntriesEqual(entry, entry) == !entry.isEmpty());
        FUZZ_ASSERT(AutoClose::EntriesEqual(entry, address)
                    == AutoClose::EntriesEqual(address, entry));
    }
    if (lines.isEmpty())
        return 0;
    const QString entry = lines.takeLast();
    AutoClose::AddAutoClose(lines, entry);
    FUZZ_ASSERT(lines.last() == entry);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        FUZZ_ASSERT(!AutoClose::EntriesEqual(lines[i], entry));
    return 0;
}
