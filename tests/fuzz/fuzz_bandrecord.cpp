// The stored rebar layout ("ReBar"): any value yields the four bands, and a layout
// written back reads as itself.

#include "CBandRecord.h"
#include "FuzzInput.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<CBandRecord> records = CBandRecord::FromBytes(FuzzBytes(data, size));
    FUZZ_ASSERT(records.size() == CBandRecord::kBandCount);
    QSet<quint32> ids;
    for (const CBandRecord &record : records) {
        FUZZ_ASSERT(CBandRecord::IsBandId(record.wID));
        ids.insert(record.wID);
    }
    FUZZ_ASSERT(ids.size() == CBandRecord::kBandCount);
    CBandRecord::ApplyForcedValues(records);
    const QByteArray stored = CBandRecord::ToBytes(records);
    FUZZ_ASSERT(stored.size() == CBandRecord::kStoredSize);
    FUZZ_ASSERT(CBandRecord::FromBytes(stored) == records);
    return 0;
}
