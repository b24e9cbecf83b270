#include "CFakeEngine.h"
#include "CFindBar.h"

#include <QLineEdit>
#include <QtTest>

// The find bar against an engine that answers when and in the order the test likes,
// as a real one may when the user types faster than it searches.
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
};

QTEST_MAIN(TestCFindBar)
#include "tst_cfindbar.moc"
