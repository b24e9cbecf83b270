// The stored frame placement ("MainFramePosition"): any value reads, its rectangle
// can be computed, and the record written back reads as itself.

#include "CFramePlacement.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const CFramePlacement placement = CFramePlacement::FromBytes(FuzzBytes(data, size));
    const QRect rect = placement.NormalRect();
    CFramePlacement moved = placement;
    moved.SetNormalRect(rect);
    const QByteArray stored = placement.ToBytes();
    FUZZ_ASSERT(stored.size() == CFramePlacement::kSize);
    FUZZ_ASSERT(CFramePlacement::FromBytes(stored).ToBytes() == stored);
    return 0;
}
