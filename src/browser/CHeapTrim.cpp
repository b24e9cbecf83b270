#include "CHeapTrim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <iterator>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

Q_LOGGING_CATEGORY(lcMemory, "quillbrow.memory", QtWarningMsg)

namespace {

void Trim()
{
#if defined(__GLIBC__)
    QElapsedTimer clock;
    clock.start();
    malloc_trim(0);
    const struct mallinfo2 info = mallinfo2();
    qCDebug(lcMemory, "heap trim in %.1f ms: %zu MiB in use", clock.nsecsElapsed() / 1e6,
            info.uordblks >> 20);
#endif
}

} // namespace

void HeapTrim::Schedule()
{
    if (!QCoreApplication::instance())
        return;
    static QPointer<QTimer> s_timers[std::size(kDelaysMs)];
    for (size_t i = 0; i < std::size(kDelaysMs); ++i) {
        QPointer<QTimer> &timer = s_timers[i];
        if (!timer) {
            timer = new QTimer(QCoreApplication::instance());
            timer->setSingleShot(true);
            timer->setInterval(kDelaysMs[i]);
            QObject::connect(timer, &QTimer::timeout, &Trim);
        }
        timer->start();
    }
}
