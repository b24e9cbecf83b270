#include "CConfirmDlg.h"
#include "CMainFrame.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "CWebEngine.h"
#include "CWebPage.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <csignal>

// A window whose page's process dies or stops answering: the window says so and
// stays, with its tab, and the rest of the program carries on.
class TestE2ERenderer : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;

    // host "127.0.0.1" or "localhost": two sites, so two renderer processes.
    QString Url(const QString &path, const QString &host = u"127.0.0.1"_qs) const
    {
        QUrl url = m_server.Url(path);
        url.setHost(host);
        return url.toString();
    }

    static qint64 RendererPid(CQuillbrowView *view)
    {
        return static_cast<CWebEngine *>(view->Engine())->Page()->renderProcessPid();
    }

    static QWidget *CrashNotice(CQuillbrowView *view)
    {
        auto *notice = view->findChild<QWidget *>(u"CrashNotice"_qs);
        return notice && notice->isVisible() ? notice : nullptr;
    }

    static QString CrashText(CQuillbrowView *view)
    {
        QWidget *notice = CrashNotice(view);
        if (!notice)
            return QString();
        QStringList texts;
        for (const QLabel *label : notice->findChildren<QLabel *>())
            texts << label->text();
        return texts.join(u'\n');
    }

    // The longest the event loop went without running a zero timer, over ms.
    static qint64 LongestStall(int ms)
    {
        QElapsedTimer total;
        total.start();
        qint64 longest = 0;
        while (total.elapsed() < ms) {
            QElapsedTimer one;
            one.start();
            bool bRan = false;
            QTimer::singleShot(0, [&] { bRan = true; });
            while (!bRan)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            longest = qMax(longest, one.elapsed());
        }
        return longest;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/start"_qs, u"Start"_qs);
        m_server.RoutePage(u"/one"_qs, u"One"_qs);
        m_server.RoutePage(u"/two"_qs, u"Two"_qs);
        // Stuck before its load can end.
        m_server.RoutePage(u"/stuck"_qs, u"Stuck"_qs, u"<script>for (;;) {}</script>"_qs);
        // Loads, then hangs when told, with a leave question it can never ask.
        m_server.RoutePage(u"/spin"_qs, u"Spin"_qs,
                           u"<input id=field><button id=spin onclick='for (;;) {}'>Spin</button>"
                           "<script>onbeforeunload = e => {"
                           " e.preventDefault(); e.returnValue = ''; };</script>"_qs);
    }

    void init()
    {
        CUserSession::WriteStoredSettings({});
        m_user = CUserSession::StartAt(Url(u"/start"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
    }

    void killedRendererLeavesTheWindowWithReload()
    {
        QVERIFY(m_user->Visit(Url(u"/one"_qs)));
        CQuillbrowView *survivor = m_user->ActiveWindow();
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Blank"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 2; }));
        const QString two = Url(u"/two"_qs, u"localhost"_qs);
        QVERIFY(m_user->Visit(two));
        CQuillbrowView *victim = m_user->ActiveWindow();
        const qint64 pid = RendererPid(victim);
        QVERIFY(pid > 0);
        QVERIFY(pid != RendererPid(survivor));

        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QVERIFY(m_user->WaitFor([&] { return CrashNotice(victim) != nullptr; }));
        const QString text = CrashText(victim);
        QVERIFY2(text.contains(u"The page's process ended unexpectedly"_qs), qPrintable(text));
        QVERIFY2(text.contains(u"killed"_qs), qPrintable(text));
        QVERIFY2(text.contains(two), qPrintable(text));
        // Nothing of the window is lost: its tab, caption and address stay.
        QCOMPARE(m_user->Windows().size(), 2);
        QCOMPARE(m_user->Tabs().at(1), u"Two"_qs);
        QCOMPARE(m_user->Caption(), u"Quillbrow - Two"_qs);
        QCOMPARE(m_user->AddressText(), two);
        QVERIFY(!m_user->IsBusyAnimationPlaying());

        // The other window carries on.
        QVERIFY(CrashNotice(survivor) == nullptr);
        QCOMPARE(CUserSession::RunInPage(survivor, u"document.title"_qs).toString(), u"One"_qs);

        auto *reload = CrashNotice(victim)->findChild<QPushButton *>();
        QVERIFY(reload);
        QCOMPARE(reload->text().remove(u'&'), u"Reload"_qs);
        QVERIFY(m_user->Click(reload));
        QVERIFY(m_user->WaitFor([&] { return CrashNotice(victim) == nullptr; }));
        QVERIFY(m_user->WaitForPage(two));
        QCOMPARE(CUserSession::RunInPage(victim, u"document.title"_qs).toString(), u"Two"_qs);
        QVERIFY(RendererPid(victim) != pid);
    }

    void crashedRendererSaysItCrashed()
    {
        m_user->TypeAddress(u"chrome://crash"_qs);
        CQuillbrowView *view = m_user->ActiveWindow();
        QVERIFY(m_user->WaitFor([&] { return CrashNotice(view) != nullptr; }));
        const QString text = CrashText(view);
        QVERIFY2(text.contains(u"crashed"_qs), qPrintable(text));
        QCOMPARE(m_user->Windows().size(), 1);
        // The program goes on: another page loads in the same window.
        QVERIFY(m_user->Visit(Url(u"/one"_qs)));
        QVERIFY(CrashNotice(view) == nullptr);
    }

    void stuckPageStopsAndTheProgramAnswers()
    {
        m_user->TypeAddress(Url(u"/stuck"_qs));
        CQuillbrowView *view = m_user->ActiveWindow();
        QVERIFY(m_user->WaitFor([&] { return view->m_bBusy; }));
        // The page's script runs for ever; the program's own window does not wait on it.
        QVERIFY(m_user->WaitFor([&] { return RendererPid(view) > 0; }));
        QVERIFY(LongestStall(1000) < 200);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Blank"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 2; }));
        QVERIFY(m_user->Visit(Url(u"/one"_qs, u"localhost"_qs)));

        m_user->ClickTab(0);
        QVERIFY(m_user->WaitFor([&] { return m_user->ActiveWindow() == view; }));
        QVERIFY(m_user->ChooseMenu({u"Go"_qs, u"Stop"_qs}));
        QVERIFY(m_user->WaitFor([&] { return !view->m_bBusy; }, 10000));
        QVERIFY(!m_user->IsBusyAnimationPlaying());
        QVERIFY(view->PageNotice().contains(u"does not answer"_qs));
        QCOMPARE(m_user->Windows().size(), 2);
    }

    void hungPageStillCloses()
    {
        QVERIFY(m_user->Visit(Url(u"/spin"_qs)));
        // Used, so its leave question would count, then stuck for good.
        QVERIFY(m_user->ClickInPage(u"#field"_qs));
        QTest::keyClicks(m_user->FocusWidget(), u"draft"_qs);
        QVERIFY(m_user->ClickInPage(u"#spin"_qs));
        QElapsedTimer closing;
        closing.start();
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close"_qs}));
        QVERIFY(LongestStall(500) < 200);
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().isEmpty(); }, 15000));
        QVERIFY(closing.elapsed() < 10000);
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2ERenderer)
#include "tst_e2e_renderer.moc"
