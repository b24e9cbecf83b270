#include "CConfirmDlg.h"
#include "CEngineStore.h"
#include "CMainFrame.h"
#include "CProgramData.h"
#include "CQuillbrowApp.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QtTest>

// The splash screen as a user sees it at start-up: there while the first window's
// first page loads, gone once it has completed, and not there at all for a start with
// an address or with the option off.
class TestE2ESplash : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

    bool StartWithSplash(int nDisplaySplash, const QStringList &args = {})
    {
        CUserSession::WriteStoredSettings({{u"Settings/DisplaySplash"_qs, nDisplaySplash}});
        m_user = std::make_unique<CUserSession>();
        return m_user->Start(args);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/start"_qs, u"Start"_qs);
        m_server.RoutePage(u"/popup"_qs, u"Pop-up"_qs);
        // Held half-sent; the part that arrives opens a window of its own, which loads
        // completely while this page still waits.
        CTestServer::Response slow;
        slow.body = "<html><head><title>Slow start</title>"
                    "<script>window.open('/popup')</script></head><body>"
            + QByteArray(4000, 'x') + "</body></html>";
        slow.bHold = true;
        m_server.Route(u"/slow"_qs, slow);
    }

    void cleanup()
    {
        m_server.Release();
        m_user.reset();
        SetProgramDataDirOverride(QString());
    }

    void goesWhenTheFirstPageCompletesNotAPopups()
    {
        QVERIFY(EngineStore::WriteStartPage(Url(u"/slow"_qs)));
        QVERIFY(StartWithSplash(1));
        CQuillbrowApp *app = m_user->App();
        QPointer<CSplashWnd> splash = app->SplashWnd();
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QVERIFY(!app->m_bSplashDone);
        // Centred on the screen, in front of the frame.
        const QRect screen = splash->screen()->geometry();
        QCOMPARE(splash->pos(),
                 screen.topLeft()
                     + QPoint((screen.width() - 450) / 2, (screen.height() - 300) / 2));
        QCOMPARE(splash->size(), QSize(450, 300));

        QVERIFY(m_user->WaitForWindowShowing(Url(u"/popup"_qs)));
        QVERIFY(m_user->WaitFor([&] { return m_user->Tabs().contains(u"Pop-up"_qs); }));
        // The bar keeps moving while the page loads.
        const int x = splash->SpritePos().x();
        QVERIFY(m_user->WaitFor([&] { return splash && splash->SpritePos().x() != x; }));
        QVERIFY(splash && splash->isVisible());
        QVERIFY(!app->m_bSplashDone);

        m_server.Release();
        QVERIFY(m_user->WaitFor([&] { return splash.isNull(); }));
        QVERIFY(app->m_bSplashDone);
        QVERIFY(!app->SplashWnd());
        QVERIFY(m_user->WaitFor([&] { return QApplication::activeWindow() == m_user->Frame(); }));
    }

    void notShown_data()
    {
        QTest::addColumn<int>("displaySplash");
        QTest::addColumn<bool>("withAddress");
        QTest::newRow("started with an address") << 1 << true;
        QTest::newRow("option off") << 0 << false;
    }
    void notShown()
    {
        QFETCH(int, displaySplash);
        QFETCH(bool, withAddress);
        QVERIFY(EngineStore::WriteStartPage(Url(u"/start"_qs)));
        QVERIFY(StartWithSplash(displaySplash,
                                withAddress ? QStringList {Url(u"/start"_qs)} : QStringList()));
        QVERIFY(!m_user->App()->SplashWnd());
        QVERIFY(m_user->App()->m_bSplashDone);
        QVERIFY(m_user->WaitForPage(Url(u"/start"_qs)));
        QVERIFY(m_user->App()->m_bSplashDone);
    }

    // The first start of a fresh profile shows the installed guide's welcome page.
    void freshProfileOpensTheWelcomePage()
    {
        RegDeleteKey(ERegRoot::Engine, EngineStore::kMainKey);
        // The program's data as the build lays it out beside the program.
        SetProgramDataDirOverride(QStringLiteral(QUILLBROW_PROGRAM_DIR));
        QVERIFY(StartWithSplash(1));
        const QString welcome
            = QUrl::fromLocalFile(ProgramDataPath(u"quillbrow-guide/welcome.html"_qs)).toString();
        QVERIFY(QFile::exists(QUrl(welcome).toLocalFile()));
        QVERIFY(m_user->WaitForPage(welcome));
        QVERIFY(m_user->WaitFor([&] { return !m_user->App()->SplashWnd(); }));
        QCOMPARE(m_user->Tabs(), QStringList {u"Welcome to Quillbrow"_qs});
    }

    // Closing the program while the first page still loads takes the splash with it.
    void exitWhileShowing()
    {
        QVERIFY(EngineStore::WriteStartPage(Url(u"/slow"_qs)));
        QVERIFY(StartWithSplash(1));
        QPointer<CSplashWnd> splash = m_user->App()->SplashWnd();
        QVERIFY(splash);
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Exit"_qs}));
        QVERIFY(m_user->WaitForExit());
        QVERIFY(splash.isNull());
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2ESplash)
#include "tst_e2e_splash.moc"
