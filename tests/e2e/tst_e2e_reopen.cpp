#include "CConfirmDlg.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "CWindowJournal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <csignal>

// Windows open when the program was killed or crashed come back at the next start,
// when the user wants them, and never in a loop.
class TestE2EReopen : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

    // The journal as a program killed in the middle of its run leaves it.
    static void LeaveJournal(const QStringList &addresses, bool bReopening = false)
    {
        QJsonObject root;
        root.insert(u"format"_qs, 1);
        root.insert(u"pid"_qs, 0);
        root.insert(u"reopening"_qs, bReopening);
        root.insert(u"windows"_qs, QJsonArray::fromStringList(addresses));
        QDir().mkpath(QFileInfo(CWindowJournal::DefaultPath()).absolutePath());
        QFile file(CWindowJournal::DefaultPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(root).toJson());
    }

    static QStringList Journal()
    {
        return CWindowJournal::Read(CWindowJournal::DefaultPath()).addresses;
    }

    QStringList WindowAddresses() const
    {
        QStringList addresses;
        for (const CQuillbrowView *view : m_user->Windows())
            addresses << view->GetLocationURL();
        return addresses;
    }

    bool StartAtStart()
    {
        m_user = std::make_unique<CUserSession>();
        return m_user->Start({Url(u"/start"_qs)})
            && m_user->WaitForWindowShowing(Url(u"/start"_qs));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        for (const QString &name : {u"start"_qs, u"one"_qs, u"two"_qs, u"three"_qs})
            m_server.RoutePage(u"/"_qs + name, name);
    }

    void init()
    {
        // A test may have switched the question off.
        CUserSession::WriteStoredSettings({{u"Settings/ConfirmReopenWindows"_qs, 1}});
        QFile::remove(CWindowJournal::DefaultPath());
    }

    void cleanup()
    {
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
    }

    void yesReopensTheWindowsWithTheirPages()
    {
        LeaveJournal({Url(u"/one"_qs), Url(u"/two"_qs)});
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(StartAtStart());
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/one"_qs)));
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/two"_qs)));
        QCOMPARE(WindowAddresses(),
                 QStringList({Url(u"/start"_qs), Url(u"/one"_qs), Url(u"/two"_qs)}));
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Quillbrow did not close normally the last time. Do you want to open the "
                 "windows that were open then again?\n\n%1\n%2"_qs.arg(Url(u"/one"_qs),
                                                                       Url(u"/two"_qs)));
        // Until the reopening is over, the journal says it is under way.
        QVERIFY(CWindowJournal::Read(CWindowJournal::DefaultPath()).bReopening);
        QVERIFY(m_user->WaitFor([] { return Journal().size() == 3; }));
    }

    void noDiscardsThem()
    {
        LeaveJournal({Url(u"/one"_qs)});
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(StartAtStart());
        QCOMPARE(WindowAddresses(), QStringList {Url(u"/start"_qs)});
        // The journal is this run's now; the old windows are not offered again.
        const QStringList start {Url(u"/start"_qs)};
        QVERIFY2(m_user->WaitFor([&] { return Journal() == start; }),
                 qPrintable(Journal().join(u' ')));
        m_user.reset();
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ConfirmReopenWindows"_qs).toInt(), 1);
    }

    void dontAskAgainReopensWithoutAQuestion()
    {
        LeaveJournal({Url(u"/one"_qs)});
        CConfirmDlg::SetNextAnswer(IDYES, true);
        QVERIFY(StartAtStart());
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/one"_qs)));
        m_user.reset();
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ConfirmReopenWindows"_qs).toInt(), 0);

        LeaveJournal({Url(u"/two"_qs)});
        // Queued, and left alone: no question is asked.
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(StartAtStart());
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/two"_qs)));
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void normalExitLeavesNoJournal()
    {
        QVERIFY(StartAtStart());
        QVERIFY(m_user->Visit(Url(u"/three"_qs)));
        // Kept up to date while the program runs.
        QVERIFY(m_user->WaitFor([&] { return Journal() == QStringList {Url(u"/three"_qs)}; }));
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Exit"_qs}));
        QVERIFY(m_user->WaitForExit());
        QVERIFY(!QFile::exists(CWindowJournal::DefaultPath()));
    }

    void crashWhileReopeningIsNotOfferedAgain()
    {
        LeaveJournal({Url(u"/one"_qs)}, true);
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(StartAtStart());
        QCOMPARE(WindowAddresses(), QStringList {Url(u"/start"_qs)});
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
        const auto fresh = [&] {
            const CWindowJournal::SContents now
                = CWindowJournal::Read(CWindowJournal::DefaultPath());
            return now.addresses == QStringList {Url(u"/start"_qs)} && !now.bReopening;
        };
        QVERIFY(m_user->WaitFor(fresh));
    }

    void garbledJournalOpensNothing()
    {
        QDir().mkpath(QFileInfo(CWindowJournal::DefaultPath()).absolutePath());
        QFile file(CWindowJournal::DefaultPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"format\":1,\"windows\":[\"" + QByteArray(100, '\xff'));
        file.close();
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(StartAtStart());
        QCOMPARE(WindowAddresses(), QStringList {Url(u"/start"_qs)});
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void secondCopyHandsOverWithoutAsking()
    {
        QVERIFY(StartAtStart());
        QVERIFY(m_user->WaitFor([&] { return Journal() == QStringList {Url(u"/start"_qs)}; }));
        // The running copy's journal looks like one left behind; the second start
        // hands its address over before it would look.
        std::unique_ptr<QProcess> copy(CUserSession::StartSecondCopy({Url(u"/one"_qs)}));
        // Our copy answers on the event loop, which must keep running meanwhile.
        QVERIFY(m_user->WaitFor([&] { return copy->state() == QProcess::NotRunning; }));
        QCOMPARE(copy->exitCode(), 0);
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/one"_qs)));
    }

    void killedProgramsWindowsComeBack()
    {
        std::unique_ptr<QProcess> copy(CUserSession::StartSecondCopy({Url(u"/two"_qs)}));
        QVERIFY(copy->waitForStarted());
        QVERIFY(CUserSession::WaitFor([&] { return Journal() == QStringList {Url(u"/two"_qs)}; }));
        QCOMPARE(CWindowJournal::Read(CWindowJournal::DefaultPath()).nPid, copy->processId());
        ::kill(pid_t(copy->processId()), SIGKILL);
        QVERIFY(copy->waitForFinished());

        // Started with no address: the window comes back in place of the start page.
        CConfirmDlg::SetNextAnswer(IDYES);
        m_user = std::make_unique<CUserSession>();
        QVERIFY(m_user->Start());
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/two"_qs)));
        QCOMPARE(WindowAddresses(), QStringList {Url(u"/two"_qs)});
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EReopen)
#include "tst_e2e_reopen.moc"
