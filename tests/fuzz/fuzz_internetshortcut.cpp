// Internet shortcut files (.url) as the Favorites folder may hold them.

#include "CInternetShortcut.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray contents = FuzzBytes(data, size);
    const QString url = CInternetShortcut::ParseUrl(contents);
    // What the program writes for a URL it read, it reads back the same.
    if (!url.isEmpty())
        FUZZ_ASSERT(CInternetShortcut::ParseUrl(CInternetShortcut::Compose(url)) == url);
    CInternetShortcut::DecodeUtf7(contents);
    return 0;
}
