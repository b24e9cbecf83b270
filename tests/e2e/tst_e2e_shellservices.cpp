#include "CConfirmDlg.h"
#include "CExternalLinks.h"
#include "CInternetOptionsDlg.h"
#include "CQuillbrowApp.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CTestDesktop.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "CWebEngine.h"
#include "EngineTestUtil.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWebEngineView>
#include <QtTest>

// The services the program takes from the desktop and the engine: working offline,
// the mail and news programs, synchronising, and the engine's Internet Options.
class TestE2EShellServices : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;
    CTestDesktop m_desktop;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }
    QStringList WrittenLines(int nLines) const { return m_desktop.WrittenLines(nLines); }

    QString LinkText(int nId, const QString &scheme, const QString &address) const
    {
        return LoadString(nId)
            .replace(u"%scheme%"_qs, scheme)
            .replace(u"%program%"_qs, u"Test Client"_qs)
            .replace(u"%address%"_qs, address);
    }

    void LoadLinks()
    {
        m_server.RoutePage(
            u"/links"_qs, u"Links"_qs,
            u"<p><a id=mail href='mailto:someone@example.org?subject=Hi%20there'>mail</a></p>"
            "<p><a id=blank target=_blank href='mailto:other@example.org'>in a new window</a></p>"
            "<p><a id=irc href='irc://irc.example.org/quillbrow'>chat</a></p>"
            "<p><a id=magnet href='magnet:?xt=urn:btih:0123456789abcdef'>magnet</a></p>"
            "<iframe srcdoc=\"<a id=inner href='mailto:inner@example.org'>in a frame</a>\">"
            "</iframe>"_qs);
        QVERIFY(m_user->Visit(Url(u"/links"_qs)));
    }

