#include "COfflineState.h"

#include "CEngineStore.h"
#include "CRegistry.h"

#include <QFile>

#include <cerrno>
#include <mutex>
#include <sys/stat.h>

namespace {

// What the store file looked like when it was last read. QSettings replaces the file
// on every write, so a change shows as a new inode even within one clock tick.
struct SFileStamp
{
    bool bExists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};

    bool operator==(const SFileStamp &other) const
    {
        return bExists == other.bExists && device == other.device && inode == other.inode
            && size == other.size && modified.tv_sec == other.modified.tv_sec
            && modified.tv_nsec == other.modified.tv_nsec;
    }
};

SFileStamp Stamp(const QString &path)
{
    struct stat info
    {
    };
    SFileStamp stamp;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.bExists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    return stamp;
}

struct SCache
{
    std::mutex mutex;
    bool bValid = false;
    QString path;
    SFileStamp stamp;
    bool bOnline = true;
};

SCache &Cache()
{
    static SCache cache;
    return cache;
}

bool ReadOnline()
{
    QString value;
    RegReadString(ERegRoot::Engine, EngineStore::kMainKey, EngineStore::kOfflineValue, value);
    return value.trimmed() != QLatin1String("1");
}

} // namespace

bool IsOnline()
{
    SCache &cache = Cache();
    std::lock_guard lock(cache.mutex);
    // The store's place follows XDG_CONFIG_HOME, which tests change between cases.
    const QString path = RegStorePath(ERegRoot::Engine);
    const SFileStamp stamp = Stamp(path);
    if (!cache.bValid || cache.path != path || !(cache.stamp == stamp)) {
        cache.bOnline = ReadOnline();
        cache.path = path;
        cache.stamp = stamp;
        cache.bValid = true;
    }
    return cache.bOnline;
}

bool SetOnline(bool bOnline, int *pErrorCode)
{
    SCache &cache = Cache();
    std::lock_guard lock(cache.mutex);
    const bool bWritten
        = RegWriteString(ERegRoot::Engine, EngineStore::kMainKey, EngineStore::kOfflineValue,
                         bOnline ? QStringLiteral("0") : QStringLiteral("1"));
    cache.bValid = false;
    if (!bWritten && pErrorCode)
        *pErrorCode = RegIsWritable(ERegRoot::Engine) ? EIO : EACCES;
    return bWritten;
}
