#include "CEngineStore.h"
#include "CInstanceChannel.h"
#include "CRegistry.h"
#include "CSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>

// The stores survive a program killed at any moment: every file loads afterwards,
// with each value as the last finished write left it or as the interrupted one meant
// it, never damaged, never empty.
//
// QUILLBROW_KILL_ROUNDS (200) and QUILLBROW_KILL_PROGRAM_ROUNDS (20) set how often
// each victim is killed; QUILLBROW_KILL_SEED replays the moments of an earlier run.
class TestSettingsKill : public QObject
{
    Q_OBJECT

    QRandomGenerator m_random;

    static int Rounds(const char *name, int nDefault)
    {
        bool ok = false;
        const int n = qEnvironmentVariableIntValue(name, &ok);
        return ok && n > 0 ? n : nDefault;
    }

    // Lets process run for delay ms, then kills it outright.
    static void KillAfter(QProcess &process, int nDelayMs, int nSignal = SIGKILL)
    {
        QTimer::singleShot(nDelayMs, &process, [&process, nSignal] {
            if (process.state() == QProcess::Running)
                ::kill(pid_t(process.processId()), nSignal);
        });
    }

    // What settings_victim check reports: one generation per unit, in write order.
    static QList<int> CheckedUnits(QString &problem)
    {
        QProcess check;
        check.start(QStringLiteral(SETTINGS_VICTIM), {QStringLiteral("check")});
        if (!check.waitForFinished(30000)) {
            problem = u"check did not finish"_qs;
            return {};
        }
        const QString out = QString::fromUtf8(check.readAllStandardOutput()).trimmed();
        if (check.exitCode() != 0 || !out.startsWith(u"units "_qs)) {
            problem = out + QString::fromUtf8(check.readAllStandardError());
            return {};
        }
        QList<int> units;
        for (const QString &n : out.mid(6).split(u' '))
            units.append(n.toInt());
        return units;
    }

    static QStringList StrayFiles()
    {
        const QDir folder(QFileInfo(RegStorePath(ERegRoot::Program)).path());
        QStringList stray = folder.entryList(QDir::Files | QDir::Hidden);
        for (const QString &known : {u"Quillbrow.conf"_qs, u"QuillbrowEngine.conf"_qs})
            stray.removeAll(known);
        return stray;
    }

private slots:
    void initTestCase()
    {
        bool ok = false;
        quint32 nSeed = quint32(qEnvironmentVariableIntValue("QUILLBROW_KILL_SEED", &ok));
        if (!ok)
            nSeed = QRandomGenerator::global()->bounded(1u << 30);
        m_random.seed(nSeed);
        qInfo("QUILLBROW_KILL_SEED=%u replays these kills", nSeed);
    }

    // How long the victim takes for one round of saves on this machine and build (a
    // sanitizer build is several times slower), so that kills land inside rounds.
    static int RoundMs()
    {
        QProcess victim;
        victim.start(QStringLiteral(SETTINGS_VICTIM), {QStringLiteral("save")});
        if (!victim.waitForStarted())
            return 0;
        QElapsedTimer clock;
        clock.start();
        QByteArray out;
        // From its "ready" to the end of its first round.
        const auto waitFor = [&](const QByteArray &text) {
            while (!out.contains(text) && victim.state() == QProcess::Running
                   && clock.elapsed() < 30000) {
                victim.waitForReadyRead(100);
                out += victim.readAllStandardOutput();
            }
        };
        waitFor("ready\n");
        clock.restart();
        waitFor("saved ");
        const int nMs = int(clock.elapsed());
        ::kill(pid_t(victim.processId()), SIGKILL);
        victim.waitForFinished();
        return nMs;
    }

