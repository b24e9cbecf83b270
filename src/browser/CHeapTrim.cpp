#include "CHeapTrim.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void HeapTrim::Schedule()
{
    static QPointer<QTimer> s_pTimer;
    if (!s_pTimer) {
        if (!QCoreApplication::instance())
            return;
        s_pTimer = new QTimer(QCoreApplication::instance());
        s_pTimer->setSingleShot(true);
        s_pTimer->setInterval(kDelayMs);
        QObject::connect(s_pTimer, &QTimer::timeout, [] {
#if defined(__GLIBC__)
            malloc_trim(0);
#endif
        });
    }
    s_pTimer->start();
}
