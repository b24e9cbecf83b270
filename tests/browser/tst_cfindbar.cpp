#include "CFakeEngine.h"
#include "CFindBar.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

// What the find bar asks the engine and what it says of the answers, against an
// engine that answers when and in the order the test likes.
class TestCFindBar : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;
    CFakeEngine m_engine;
    CFindBar *m_pBar = nullptr;

    void Answer(int nSearch, int nActive, int nCount)
    {
        m_engine.m_findCallbacks.at(nSearch)(nActive, nCount);
    }

private slots:
    void init()
    {
        m_engine.m_calls.clear();
        m_engine.m_findCallbacks.clear();
        m_window = std::make_unique<QWidget>();
        m_pBar = new CFindBar(&m_engine, m_window.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_pBar->Open();
        QVERIFY(m_pBar->Edit()->hasFocus());
    }

    void saysWhereTheSearchStands_data()
    {
        QTest::addColumn<int>("active");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("said");
        QTest::newRow("some") << 3 << 12 << u"3 of 12"_qs;
        QTest::newRow("one") << 1 << 1 << u"1 of 1"_qs;
        QTest::newRow("none") << 0 << 0 << u"Not found"_qs;
    }

    void saysWhereTheSearchStands()
    {
        QFETCH(int, active);
        QFETCH(int, count);
        QFETCH(QString, said);
        QTest::keyClicks(m_pBar->Edit(), u"a"_qs);
        Answer(0, active, count);
        QCOMPARE(m_pBar->StatusText(), said);
    }

    void overtakenSearchesAreDropped()
    {
        QTest::keyClicks(m_pBar->Edit(), u"ab"_qs);
        QCOMPARE(m_engine.m_findCallbacks.size(), 2);
        Answer(1, 1, 2);
        Answer(0, 1, 5);
        QCOMPARE(m_pBar->StatusText(), u"1 of 2"_qs);
        // Emptied, the text clears the highlight and what was said.
        QTest::keyClick(m_pBar->Edit(), Qt::Key_Backspace);
        QTest::keyClick(m_pBar->Edit(), Qt::Key_Backspace);
        QCOMPARE(m_engine.m_calls.last(), u"FindText "_qs);
        QCOMPARE(m_pBar->StatusText(), QString());
    }

    void keysAndCaseOfTheSearch()
    {
        QTest::keyClicks(m_pBar->Edit(), u"x"_qs);
        QTest::keyClick(m_pBar->Edit(), Qt::Key_Return);
        QCOMPARE(m_engine.m_calls.last(), u"FindText x"_qs);
        QTest::keyClick(m_pBar->Edit(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(m_engine.m_calls.last(), u"FindText x back"_qs);
        // Another case rule is a new search: the old one is cleared first.
        m_pBar->MatchCase()->click();
        QCOMPARE(m_engine.m_calls.mid(m_engine.m_calls.size() - 2),
                 (QStringList {u"FindText "_qs, u"FindText x case"_qs}));
        QVERIFY(m_pBar->Edit()->hasFocus());
    }

    void escapeClosesTheBar()
    {
        QSignalSpy closed(m_pBar, &CFindBar::closed);
        QTest::keyClicks(m_pBar->Edit(), u"x"_qs);
        QTest::keyClick(m_pBar->Edit(), Qt::Key_Escape);
        QVERIFY(m_pBar->isHidden());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(m_engine.m_calls.last(), u"FindText "_qs);
        // An answer that comes after is not shown when the bar opens again.
        Answer(0, 1, 1);
        m_pBar->Open();
        QCOMPARE(m_pBar->StatusText(), QString());
    }
};

QTEST_MAIN(TestCFindBar)
#include "tst_cfindbar.moc"
