#include "CHeapTrim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

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

// A single-shot timer owned by the application, made on first use.
QTimer *TrimTimer(QPointer<QTimer> &timer, int nDelayMs)
{
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setInterval(nDelayMs);
        QObject::connect(timer, &QTimer::timeout, &Trim);
    }
    return timer;
}

} // namespace

void HeapTrim::Schedule()
{
    if (!QCoreApplication::instance())
        return;
    static QPointer<QTimer> s_pSoon;
    static QPointer<QTimer> s_pLate;
    TrimTimer(s_pSoon, kDelayMs)->start();
    TrimTimer(s_pLate, kLateDelayMs)->start();
}