private slots:
    void linksToOtherProgramsAskOncePerScheme()
    {
        QVERIFY(m_desktop.SetHandler(u"mailto"_qs));
        LoadLinks();
        const QString mail = u"mailto:someone@example.org?subject=Hi%20there"_qs;
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ClickInPage(u"#mail"_qs));
        QCOMPARE(WrittenLines(1), QStringList {mail});
        // The question shows the address as it reads.
        QCOMPARE(CConfirmDlg::LastText(),
                 LinkText(IDS_EXTERNAL_LINK_ASK, u"mailto"_qs,
                          u"mailto:someone@example.org?subject=Hi there"_qs));
        QCOMPARE(CConfirmDlg::LastCaption(), LoadString(IDS_EXTERNAL_LINK_CAPTION));
        // The page stays where it was.
        QCOMPARE(m_user->AddressText(), Url(u"/links"_qs));
        QCOMPARE(m_user->Tabs(), QStringList {u"Links"_qs});

        // Answered for the run: the next one starts at once, and a window the page
        // opened only for the link goes without being shown.
        QVERIFY(m_user->ClickInPage(u"#blank"_qs));
        QCOMPARE(WrittenLines(2).value(1), u"mailto:other@example.org"_qs);
        QVERIFY(m_user->WaitFor([&] {
            return m_user->Windows().size() == 1 && m_user->ActiveWindow() == m_user->Windows()[0];
        }));
        QCOMPARE(m_user->Tabs(), QStringList {u"Links"_qs});

        // No program for the scheme: said plainly.
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ClickInPage(u"#magnet"_qs));
        QVERIFY(m_user->WaitFor([] { return !CConfirmDlg::HasPendingAnswers(); }));
        QCOMPARE(CConfirmDlg::LastText(),
                 LinkText(IDS_EXTERNAL_LINK_NO_PROGRAM, u"magnet"_qs,
                          u"magnet:?xt=urn:btih:0123456789abcdef"_qs));
        QCOMPARE(CConfirmDlg::LastCaption(), LoadString(IDS_ERROR_CAPTION));
    }

    void aRefusedSchemeStaysRefusedForTheRun()
    {
        QVERIFY(m_desktop.SetHandler(u"mailto"_qs));
        QVERIFY(m_desktop.SetHandler(u"irc"_qs));
        LoadLinks();
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(m_user->ClickInPage(u"#mail"_qs));
        QVERIFY(m_user->WaitFor([] { return !CConfirmDlg::HasPendingAnswers(); }));

        // Not asked again: the answer queued next is the irc link's, and only that
        // program starts.
        QVERIFY(m_user->ClickInPage(u"#mail"_qs));
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ClickInPage(u"#irc"_qs));
        QCOMPARE(WrittenLines(1), QStringList {u"irc://irc.example.org/quillbrow"_qs});
        QCOMPARE(CConfirmDlg::LastText(),
                 LinkText(IDS_EXTERNAL_LINK_ASK, u"irc"_qs, u"irc://irc.example.org/quillbrow"_qs));
    }

    void aLinkInAFrameIsAskedAboutToo()
    {
        QVERIFY(m_desktop.SetHandler(u"mailto"_qs));
        LoadLinks();
        CQuillbrowView *view = m_user->ActiveWindow();
        // The frame's link, clicked where it lies in the page.
        const QVariant at = CUserSession::RunInPage(
            view,
            u"(function() { const f = document.querySelector('iframe');"
            " f.scrollIntoView({block: 'center'});"
            " const a = f.contentDocument.getElementById('inner').getBoundingClientRect();"
            " const r = f.getBoundingClientRect();"
            " return [r.left + a.left + a.width / 2, r.top + a.top + a.height / 2]; })()"_qs);
        QCOMPARE(at.toList().size(), 2);
        CConfirmDlg::SetNextAnswer(IDYES);
        QWidget *target = dynamic_cast<CWebEngine *>(view->Engine())->View()->focusProxy();
        QTest::mouseClick(
            target, Qt::LeftButton, {},
            QPoint(qRound(at.toList().at(0).toDouble()), qRound(at.toList().at(1).toDouble())));
        QCOMPARE(WrittenLines(1), QStringList {u"mailto:inner@example.org"_qs});
        QCOMPARE(CConfirmDlg::LastCaption(), LoadString(IDS_EXTERNAL_LINK_CAPTION));
    }

    void initTestCase()
    {
        QVERIFY(m_desktop.IsValid());
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/one"_qs, u"Page one"_qs);
        m_server.RoutePage(u"/two"_qs, u"Page two"_qs);
    }

    void init()
    {
        QVERIFY(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).removeRecursively());
        m_desktop.Reset();
        // Each test is a run of its own: no link scheme answered yet.
        CExternalLinks::Instance().Forget();
        m_user = CUserSession::StartAt(Url(u"/one"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_user.reset();
        const bool bQuestionLeft = CConfirmDlg::HasPendingAnswers();
        const bool bDialogLeft = CInternetOptionsDlg::HasPendingScripts();
        CConfirmDlg::ClearNextAnswers();
        CInternetOptionsDlg::ClearNextScripts();
        QVERIFY2(!bQuestionLeft, "a question was not asked");
        QVERIFY2(!bDialogLeft, "the Internet Options did not open");
    }

    void workOfflineBlocksTheNetworkUntilSwitchedBack()
    {
        const QStringList item {u"File"_qs, u"Work Offline"_qs};
        QVERIFY(!m_user->IsMenuItemChecked(item));
        QVERIFY(m_user->ChooseMenu(item));
        QVERIFY(m_user->IsMenuItemChecked(item));
        QCOMPARE(CUserSession::StoredEngineSetting(u"Main/Offline"_qs).toString(), u"1"_qs);

        m_user->TypeAddress(Url(u"/two"_qs));
        CQuillbrowView *view = m_user->ActiveWindow();
        QVERIFY(m_user->WaitFor([&] { return view->IsShowingOfflineNotice(); }));
        QCOMPARE(m_server.RequestCount(u"/two"_qs), 0);

        // Files on this computer still open.
        const QString file = QFileInfo(m_desktop.OutFile()).dir().filePath(u"local.html"_qs);
        QVERIFY(CTestDesktop::WriteText(file, u"<title>Local</title>here"_qs));
        m_user->TypeAddress(file);
        QVERIFY(m_user->WaitForPage(QUrl::fromLocalFile(file).toString()));
        QVERIFY(!view->IsShowingOfflineNotice());
        m_user->PressKey(Qt::Key_Left, Qt::AltModifier);
        QVERIFY(m_user->WaitFor([&] { return view->IsShowingOfflineNotice(); }));

        QVERIFY(m_user->ChooseMenu(item));
        QVERIFY(!m_user->IsMenuItemChecked(item));
        m_user->PressKey(Qt::Key_F5);
        QVERIFY(m_user->WaitFor([&] { return m_user->Tabs() == QStringList {u"Page two"_qs}; }));
        QVERIFY(!view->IsShowingOfflineNotice());
        QCOMPARE(m_server.RequestCount(u"/two"_qs), 1);
    }

    void workOfflineNeedsAWindow()
    {
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close All"_qs, u"Close All"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().isEmpty(); }));
        QVERIFY(!m_user->IsMenuItemEnabled({u"File"_qs, u"Work Offline"_qs}));
    }

    void mailAndNews_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("exec"); // empty: no handler; "-": a handler without Exec
        QTest::addColumn<QString>("message"); // empty: the handler starts
        QTest::addColumn<QStringList>("arguments");
        const QString writer = m_desktop.WriterCommand();
        QTest::newRow("mail: field codes and quoted arguments")
            << u"Mail..."_qs << u"mailto"_qs
            << writer
                + u" \"two  words\" 'single quoted' --name=%c %u %i \"a\\\\\\\\b\" \"x\\sy\" 100%%"_qs
            << QString()
            << QStringList {u"two  words"_qs, u"single quoted"_qs, u"--name=Test Client"_qs,
                            u"--icon"_qs,     u"client-icon"_qs,   u"a\\b"_qs,
                            u"x y"_qs,        u"100%"_qs};
        QTest::newRow("mail: no handler") << u"Mail..."_qs << u"mailto"_qs << QString()
                                          << LoadString(IDS_NO_MAIL_PROGRAM) << QStringList();
        QTest::newRow("mail: a handler without a command")
            << u"Mail..."_qs << u"mailto"_qs << u"-"_qs << LoadString(IDS_NO_MAIL_PROGRAM)
            << QStringList();
        QTest::newRow("mail: a command that does not exist")
            << u"Mail..."_qs << u"mailto"_qs << u"/nonexistent/quillbrow-test-mail %u"_qs
            << LoadString(IDS_CANNOT_START_MAIL) + u"Test Client"_qs << QStringList();
        QTest::newRow("news: starts") << u"News..."_qs << u"news"_qs << writer + u" reader %U"_qs
                                      << QString() << QStringList {u"reader"_qs};
        QTest::newRow("news: no handler") << u"News..."_qs << u"news"_qs << QString()
                                          << LoadString(IDS_NO_NEWS_PROGRAM) << QStringList();
        QTest::newRow("news: a command that does not exist")
            << u"News..."_qs << u"news"_qs << u"/nonexistent/quillbrow-test-news"_qs
            << LoadString(IDS_CANNOT_START_NEWS) + u"Test Client"_qs << QStringList();
    }
    void mailAndNews()
    {
        QFETCH(QString, item);
        QFETCH(QString, scheme);
        QFETCH(QString, exec);
        QFETCH(QString, message);
        QFETCH(QStringList, arguments);
        if (!exec.isEmpty())
            QVERIFY(m_desktop.SetHandler(scheme, exec == u"-"_qs ? QString() : exec));
        if (!message.isEmpty())
            CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu({u"Tools"_qs, item}));
        if (!message.isEmpty()) {
            QCOMPARE(CConfirmDlg::LastText(), message);
            QCOMPARE(CConfirmDlg::LastCaption(), LoadString(IDS_ERROR_CAPTION));
        } else {
            QCOMPARE(WrittenLines(int(arguments.size())), arguments);
        }
    }

    void synchronize()
    {
        const QStringList item {u"Tools"_qs, u"Synchronize..."_qs};
        CConfirmDlg::SetNextAnswer(IDNO, true);
        QVERIFY(m_user->ChooseMenu(item));
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_SYNCHRONIZE));
        QCOMPARE(CConfirmDlg::LastCaption(), LoadString(IDS_SYNCHRONIZE_CAPTION));
        QCOMPARE(m_user->App()->m_settings.ConfirmSynchronize, 0);

        // Not asked again; without a command the user is told.
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu(item));
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_SYNCHRONIZE_FAILED));

        QVERIFY(RegWriteString(ERegRoot::Engine, u"Main"_qs, u"SyncCommand"_qs,
                               m_desktop.WriterCommand() + u" synced"_qs));
        QVERIFY(m_user->ChooseMenu(item));
        QCOMPARE(WrittenLines(1), QStringList {u"synced"_qs});

        QVERIFY(RegWriteString(ERegRoot::Engine, u"Main"_qs, u"SyncCommand"_qs,
                               u"/nonexistent/quillbrow-sync"_qs));
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu(item));
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_SYNCHRONIZE_FAILED));
    }

    void internetOptionsHomePageIsReadAgain()
    {
        bool bUseCurrentEnabled = false;
        CInternetOptionsDlg::SetNextScript([&](CInternetOptionsDlg &dlg) {
            bUseCurrentEnabled = dlg.UseCurrentButton()->isEnabled();
            dlg.UseCurrentButton()->click();
            dlg.OkButton()->click();
        });
        QVERIFY(m_user->ChooseMenu({u"Tools"_qs, u"Internet Options..."_qs}));
        QVERIFY(bUseCurrentEnabled);
        QCOMPARE(CUserSession::StoredEngineSetting(u"Main/Start Page"_qs).toString(),
                 Url(u"/one"_qs));

        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Home"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 2; }));
        QVERIFY(m_user->WaitForPage(Url(u"/one"_qs)));

        // Cancelled: the page typed stays unsaved.
        CInternetOptionsDlg::SetNextScript(
            [&](CInternetOptionsDlg &dlg) { dlg.HomePageEdit()->setText(Url(u"/two"_qs)); });
        QVERIFY(m_user->ChooseMenu({u"Tools"_qs, u"Internet Options..."_qs}));
        QCOMPARE(CUserSession::StoredEngineSetting(u"Main/Start Page"_qs).toString(),
                 Url(u"/one"_qs));
    }

    void internetOptionsClearHistory()
    {
        QVERIFY(m_user->Visit(Url(u"/two"_qs)));
        QCOMPARE(m_user->TypedAddressList(), QStringList {Url(u"/two"_qs)});

        // The buttons act at once, whatever ends the dialog.
        CInternetOptionsDlg::SetNextScript([](CInternetOptionsDlg &dlg) {
            CConfirmDlg::SetNextAnswer(IDYES);
            dlg.ClearHistoryButton()->click();
        });
        QVERIFY(m_user->ChooseMenu({u"Tools"_qs, u"Internet Options..."_qs}));
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_CLEAR_HISTORY));
        QVERIFY(m_user->TypedAddressList().isEmpty());
        QVERIFY(!CUserSession::StoredEngineSetting(u"TypedURLs/url1"_qs).isValid());
        // The page's address is still in the address bar.
        QCOMPARE(m_user->AddressText(), Url(u"/two"_qs));

        // Without a window there is no current page to use.
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close All"_qs, u"Close All"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().isEmpty(); }));
        bool bUseCurrentEnabled = true;
        CInternetOptionsDlg::SetNextScript([&](CInternetOptionsDlg &dlg) {
            bUseCurrentEnabled = dlg.UseCurrentButton()->isEnabled();
        });
        QVERIFY(m_user->ChooseMenu({u"Tools"_qs, u"Internet Options..."_qs}));
        QVERIFY(!bUseCurrentEnabled);
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EShellServices)
#include "tst_e2e_shellservices.moc"
