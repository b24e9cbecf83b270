#include "CPopupBudget.h"

#include <QtTest>

// The budget of windows a page may open in a short time.
class TestCPopupBudget : public QObject
{
    Q_OBJECT

private slots:
    void burstGetsTheFirstShareAndNoMore()
    {
        CPopupBudget budget;
        for (int i = 0; i < CPopupBudget::kMaxWindows; ++i)
            QVERIFY2(budget.Allow(1000), qPrintable(QString::number(i)));
        QVERIFY(!budget.Allow(1000));
        QVERIFY(!budget.Allow(1001));
        QCOMPARE(budget.TakeRefused(), 2);
        // Taking the count starts it again.
        QCOMPARE(budget.TakeRefused(), 0);
    }

    void spanFrees_data()
    {
        QTest::addColumn<qint64>("later");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("just inside the span") << CPopupBudget::kSpanMs - 1 << false;
        QTest::newRow("at the end of the span") << CPopupBudget::kSpanMs << true;
    }
    void spanFrees()
    {
        QFETCH(qint64, later);
        QFETCH(bool, allowed);
        CPopupBudget budget;
        for (int i = 0; i < CPopupBudget::kMaxWindows; ++i)
            QVERIFY(budget.Allow(0));
        QCOMPARE(budget.NextAllowedAt(later), allowed ? later : CPopupBudget::kSpanMs);
        QCOMPARE(budget.Allow(later), allowed);
    }

    void windowsSpreadOverTimeAreNeverRefused()
    {
        // One window every quarter of the span: a page that opens windows at a steady,
        // human pace never meets the limit.
        CPopupBudget budget;
        for (qint64 t = 0; t < 100 * CPopupBudget::kSpanMs; t += CPopupBudget::kSpanMs / 4)
            QVERIFY(budget.Allow(t));
        QCOMPARE(budget.TakeRefused(), 0);
    }

    void onlyWindowsInsideTheSpanCount()
    {
        CPopupBudget budget;
        // Half the share early, the rest late: at the end of the early half's span,
        // only the late ones still count.
        for (int i = 0; i < CPopupBudget::kMaxWindows / 2; ++i)
            QVERIFY(budget.Allow(0));
        for (int i = 0; i < CPopupBudget::kMaxWindows / 2; ++i)
            QVERIFY(budget.Allow(CPopupBudget::kSpanMs - 1));
        QVERIFY(!budget.Allow(CPopupBudget::kSpanMs - 1));
        // Free again when the early half has left the span, not the late one.
        QCOMPARE(budget.NextAllowedAt(1), CPopupBudget::kSpanMs);
        for (int i = 0; i < CPopupBudget::kMaxWindows / 2; ++i)
            QVERIFY(budget.Allow(CPopupBudget::kSpanMs));
        QVERIFY(!budget.Allow(CPopupBudget::kSpanMs));
    }
};

QTEST_APPLESS_MAIN(TestCPopupBudget)
#include "tst_cpopupbudget.moc"
