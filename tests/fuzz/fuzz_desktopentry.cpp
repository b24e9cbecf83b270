// A desktop entry as another program installed it: the file itself, and the Exec line
// with the addresses it is started with (the input's first part is the Exec line, the
// other NUL-separated parts are addresses).

#include "CDesktopApps.h"
#include "FuzzInput.h"

#include <QTemporaryFile>
#include <QUrl>

using namespace DesktopApps;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = FuzzParts(data, size, '\0');
    QList<QUrl> urls;
    for (qsizetype i = 1; i < parts.size(); ++i)
        urls.append(QUrl(QString::fromUtf8(parts.at(i))));
    CDesktopEntry entry;
    entry.name = QStringLiteral("Fuzz");
    entry.icon = QStringLiteral("fuzz");
    entry.path = QStringLiteral("/tmp/fuzz.desktop");
    if (const auto args = ParseExec(QString::fromUtf8(parts.first()), urls, entry)) {
        // A valid command always names its program.
        FUZZ_ASSERT(!args->isEmpty());
        FUZZ_ASSERT(!args->first().isEmpty());
    }

    // The same bytes as a whole file; whatever it says, the Exec it yields parses or
    // is refused without harm.
    static QTemporaryFile file;
    if (!file.isOpen() && !file.open())
        return 0;
    file.resize(0);
    file.seek(0);
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.flush();
    if (const auto read = ReadDesktopEntry(file.fileName(), QStringLiteral("fuzz.desktop"))) {
        if (const auto args = ParseExec(read->exec, urls, *read))
            FUZZ_ASSERT(!args->isEmpty() && !args->first().isEmpty());
    }
    return 0;
}
