#include "CRegistry.h"
#include "CTestServer.h"
#include "CTestSessionManager.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QProcess>
#include <QtTest>

// The end of a desktop session: the real program on an X display of its own, told by
// a session manager to save and then to end, as at a logout.
class TestE2ESession : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    QProcess m_display;
    QString m_displayName;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/loaded"_qs, u"Loaded"_qs,
                           u"<script>addEventListener('load', () => "
                           "{ new Image().src = '/loaded-seen'; });</script>"_qs);
        m_server.RoutePage(u"/loaded-seen"_qs, QString());
        // The first free display; Xvfb writes its number once it accepts clients.
        m_display.start(u"Xvfb"_qs,
                        {u"-displayfd"_qs, u"1"_qs, u"-nolisten"_qs, u"tcp"_qs, u"-screen"_qs,
                         u"0"_qs, u"1024x768x24"_qs});
        QVERIFY2(m_display.waitForStarted(), "Xvfb is needed (scripts/deps installs it)");
        QTRY_VERIFY_WITH_TIMEOUT(m_display.canReadLine(), 30000);
        m_displayName = u":"_qs + QString::fromLatin1(m_display.readLine().trimmed());
    }
    void cleanupTestCase()
    {
        m_display.terminate();
        m_display.waitForFinished();
    }

    void logoutSavesThenEndsWithoutAQuestion()
    {
        CTestSessionManager manager;
        QVERIFY(manager.Listen());
        QFile::remove(RegStorePath(ERegRoot::Program));
        // The exit question stays on: at a logout nobody is there to answer it.
        CUserSession::WriteStoredSettings({{u"Settings/CustomHomepage"_qs, u"kept"_qs}});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_qs, m_displayName);
        env.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
        env.insert(u"SESSION_MANAGER"_qs, manager.Address());
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QString page = Url(u"/loaded"_qs);
        program.start(QStringLiteral(QUILLBROW_BINARY), {page});
        QVERIFY(EngineTestUtil::WaitFor(
            [&] { return manager.HasClient() && m_server.RequestCount(u"/loaded-seen"_qs) > 0; }));

        // A checkpoint: everything an exit writes is on disk, and the program runs on.
        QVERIFY(!CUserSession::StoredSetting(u"Settings/MainFramePosition"_qs).isValid());
        manager.SaveYourself(false);
        QVERIFY(EngineTestUtil::WaitFor([&] { return manager.SavesDone() == 1; }));
        QCOMPARE(program.state(), QProcess::Running);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/LastVisited"_qs).toString(), page);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/MainFramePosition"_qs).toByteArray().size(),
                 44);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ReBar"_qs).toByteArray().size(), 320);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/CustomHomepage"_qs).toString(), u"kept"_qs);

        // The logout: saved again, then told to end, it ends at once and in order.
        manager.SaveYourself(true);
        QVERIFY(EngineTestUtil::WaitFor([&] { return manager.SavesDone() == 2; }));
        manager.Die();
        QVERIFY(EngineTestUtil::WaitFor([&] { return program.state() == QProcess::NotRunning; }));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ConfirmExitApp"_qs).toInt(), 1);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/LastVisited"_qs).toString(), page);
    }
};

QTEST_GUILESS_MAIN(TestE2ESession)
#include "tst_e2e_session.moc"
