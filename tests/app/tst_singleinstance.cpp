#include "CInstanceChannel.h"

#include <QLocalSocket>
#include <QtTest>

#include <csignal>

// The real program started more than once with the same folders.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void secondStartHandsOverAndEnds();
    void multipleInstancesBothRun();
    void emptyAddressGetsReplyZero();
    void malformedClientsDoNotStopTheRunningCopy();
    void staleSocketOfAKilledCopyIsReplaced();

private:
    QProcess *Launch(const QStringList &args = {});
    bool WaitForLine(QProcess *process, const QByteArray &line);
    static void WriteSettings(const QByteArray &lines);
    QList<QProcess *> m_processes;
    QHash<QProcess *, QByteArray> m_output;
};

void TestSingleInstance::init()
{
    WriteSettings("CheckDefaultBrowser=0\n");
}

void TestSingleInstance::cleanup()
{
    for (QProcess *process : std::as_const(m_processes)) {
        process->kill();
        process->waitForFinished(10000);
        delete process;
    }
    m_processes.clear();
    m_output.clear();
    QFile::remove(InstanceChannel::ServerPath());
}

void TestSingleInstance::WriteSettings(const QByteArray &lines)
{
    const QString dir = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Tarvo"_qs;
    QDir().mkpath(dir);
    QFile file(dir + u"/Quillbrow.conf"_qs);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Settings]\n" + lines);
}

QProcess *TestSingleInstance::Launch(const QStringList &args)
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_LOGGING_RULES"_qs, u"quillbrow.startup.debug=true"_qs);
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::SeparateChannels);
    connect(process, &QProcess::readyReadStandardError, this,
            [this, process] { m_output[process] += process->readAllStandardError(); });
    process->start(QStringLiteral(QUILLBROW_BINARY), args);
    m_processes << process;
    return process;
}

bool TestSingleInstance::WaitForLine(QProcess *process, const QByteArray &line)
{
    QDeadlineTimer deadline(60000);
    while (!m_output.value(process).contains(line)) {
        if (deadline.hasExpired() || process->state() == QProcess::NotRunning)
            return m_output.value(process).contains(line);
        QSignalSpy more(process, &QProcess::readyReadStandardError);
        more.wait(1000);
    }
    return true;
}

void TestSingleInstance::secondStartHandsOverAndEnds()
{
    QProcess *first = Launch();
    QVERIFY(WaitForLine(first, "main frame shown"));

    QProcess *second = Launch({u"http://127.0.0.1:1/forwarded"_qs});
    QVERIFY(second->waitForFinished(60000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(WaitForLine(first, "open requested: http://127.0.0.1:1/forwarded"));

    QProcess *third = Launch();
    QVERIFY(third->waitForFinished(60000));
    QCOMPARE(third->exitCode(), 0);
    QVERIFY(WaitForLine(first, "open requested: \"\""));
    QCOMPARE(first->state(), QProcess::Running);
}

void TestSingleInstance::multipleInstancesBothRun()
{
    WriteSettings("CheckDefaultBrowser=0\nMultipleInstance=1\n");
    QProcess *first = Launch();
    QVERIFY(WaitForLine(first, "main frame shown"));
    QProcess *second = Launch();
    QVERIFY(WaitForLine(second, "main frame shown"));
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(second->state(), QProcess::Running);
}

void TestSingleInstance::emptyAddressGetsReplyZero()
{
    QProcess *first = Launch();
    QVERIFY(WaitForLine(first, "main frame shown"));
    CInstanceClient client;
    QVERIFY(client.FindExistingInstance());
    QCOMPARE(client.FrameId(), quint64(first->processId()));
    QCOMPARE(client.SendCopyData(0, QByteArray(1, '\0')), 0u);
    QCOMPARE(client.SendCopyData(0, QByteArray("http://127.0.0.1:1/x\0", 21)), 1u);
    QCOMPARE(client.SendNavigate(), 1u);
}

void TestSingleInstance::malformedClientsDoNotStopTheRunningCopy()
{
    QProcess *first = Launch();
    QVERIFY(WaitForLine(first, "main frame shown"));

    const QList<QByteArray> attacks = {
        QByteArray("GET / HTTP/1.1\r\n\r\n"),
        QByteArray::fromHex("00e1f505") + QByteArray(64, 'x'), // announces 100 MB
        QByteArray::fromHex("0900000002"), // a copy-data frame cut short
    };
    for (const QByteArray &bytes : attacks) {
        QLocalSocket socket;
        socket.connectToServer(InstanceChannel::ServerPath());
        QVERIFY(socket.waitForConnected(5000));
        socket.write(bytes);
        QVERIFY(socket.waitForBytesWritten(5000));
        socket.disconnectFromServer();
    }
    CInstanceClient client;
    QVERIFY(client.FindExistingInstance());
    QCOMPARE(client.SendNavigate(), 1u);
    QCOMPARE(first->state(), QProcess::Running);
}

void TestSingleInstance::staleSocketOfAKilledCopyIsReplaced()
{
    QProcess *killed = Launch();
    QVERIFY(WaitForLine(killed, "main frame shown"));
    ::kill(pid_t(killed->processId()), SIGKILL);
    QVERIFY(killed->waitForFinished(10000));
    QVERIFY(QFile::exists(InstanceChannel::ServerPath()));

    QProcess *first = Launch();
    QVERIFY(WaitForLine(first, "main frame shown"));
    QVERIFY(!m_output.value(first).contains("another copy owns"));
    QProcess *second = Launch({u"http://127.0.0.1:1/after-kill"_qs});
    QVERIFY(second->waitForFinished(60000));
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(WaitForLine(first, "open requested: http://127.0.0.1:1/after-kill"));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
