#include "CEngineSandbox.h"
#include "CRegistry.h"

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <unistd.h>

class tst_CEngineSandbox : public QObject
{
    Q_OBJECT

    const QString m_rootNotice = u"quillbrow: running as root, the web engine's sandbox is off"_qs;

private slots:
    void decide_data()
    {
        QTest::addColumn<uint>("euid");
        QTest::addColumn<bool>("disableVarSet");
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<bool>("turnOff");
        QTest::addColumn<QString>("noticeStart"); // empty: no notice
        const QString root = m_rootNotice;
        QTest::newRow("a user") << 1000u << false << QByteArray() << false << QString();
        QTest::newRow("the first user id after root")
            << 1u << false << QByteArray("--disable-gpu") << false << QString();
        QTest::newRow("root") << 0u << false << QByteArray() << true << root;
        QTest::newRow("root, already off by hand") << 0u << true << QByteArray() << true << root;
        QTest::newRow("a user who turned it off")
            << 1000u << true << QByteArray() << false
            << u"quillbrow: QTWEBENGINE_DISABLE_SANDBOX is set"_qs;
        QTest::newRow("a user who passed --no-sandbox")
            << 1000u << false << QByteArray("--disable-gpu --no-sandbox") << false
            << u"quillbrow: QTWEBENGINE_CHROMIUM_FLAGS has --no-sandbox"_qs;
        QTest::newRow("a flag that only starts like it")
            << 1000u << false << QByteArray("--no-sandbox-for-testing") << false << QString();
    }
    void decide()
    {
        QFETCH(uint, euid);
        QFETCH(bool, disableVarSet);
        QFETCH(QByteArray, flags);
        QFETCH(QString, noticeStart);
        const auto decision = EngineSandbox::Decide(uid_t(euid), disableVarSet, flags);
        QTEST(decision.bTurnOff, "turnOff");
        if (noticeStart.isEmpty())
            QCOMPARE(decision.notice, QString());
        else
            QVERIFY2(decision.notice.startsWith(noticeStart), qPrintable(decision.notice));
    }

    void programSaysSoWhenRoot()
    {
        if (geteuid() != 0)
            QSKIP("the notice is for root");
        // The real program, the test's own folders inherited: it says so before it
        // makes its first window. The variable is cleared so only root decides.
        QVERIFY(WriteProfileInt(u"Settings"_qs, u"CheckDefaultBrowser"_qs, 0));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"QTWEBENGINE_DISABLE_SANDBOX"_qs);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QUILLBROW_BINARY), {u"about:blank"_qs});
        QVERIFY(program.waitForStarted());
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += program.readAllStandardError()).contains('\n'), 30000);
        QCOMPARE(err.left(err.indexOf('\n')), m_rootNotice.toUtf8());
        ::kill(pid_t(program.processId()), SIGTERM);
        QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 30000);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_CEngineSandbox)
#include "tst_cenginesandbox.moc"
