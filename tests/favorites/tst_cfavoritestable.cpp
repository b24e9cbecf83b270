#include "CFavoritesTable.h"

#include <QtTest>

// The command ids of one build of the Favorites menu: where they start and end.
// Sharing and renumbering show in the menu's own test.
class tst_CFavoritesTable : public QObject
{
    Q_OBJECT
private slots:
    void idsStayWithinTheirRanges()
    {
        CFavoritesTable table;
        for (int i = 0; i < CFavoritesTable::kMaxEntries; ++i)
            QCOMPARE(table.AddEntry(QString(), QString::number(i)), i);
        QCOMPARE(CFavoritesTable::LinkId(table.EntryCount() - 1), 10000);
        QCOMPARE(table.AddEntry(QString(), u"one too many"_qs), -1);
        // A target already listed still finds its entry.
        QCOMPARE(table.AddEntry(QString(), u"6000"_qs), 6000);

        for (int i = 0; i < CFavoritesTable::kMaxRanges; ++i)
            QCOMPARE(table.AddRange({i}), i);
        QCOMPARE(CFavoritesTable::RangeId(table.RangeCount() - 1), 3199);
        QCOMPARE(table.AddRange({0}), -1);
        QCOMPARE(table.RangeCount(), 1199);
    }

    void idLookup_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("range");
        QTest::newRow("Open All before the first") << 2000 << -1 << -1;
        QTest::newRow("first Open All") << 2001 << -1 << 0;
        QTest::newRow("second Open All") << 2002 << -1 << 1;
        QTest::newRow("Open All not built") << 2003 << -1 << -1;
        QTest::newRow("history entry") << 3200 << -1 << -1;
        QTest::newRow("before the first link") << 3999 << -1 << -1;
        QTest::newRow("first link") << 4000 << 0 << -1;
        QTest::newRow("last link built") << 4002 << 2 << -1;
        QTest::newRow("link not built") << 4003 << -1 << -1;
    }
    void idLookup()
    {
        CFavoritesTable table;
        for (const char *target : {"a", "b", "c"})
            table.AddEntry(QString(), QString::fromLatin1(target));
        table.AddRange({0, 1});
        table.AddRange({2});
        QFETCH(int, id);
        QTEST(table.EntryOfId(id), "entry");
        QTEST(table.RangeOfId(id), "range");
    }
};

QTEST_GUILESS_MAIN(tst_CFavoritesTable)
#include "tst_cfavoritestable.moc"
