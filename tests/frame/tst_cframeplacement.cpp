#include "CFramePlacement.h"
#include "CMainFrame.h"

#include <limits>

#include <QWidget>
#include <QtTest>

class TestCFramePlacement : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip()
    {
        CFramePlacement p;
        p.flags = 2;
        p.showCmd = CFramePlacement::Maximized;
        p.minX = -1;
        p.maxY = 7;
        p.SetNormalRect(QRect(10, 20, 300, 200));
        const QByteArray bytes = p.ToBytes();
        // Length, flags, show state, min x, min y, max x, max y, left, top, right, bottom.
        QCOMPARE(bytes.toHex(' '),
                 QByteArray("2c 00 00 00 02 00 00 00 03 00 00 00 ff ff ff ff "
                            "00 00 00 00 00 00 00 00 07 00 00 00 0a 00 00 00 "
                            "14 00 00 00 36 01 00 00 dc 00 00 00"));
        const CFramePlacement back = CFramePlacement::FromBytes(bytes);
        QCOMPARE(back.ToBytes(), bytes);
        QCOMPARE(back.NormalRect(), QRect(10, 20, 300, 200));
    }

    void storedValueOfAnySize_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("showCmd");
        QTest::addColumn<int>("bottom");

        CFramePlacement p;
        p.showCmd = 3;
        p.bottom = 480;
        const QByteArray full = p.ToBytes();
        QTest::newRow("empty") << QByteArray() << 0 << 0;
        QTest::newRow("short: missing fields are zero") << full.left(12) << 3 << 0;
        QTest::newRow("long: only the first 44 bytes count")
            << full + QByteArray(20, '\x7f') << 3 << 480;
        const QByteArray garbage("not a placement at all, just some text: nothing fits");
        QTest::newRow("garbage") << garbage << qFromLittleEndian<qint32>(garbage.constData() + 8)
                                 << qFromLittleEndian<qint32>(garbage.constData() + 40);
    }
    void storedValueOfAnySize()
    {
        QFETCH(QByteArray, stored);
        const CFramePlacement p = CFramePlacement::FromBytes(stored);
        QTEST(p.showCmd, "showCmd");
        QTEST(p.bottom, "bottom");
    }

    void normalRectOfAnyCorners_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("width"); // 0: no rectangle
        constexpr int kMin = std::numeric_limits<int>::min();
        constexpr int kMax = std::numeric_limits<int>::max();
        QTest::newRow("plain") << 40 << 440 << 400;
        QTest::newRow("one pixel") << 40 << 41 << 1;
        QTest::newRow("corners equal") << 40 << 40 << 0;
        QTest::newRow("corners swapped") << 440 << 40 << 0;
        QTest::newRow("widest that fits") << 0 << kMax << kMax;
        QTest::newRow("one wider than fits") << -1 << kMax << 0;
        QTest::newRow("corners at both ends") << kMin << kMax << 0;
        QTest::newRow("both at the lowest") << kMin << kMin << 0;
    }
    void normalRectOfAnyCorners()
    {
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(int, width);
        // The same numbers down the other axis.
        CFramePlacement p;
        p.left = p.top = left;
        p.right = p.bottom = right;
        const QRect rect = p.NormalRect();
        QCOMPARE(rect.width(), width);
        QCOMPARE(rect.height(), width);
        if (width > 0)
            QCOMPARE(rect.topLeft(), QPoint(left, left));
    }

    void applyShowsTheStoredState_data()
    {
        QTest::addColumn<int>("showCmd");
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<bool>("rectApplied");

        const QRect onScreen(40, 50, 400, 300);
        QTest::newRow("maximized ignores the rectangle") << 3 << onScreen << true << false;
        QTest::newRow("hidden still shows") << 0 << onScreen << false << true;
        QTest::newRow("empty rectangle is not applied")
            << 1 << QRect(40, 50, 0, 0) << false << false;
        QTest::newRow("rectangle off every screen")
            << 1 << QRect(-90000, -90000, 400, 300) << false << false;
    }
    void applyShowsTheStoredState()
    {
        QFETCH(int, showCmd);
        QFETCH(QRect, stored);
        QFETCH(bool, maximized);
        QFETCH(bool, rectApplied);

        QWidget frame;
        const QRect initial(5, 5, 200, 150);
        frame.setGeometry(initial);
        CFramePlacement p;
        p.showCmd = showCmd;
        p.SetNormalRect(stored);
        p.Apply(&frame);

        QVERIFY(frame.isVisible());
        QVERIFY(!frame.isMinimized());
        QCOMPARE(frame.isMaximized(), maximized);
        if (maximized)
            QCOMPARE(frame.normalGeometry(), initial);
        else
            QCOMPARE(frame.geometry(), rectApplied ? stored : initial);
    }

    void decodeAddress_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("address");
        QTest::newRow("cut at NUL") << QByteArray("http://a/\0http://b/", 19) << u"http://a/"_qs;
        QTest::newRow("only NUL") << QByteArray(1, '\0') << QString();
        QTest::newRow("multibyte kept")
            << QByteArray("http://ä.example/€") << u"http://ä.example/€"_qs;
        QTest::newRow("invalid byte escaped") << QByteArray("/tmp/a\xff"
                                                            "b")
                                              << u"/tmp/a%FFb"_qs;
        QTest::newRow("overlong form escaped") << QByteArray("a\xc0\x80") << u"a%C0%80"_qs;
        QTest::newRow("truncated at end") << QByteArray("x\xe2\x82") << u"x%E2%82"_qs;
    }
    void decodeAddress()
    {
        QFETCH(QByteArray, bytes);
        QTEST(CMainFrame::DecodeAddress(bytes), "address");
    }
};

QTEST_MAIN(TestCFramePlacement)
#include "tst_cframeplacement.moc"
