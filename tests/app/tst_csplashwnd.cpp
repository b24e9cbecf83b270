#include "CSplashWnd.h"

#include <QtTest>

#include <atomic>

// The splash screen's bar: which of its columns the band lets through, where it turns,
// and the window that goes away once start-up says the first page is there.
class TestCSplashWnd : public QObject
{
    Q_OBJECT

    static constexpr int kBarWidth = 22;

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_qs)); }

    void spriteSpan_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("srcX");
        QTest::addColumn<int>("width");
        QTest::newRow("first frame, whole at the band's start") << 17 << 0 << 22;
        QTest::newRow("one column left of the band") << 16 << 1 << 21;
        QTest::newRow("last 15 columns, from 17") << 10 << 7 << 15;
        QTest::newRow("only the last column") << -4 << 21 << 1;
        QTest::newRow("wholly left of the band") << -5 << 22 << 0;
        QTest::newRow("last whole position") << 412 << 0 << 22;
        QTest::newRow("one column past the band") << 413 << 0 << 21;
        QTest::newRow("first 4 columns") << 430 << 0 << 4;
        QTest::newRow("only the first column") << 433 << 0 << 1;
        QTest::newRow("wholly right of the band") << 434 << 0 << 0;
    }
    void spriteSpan()
    {
        QFETCH(int, x);
        const CSpriteSpan span = SpriteSpan(x, kBarWidth);
        QTEST(span.width, "width");
        if (span.width > 0)
            QTEST(span.srcX, "srcX");
    }

    void turnsOnlyOnceOutOfTheBand_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("next");
        QTest::newRow("right, one column still in") << 433 << 1 << 1;
        QTest::newRow("right, just out") << 434 << 1 << -1;
        QTest::newRow("left, last column still in") << -5 << -1 << -1;
        QTest::newRow("left, just out") << -6 << -1 << 1;
        QTest::newRow("inside") << 200 << -1 << -1;
    }
    void turnsOnlyOnceOutOfTheBand()
    {
        QFETCH(int, x);
        QFETCH(int, step);
        QTEST(NextStep(x, kBarWidth, step), "next");
    }

    // The bar slides right until its left edge reaches 434, back left until its right
    // edge is before 17, and right again.
    void slidesToAndFro()
    {
        std::atomic<bool> bDone {false};
        CSplashWnd wnd(bDone);
        QCOMPARE(wnd.size(), QSize(450, 300));
        QCOMPARE(wnd.SpriteSize(), QSize(22, 3));
        QCOMPARE(wnd.SpritePos(), QPoint(17, 255));

        int nMax = 0;
        int nMin = 1000;
        bool bBackRight = false;
        for (int i = 0; i < 2000 && !bBackRight; ++i) {
            const int before = wnd.SpritePos().x();
            wnd.OnTimer();
            const int x = wnd.SpritePos().x();
            QCOMPARE(qAbs(x - before), 1);
            nMax = qMax(nMax, x);
            nMin = qMin(nMin, x);
            bBackRight = nMin < 17 && x > before;
        }
        QCOMPARE(nMax, 434);
        QCOMPARE(nMin, -6);
        QVERIFY(bBackRight);
        QCOMPARE(wnd.SpritePos().y(), 255);
    }

    // What reaches the screen: the bar's first 4 columns at x = 430, the picture beyond
    // the band, and the picture again where the bar was.
    void drawsOnlyInsideTheBand()
    {
        std::atomic<bool> bDone {false};
        CSplashWnd wnd(bDone);
        for (int x = 17; x < 430; ++x)
            wnd.OnTimer();
        QCOMPARE(wnd.SpritePos(), QPoint(430, 255));
        const QImage shown = wnd.grab().toImage();
        const QImage bar = wnd.Sprite().toImage();
        const QImage picture = wnd.Background().toImage();
        QCOMPARE(shown.size(), picture.size());
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 4; ++col)
                QCOMPARE(shown.pixel(430 + col, 255 + row), bar.pixel(col, row));
            for (int col = 434; col < 452 && col < shown.width(); ++col)
                QCOMPARE(shown.pixel(col, 255 + row), picture.pixel(col, 255 + row));
            // Left behind at 17 when the bar set off.
            QCOMPARE(shown.pixel(17, 255 + row), picture.pixel(17, 255 + row));
        }
        QVERIFY(bar.pixel(0, 1) != picture.pixel(430, 256));
    }

    void closesOnTheFirstTickAfterDone()
    {
        std::atomic<bool> bDone {false};
        auto *wnd = new CSplashWnd(bDone);
        QPointer<CSplashWnd> guard(wnd);
        QSignalSpy finished(wnd, &CSplashWnd::finished);
        wnd->show();
        QVERIFY(QTest::qWaitForWindowExposed(wnd));
        // Moving on its own timer while start-up goes on.
        QTRY_VERIFY(wnd->SpritePos().x() > 20);
        QVERIFY(finished.isEmpty());

        bDone = true;
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.size(), 1);
        QTRY_VERIFY(guard.isNull());
    }

    // The first page may complete before the splash ever showed.
    void doneBeforeShownClosesAtOnce()
    {
        std::atomic<bool> bDone {true};
        auto *wnd = new CSplashWnd(bDone);
        QPointer<CSplashWnd> guard(wnd);
        QSignalSpy finished(wnd, &CSplashWnd::finished);
        wnd->show();
        QVERIFY(finished.wait(5000));
        QCOMPARE(wnd->SpritePos().x(), 17);
        QTRY_VERIFY(guard.isNull());
    }
};

QTEST_MAIN(TestCSplashWnd)
#include "tst_csplashwnd.moc"
