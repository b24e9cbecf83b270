#include "CTypedUrlList.h"

#include "CEngineStore.h"
#include "CRegistry.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace {

QString ValueName(int n)
{
    return QStringLiteral("url%1").arg(n);
}

// Why the engine store cannot be written: the system's answer for the file, or for
// the nearest folder that exists when the file does not. EIO when both look
// writable, since the write failed all the same.
int StoreWriteError()
{
    QFileInfo target(RegStorePath(ERegRoot::Engine));
    while (!target.exists()) {
        const QFileInfo parent(target.absolutePath());
        if (parent.absoluteFilePath() == target.absoluteFilePath())
            return ENOENT;
        target = parent;
    }
    if (::access(QFile::encodeName(target.absoluteFilePath()).constData(), W_OK) != 0)
        return errno;
    return EIO;
}

} // namespace

int LoadTypedUrls(QStringList &out)
{
    int nRead = 0;
    for (int n = 1;; ++n) {
        QString url;
        if (RegReadString(ERegRoot::Engine, EngineStore::kTypedUrlsKey, ValueName(n), url) <= 0)
            break;
        // The engine stores its values with a terminator; anything after a NUL is
        // not part of the address.
        const qsizetype nul = url.indexOf(QChar(u'\0'));
        if (nul >= 0)
            url.truncate(nul);
        if (url.isEmpty())
            break;
        out.append(url);
        ++nRead;
    }
    return nRead;
}

int SaveTypedUrls(const QStringList &urls)
{
    // Replacing the key as a whole is what keeps values of a longer, older list
    // from surviving after the new list's end.
    ClearTypedUrls();
    if (urls.isEmpty())
        return 0;
    if (!RegIsWritable(ERegRoot::Engine))
        return StoreWriteError();

    if (!RegWriteNumberedStrings(ERegRoot::Engine, EngineStore::kTypedUrlsKey,
                                 QStringLiteral("url"), urls))
        return StoreWriteError();
    return 0;
}

bool ClearTypedUrls()
{
    return RegDeleteKey(ERegRoot::Engine, EngineStore::kTypedUrlsKey);
}

bool IsTypedUrlCandidate(const QString &address)
{
    return !address.isEmpty()
        && address.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) != 0;
}

qsizetype FindTypedUrl(const QStringList &list, const QString &address)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(address, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool AddTypedUrl(QStringList &list, const QString &address)
{
    if (!IsTypedUrlCandidate(address))
        return false;
    const qsizetype nIndex = FindTypedUrl(list, address);
    if (nIndex >= 0)
        list.removeAt(nIndex);
    list.prepend(address);
    return true;
}
