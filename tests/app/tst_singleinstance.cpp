#include "CInstanceChannel.h"

#include <QLocalSocket>
#include <QtTest>

#include <csignal>

// Waits for a line of the copy's start-up log; a copy that ended early fails it sooner.
#define WAIT_FOR_LINE(process, line)                                                               \
    QTRY_VERIFY_WITH_TIMEOUT(m_output.value(process).contains(line)                                \
                                 || (process)->state() == QProcess::NotRunning,                    \
                             60000);                                                               \
    QVERIFY2(m_output.value(process).contains(line), QByteArray(line).constData())

// The real program started more than once with the same folders.
class TestSingleInstance : public QObject
{
    Q_OBJECT

    QList<QProcess *> m_processes;
    QHash<QProcess *, QByteArray> m_output;

    static void WriteSettings(const QByteArray &lines)
    {
        const QString dir = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Tarvo"_qs;
        QDir().mkpath(dir);
        QFile file(dir + u"/Quillbrow.conf"_qs);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Settings]\nCheckDefaultBrowser=0\n" + lines);
    }

    QProcess *Launch(const QStringList &args = {}, bool bDisplay = true)
    {
        auto *process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_LOGGING_RULES"_qs, u"quillbrow.startup.debug=true"_qs);
        if (!bDisplay) {
            // A start that made an application object would end at once, unable to
            // reach a display.
            env.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
            env.insert(u"DISPLAY"_qs, u":none"_qs);
            env.remove(u"WAYLAND_DISPLAY"_qs);
        }
        process->setProcessEnvironment(env);
        connect(process, &QProcess::readyReadStandardError, this,
                [this, process] { m_output[process] += process->readAllStandardError(); });
        process->start(QStringLiteral(QUILLBROW_BINARY), args);
        m_processes << process;
        return process;
    }

    // A second start hands its address over and ends with exit code 0.
    void HandOver(QProcess *running, const QString &address, const QStringList &options = {},
                  bool bDisplay = true)
    {
        QProcess *second = Launch(
            options + (address.isEmpty() ? QStringList() : QStringList {address}), bDisplay);
        QVERIFY(second->waitForFinished(60000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        const QByteArray line
            = "open requested: " + (address.isEmpty() ? "\"\"" : address.toUtf8());
        WAIT_FOR_LINE(running, line);
    }

private slots:
    void init() { WriteSettings(""); }
    void cleanup()
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

    void secondStartHandsOverToTheOwnerAfterAKill()
    {
        // A copy killed outright leaves its socket file behind; the next copy takes it over.
        QProcess *killed = Launch();
        WAIT_FOR_LINE(killed, "main frame shown");
        ::kill(pid_t(killed->processId()), SIGKILL);
        QVERIFY(killed->waitForFinished(10000));
        QVERIFY(QFile::exists(InstanceChannel::ServerPath()));

        QProcess *first = Launch();
        WAIT_FOR_LINE(first, "main frame shown");
        QVERIFY(!m_output.value(first).contains("another copy owns"));
        HandOver(first, u"http://127.0.0.1:1/forwarded"_qs);
        HandOver(first, QString());
        QCOMPARE(first->state(), QProcess::Running);
    }

    void handOverNeedsNoDisplayUnlessQtReadsTheArguments()
    {
        QProcess *first = Launch();
        WAIT_FOR_LINE(first, "main frame shown");
        // The settings a second start loaded are written back, as at any exit.
        QSettings stored(u"Tarvo"_qs, u"Quillbrow"_qs);
        stored.setValue(u"Settings/ConfirmExitApp"_qs, u"junk"_qs);
        stored.sync();
        HandOver(first, u"http://127.0.0.1:1/without-display"_qs, {}, false);
        stored.sync();
        QCOMPARE(stored.value(u"Settings/ConfirmExitApp"_qs).toInt(), 1);
        // An option of Qt's own needs QApplication to take it out of the command line;
        // the address after it still reaches the running copy.
        HandOver(first, u"http://127.0.0.1:1/after-qt-option"_qs,
                 {u"-platform"_qs, u"offscreen"_qs});
        QCOMPARE(first->state(), QProcess::Running);
    }

    void multipleInstancesBothRun()
    {
        WriteSettings("MultipleInstance=1\n");
        QProcess *first = Launch();
        WAIT_FOR_LINE(first, "main frame shown");
        QProcess *second = Launch();
        WAIT_FOR_LINE(second, "main frame shown");
        QCOMPARE(first->state(), QProcess::Running);
    }

    void channelSurvivesMalformedClients()
    {
        QProcess *first = Launch();
        WAIT_FOR_LINE(first, "main frame shown");
        const QList<QByteArray> attacks = {
            QByteArray("GET / HTTP/1.1\r\n\r\n"),
            QByteArray::fromHex("00e1f505") + QByteArray(64, 'x'), // announces 100 MB
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
        QCOMPARE(client.FrameId(), quint64(first->processId()));
        QCOMPARE(client.SendCopyData(0, QByteArray(1, '\0')), 0u);
        QCOMPARE(client.SendCopyData(0, QByteArray("http://127.0.0.1:1/x\0", 21)), 1u);
        QCOMPARE(client.SendNavigate(), 1u);
        QCOMPARE(first->state(), QProcess::Running);
    }

    void terminatedCopySavesItsSettings()
    {
        // A logout ends the program with SIGTERM: what the user set must still be saved.
        WriteSettings("StartMode=7\n");
        QProcess *first = Launch();
        WAIT_FOR_LINE(first, "main frame shown");
        ::kill(pid_t(first->processId()), SIGTERM);
        QVERIFY(first->waitForFinished(30000));
        QCOMPARE(first->exitStatus(), QProcess::NormalExit);
        QSettings stored(u"Tarvo"_qs, u"Quillbrow"_qs);
        QCOMPARE(stored.value(u"Settings/StartMode"_qs).toInt(), 7);
        QCOMPARE(stored.value(u"Settings/ConfirmExitApp"_qs).toInt(), 1);
        QVERIFY(stored.contains(u"Settings/MainFramePosition"_qs));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
