#include "CConfirmDlg.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QMdiSubWindow>
#include <QtTest>

// Opening, walking and stopping windows in the program as a user starts it.
class TestE2EWindows : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        for (const QString &name : {u"one"_qs, u"two"_qs, u"three"_qs})
            m_server.RoutePage(u"/"_qs + name, u"Page "_qs + name);
        CTestServer::Response slow;
        slow.body = "<html><head><title>Slow</title></head><body>" + QByteArray(4096, 'x');
        slow.bHold = true;
        m_server.Route(u"/slow1"_qs, slow);
        m_server.Route(u"/slow2"_qs, slow);
    }

    void init()
    {
        m_user = std::make_unique<CUserSession>();
        QVERIFY(m_user->Start({Url(u"/one"_qs)}));
        QVERIFY(m_user->WaitForPage(Url(u"/one"_qs)));
    }

    void cleanup()
    {
        m_server.Release();
        m_user.reset();
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void newBlankWindowByKeyMenuAndButton()
    {
        QCOMPARE(m_user->Tabs(), QStringList {u"Page one"_qs});

        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 2);
        QCOMPARE(m_user->Tabs().size(), 2);
        QCOMPARE(m_user->ActiveWindow(), m_user->Windows().at(1));
        QCOMPARE(m_user->CurrentTab(), 1);

        QVERIFY(m_user->ClickToolButton(u"New Blank"_qs));
        QTRY_COMPARE(m_user->Windows().size(), 3);
        QCOMPARE(m_user->ActiveWindow(), m_user->Windows().at(2));
        QCOMPARE(m_user->CurrentTab(), 2);

        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Blank"_qs}));
        QTRY_COMPARE(m_user->Windows().size(), 4);
        QCOMPARE(m_user->CurrentTab(), 3);
        QTRY_COMPARE(m_user->ActiveWindow()->GetLocationURL(), u"about:blank"_qs);
    }

    void stopAllStopsEveryLoadingWindow()
    {
        m_user->TypeAddress(Url(u"/slow1"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_server.RequestCount(u"/slow1"_qs) == 1; }));
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 2);
        m_user->TypeAddress(Url(u"/slow2"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_server.RequestCount(u"/slow2"_qs) == 1; }));
        // Both windows are loading: the background one shows a partial pie.
        QVERIFY(m_user->WaitFor([&] { return m_user->TabImage(0) < 8; }));
        QVERIFY(m_user->IsBusyAnimationPlaying());
        QVERIFY(m_user->IsMenuItemEnabled({u"Go"_qs, u"Stop All"_qs}));

        QVERIFY(m_user->ChooseMenu({u"Go"_qs, u"Stop All"_qs}));
        // The active window is idle again, the other one finished in the background.
        QVERIFY(m_user->WaitFor([&] { return !m_user->IsBusyAnimationPlaying(); }));
        QVERIFY(
            m_user->WaitFor([&] { return m_user->TabImage(0) == 8 && m_user->TabImage(1) == 9; }));
        QVERIFY(!m_user->IsMenuItemEnabled({u"Go"_qs, u"Stop"_qs}));
        QCOMPARE(m_user->Windows().size(), 2);
    }

    void previousAndNextWalkTheTabs()
    {
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 3);
        const auto windows = m_user->Windows();
        QCOMPARE(m_user->ActiveWindow(), windows.at(2));
        QVERIFY(!m_user->IsMenuItemEnabled({u"Windows"_qs, u"Next"_qs}));

        m_user->PressKey(Qt::Key_F9);
        QTRY_COMPARE(m_user->ActiveWindow(), windows.at(1));
        m_user->PressKey(Qt::Key_F9);
        QTRY_COMPARE(m_user->ActiveWindow(), windows.at(0));
        QCOMPARE(m_user->CurrentTab(), 0);
        // No wrapping at either end.
        QVERIFY(!m_user->IsMenuItemEnabled({u"Windows"_qs, u"Previous"_qs}));
        m_user->PressKey(Qt::Key_F9);
        QCOMPARE(m_user->ActiveWindow(), windows.at(0));

        m_user->PressKey(Qt::Key_F10);
        QTRY_COMPARE(m_user->ActiveWindow(), windows.at(1));
        QCOMPARE(m_user->CurrentTab(), 1);
        QVERIFY(m_user->ChooseMenu({u"Windows"_qs, u"Next"_qs}));
        QTRY_COMPARE(m_user->ActiveWindow(), windows.at(2));
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EWindows)
#include "tst_e2e_windows.moc"