    void victimKilledWhileSaving()
    {
        const int nRounds = Rounds("QUILLBROW_KILL_ROUNDS", 200);
        // Kills spread over the first round and a few rounds on.
        const int nKillWindowMs = std::max(400, 3 * RoundMs());
        qInfo("kills within %d ms of the start", nKillWindowMs);
        QString problem;
        QList<int> units = CheckedUnits(problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        int nBetweenWrites = 0;
        int nBeforeFirstSave = 0;
        for (int nRound = 0; nRound < nRounds; ++nRound) {
            int nBase = *std::max_element(units.cbegin(), units.cend());
            QProcess victim;
            victim.start(QStringLiteral(SETTINGS_VICTIM), {QStringLiteral("save")});
            QVERIFY(victim.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(victim.canReadLine(), 30000);
            QCOMPARE(victim.readLine(), QByteArray("ready\n"));
            KillAfter(victim, int(m_random.bounded(nKillWindowMs)));
            QTRY_VERIFY_WITH_TIMEOUT(victim.state() == QProcess::NotRunning, 30000);
            QCOMPARE(victim.exitStatus(), QProcess::CrashExit);

            int nLastSaved = 0;
            for (const QByteArray &line : victim.readAllStandardOutput().split('\n')) {
                if (line.startsWith("saved "))
                    nLastSaved = line.mid(6).toInt();
            }
            if (nLastSaved == 0)
                ++nBeforeFirstSave;
            const QList<int> before = units;
            units = CheckedUnits(problem);
            QVERIFY2(problem.isEmpty(), qPrintable(u"round %1: %2"_qs.arg(nRound).arg(problem)));
            QCOMPARE(units.size(), before.size());

            // The round being written when the kill came reached some units, in write
            // order; every other unit holds the last whole round, or what the run
            // before left when this one finished none.
            const int nNewest = (nLastSaved > 0 ? nLastSaved : nBase) + 1;
            bool bOlderSeen = false;
            for (qsizetype u = 0; u < units.size(); ++u) {
                const int nOlder = nLastSaved > 0 ? nLastSaved : before[u];
                if (units[u] == nNewest && !bOlderSeen)
                    continue;
                bOlderSeen = true;
                QVERIFY2(
                    units[u] == nOlder,
                    qPrintable(u"round %1, unit %2: generation %3, expected %4 or %5"_qs.arg(nRound)
                                   .arg(u)
                                   .arg(units[u])
                                   .arg(nOlder)
                                   .arg(nNewest)));
            }
            if (units.first() == nNewest && units.last() != nNewest)
                ++nBetweenWrites;
        }
        qInfo("%d kills: %d before the first round of saves ended, %d between two writes of "
              "a round; generation %d reached; files left beside the stores: %s",
              nRounds, nBeforeFirstSave, nBetweenWrites,
              *std::max_element(units.cbegin(), units.cend()),
              qPrintable(StrayFiles().join(u", "_qs)));
        // Some kills must have landed inside a round, or the test shows nothing.
        QVERIFY(nRounds < 20 || nBetweenWrites > 0);
    }

    void programKilledWhileSavingAtExit()
    {
        // The real program, ended as a logout ends it and killed while it saves. What it
        // writes at exit is what it loaded plus the frame's layout, so the values set
        // here must come back unchanged, and the layout values whole or not at all.
        const int nRounds = Rounds("QUILLBROW_KILL_PROGRAM_ROUNDS", 20);
        QDir(QFileInfo(RegStorePath(ERegRoot::Program)).path()).removeRecursively();
        const QString socket = InstanceChannel::ServerPath();
        int nSaved = 0;
        for (int nRound = 0; nRound < nRounds; ++nRound) {
            CSettings marked;
            marked.Load();
            marked.CheckDefaultBrowser = 0;
            marked.DisplaySplash = 0;
            marked.StartMode = 0;
            marked.CustomHomepage = u"https://marker.test/%1"_qs.arg(nRound);
            marked.AutoCloseList.clear();
            marked.AutoCloseCount.clear();
            for (int i = 0; i < 30; ++i)
                marked.AddAutoClose(u"https://marker%1.test/%2*"_qs.arg(i).arg(nRound));
            marked.Save();
            QVERIFY(EngineStore::WriteStartPage(marked.CustomHomepage));

            QProcess program;
            program.start(QStringLiteral(QUILLBROW_BINARY), {});
            QVERIFY(program.waitForStarted());
            // Listening on its socket: its frame is up and it saves on SIGTERM.
            QTRY_VERIFY_WITH_TIMEOUT(
                QFileInfo::exists(socket) || program.state() != QProcess::Running, 60000);
            QCOMPARE(program.state(), QProcess::Running);
            ::kill(pid_t(program.processId()), SIGTERM);
            KillAfter(program, int(m_random.bounded(800)));
            QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 60000);
            if (program.exitStatus() == QProcess::NormalExit)
                ++nSaved;
            QFile::remove(socket);

            for (ERegRoot root : {ERegRoot::Program, ERegRoot::Engine})
                QVERIFY(!RegStoreIsBroken(root));
            CSettings after;
            after.Load();
            QCOMPARE(after.CustomHomepage, marked.CustomHomepage);
            QCOMPARE(after.AutoCloseList, marked.AutoCloseList);
            QCOMPARE(after.CheckDefaultBrowser, 0);
            QCOMPARE(EngineStore::ReadStartPage(), marked.CustomHomepage);
            const QByteArray placement = GetProfileBinary(u"Settings"_qs, u"MainFramePosition"_qs);
            QVERIFY(placement.isEmpty() || placement.size() == 44);
            const QByteArray bands = GetProfileBinary(u"Settings"_qs, u"ReBar"_qs);
            QVERIFY(bands.isEmpty() || bands.size() == 320);
        }
        qInfo("the program ended %d times while it saved at exit, %d of them killed before "
              "it had finished",
              nRounds, nRounds - nSaved);
    }
};

QTEST_GUILESS_MAIN(TestSettingsKill)
#include "tst_settingskill.moc"
