#include "CEventLoopWatch.h"

#include <QtTest>

// The benchmark's view of the event loop: a stall shows as a late tick, reported with
// the moment it ended.
class TestCEventLoopWatch : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLoggingCategory::setFilterRules(QString()); }

    void idleUnlessAsked()
    {
        CEventLoopWatch watch;
        QVERIFY(!watch.IsRunning());
    }

    void reportsAStall()
    {
        QLoggingCategory::setFilterRules(u"quillbrow.eventloop.debug=true"_qs);
        CEventLoopWatch watch;
        QVERIFY(watch.IsRunning());
        QTest::ignoreMessage(QtDebugMsg,
                             QRegularExpression(u"^10 ms timer late by "
                                                "(\\d{3,}|[4-9]\\d)\\.\\d ms at "
                                                "\\d+\\.\\d{6}$"_qs));
        // The stall under test: the loop gets no turn for 60 ms.
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < 60) { }
        QTRY_VERIFY(watch.LargestLatenessMs() >= 40);
    }
};

QTEST_GUILESS_MAIN(TestCEventLoopWatch)
#include "tst_ceventloopwatch.moc"
