// Bookmark files as other browsers export them; what reads is written back in a form
// that reads again with the same links.

#include "CBookmarkFile.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SBookmark root;
    if (CBookmarkFile::Parse(FuzzBytes(data, size), root) != EBookmarkResult::Ok)
        return 0;
    SBookmark again;
    FUZZ_ASSERT(CBookmarkFile::Parse(CBookmarkFile::Compose(root), again) == EBookmarkResult::Ok);
    FUZZ_ASSERT(again.CountLinks() == root.CountLinks());
    return 0;
}
