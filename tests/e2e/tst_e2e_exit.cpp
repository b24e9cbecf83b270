#include "CConfirmDlg.h"
#include "CInstanceChannel.h"
#include "CQuillbrowApp.h"
#include "CRegistry.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

// Leaving the program, and what it leaves on disk for the next start.
class TestE2EExit : public QObject
{
    Q_OBJECT

    CTestServer m_server;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/one"_qs, u"Page one"_qs);
        m_server.RoutePage(u"/two"_qs, u"Page two"_qs);
        m_server.RoutePage(u"/setcookie"_qs, u"Cookie"_qs,
                           u"<script>document.cookie = 'visitor=42; max-age=86400; path=/';"
                           "new Image().src = '/cookie-set';</script>"_qs);
        m_server.RoutePage(u"/cookie-set"_qs, QString());
        m_server.RoutePage(u"/loaded"_qs, u"Loaded"_qs,
                           u"<script>addEventListener('load', () => "
                           "{ new Image().src = '/loaded-seen'; });</script>"_qs);
        m_server.RoutePage(u"/loaded-seen"_qs, QString());
    }

    void cleanup() { QVERIFY(CUserSession::NoAnswersLeft()); }

    void exitAnsweredNoKeepsEverythingThenYesSaves()
    {
        CUserSession user;
        QVERIFY(user.Start({Url(u"/one"_qs)}));
        QVERIFY(user.WaitForPage(Url(u"/one"_qs)));
        user.PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(user.Windows().size(), 2);
        user.TypeAddress(Url(u"/two"_qs));
        QVERIFY(user.WaitForPage(Url(u"/two"_qs)));

        // No, with the box ticked: everything stays, and nothing is written yet.
        CConfirmDlg::SetNextAnswer(IDNO, true);
        QVERIFY(user.ChooseMenu({u"File"_qs, u"Exit"_qs}));
        QVERIFY(user.WaitFor([] { return !CConfirmDlg::HasPendingAnswers(); }));
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_EXIT_APP));
        QVERIFY(user.IsRunning());
        QCOMPARE(user.Tabs(), QStringList({u"Page one"_qs, u"Page two"_qs}));
        QVERIFY(!CUserSession::StoredSetting(u"Settings/MainFramePosition"_qs).isValid());

        // The box switched the question off: the next Exit asks nothing and ends.
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(user.ChooseMenu({u"File"_qs, u"Exit"_qs}));
        QVERIFY(user.WaitForExit());
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();

        QCOMPARE(CUserSession::StoredSetting(u"Settings/ConfirmExitApp"_qs).toInt(), 0);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/LastVisited"_qs).toString(),
                 Url(u"/two"_qs));
        QCOMPARE(CUserSession::StoredSetting(u"Settings/MainFramePosition"_qs).toByteArray().size(),
                 44);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ReBar"_qs).toByteArray().size(), 320);
        QCOMPARE(CUserSession::StoredEngineSetting(u"TypedURLs/url1"_qs).toString(),
                 Url(u"/two"_qs));

        // The next start opens the last visited page when asked to.
        CUserSession::WriteStoredSettings({{u"Settings/StartMode"_qs, 1}});
        CUserSession again;
        QVERIFY(again.Start());
        QVERIFY(again.WaitForPage(Url(u"/two"_qs)));
    }

    void endedFromOutsideSavesAsExitDoes_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("whileStarting"); // sent before the first page is up
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGHUP, a logout") << int(SIGHUP) << false;
        QTest::newRow("SIGINT, Ctrl+C") << int(SIGINT) << false;
        QTest::newRow("SIGTERM while starting") << int(SIGTERM) << true;
        QTest::newRow("SIGHUP while starting") << int(SIGHUP) << true;
    }
    void endedFromOutsideSavesAsExitDoes()
    {
        // The real program in a process of its own, with the exit question on: nobody
        // is there to answer it, and it must not keep the program from saving.
        QFETCH(int, signal);
        QFETCH(bool, whileStarting);
        QFile::remove(RegStorePath(ERegRoot::Program));
        CUserSession::WriteStoredSettings({{u"Settings/CustomHomepage"_qs, u"kept"_qs}});
        const QString page = Url(u"/loaded"_qs);
        const int nBefore = m_server.RequestCount(u"/loaded-seen"_qs);
        std::unique_ptr<QProcess> copy(CUserSession::StartSecondCopy({page}));
        if (whileStarting) {
            // Its socket is made before its first window.
            QVERIFY(EngineTestUtil::WaitFor(
                [] { return QFileInfo::exists(InstanceChannel::ServerPath()); }));
        } else {
            QVERIFY(EngineTestUtil::WaitFor(
                [&] { return m_server.RequestCount(u"/loaded-seen"_qs) > nBefore; }));
        }
        ::kill(pid_t(copy->processId()), signal);
        QVERIFY(EngineTestUtil::WaitFor([&] { return copy->state() == QProcess::NotRunning; }));
        QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy->exitCode(), 0);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/CustomHomepage"_qs).toString(), u"kept"_qs);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/MainFramePosition"_qs).toByteArray().size(),
                 44);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ReBar"_qs).toByteArray().size(), 320);
        QVERIFY(CUserSession::StoredSetting(u"Settings/ToolBar"_qs).isValid());
        // The address it was asked to open is the last one visited, once it was open.
        if (!whileStarting)
            QCOMPARE(CUserSession::StoredSetting(u"Settings/LastVisited"_qs).toString(), page);
    }

    void sessionSaveRequestWritesWhatAnExitWrites()
    {
        // What the desktop's session manager asks before a logout (commitDataRequest):
        // everything is on disk at once, though the program runs on, and the end that
        // follows asks nothing.
        QFile::remove(RegStorePath(ERegRoot::Program));
        CUserSession::WriteStoredSettings({{u"Settings/CustomHomepage"_qs, u"kept"_qs}});
        CUserSession user;
        QVERIFY(user.Start({Url(u"/one"_qs)}));
        QVERIFY(user.WaitForPage(Url(u"/one"_qs)));
        user.TypeAddress(Url(u"/two"_qs));
        QVERIFY(user.WaitForPage(Url(u"/two"_qs)));
        QVERIFY(!CUserSession::StoredSetting(u"Settings/MainFramePosition"_qs).isValid());

        user.App()->OnCommitData();
        QVERIFY(user.IsRunning());
        QCOMPARE(CUserSession::StoredSetting(u"Settings/LastVisited"_qs).toString(),
                 Url(u"/two"_qs));
        QCOMPARE(CUserSession::StoredEngineSetting(u"TypedURLs/url1"_qs).toString(),
                 Url(u"/two"_qs));
        QCOMPARE(CUserSession::StoredSetting(u"Settings/MainFramePosition"_qs).toByteArray().size(),
                 44);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ReBar"_qs).toByteArray().size(), 320);
        QVERIFY(CUserSession::StoredSetting(u"Settings/ToolBar"_qs).isValid());
        QCOMPARE(CUserSession::StoredSetting(u"Settings/CustomHomepage"_qs).toString(), u"kept"_qs);

        // The question would take this answer; it is never asked.
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(user.ChooseMenu({u"File"_qs, u"Exit"_qs}));
        QVERIFY(user.WaitForExit());
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void cookieSetJustBeforeTheEndIsThereNextTime()
    {
        // Real copies of the program: the engine's files are written when its process
        // ends. A logout ends the program through the same close as File > Exit.
        const auto runUntil = [&](const QString &page, const QString &seen) {
            const int nBefore = m_server.RequestCount(seen);
            std::unique_ptr<QProcess> copy(CUserSession::StartSecondCopy({Url(page)}));
            const bool bSeen
                = EngineTestUtil::WaitFor([&] { return m_server.RequestCount(seen) > nBefore; });
            ::kill(pid_t(copy->processId()), SIGTERM);
            EngineTestUtil::WaitFor([&] { return copy->state() == QProcess::NotRunning; });
            return bSeen && copy->exitStatus() == QProcess::NormalExit && copy->exitCode() == 0;
        };
        QVERIFY(runUntil(u"/setcookie"_qs, u"/cookie-set"_qs));
        QVERIFY(runUntil(u"/two"_qs, u"/two"_qs));
        QCOMPARE(m_server.LastRequestHeader(u"/two"_qs, "Cookie"), QByteArray("visitor=42"));
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EExit)
#include "tst_e2e_exit.moc"
