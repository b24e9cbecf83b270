#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CFileDialog.h"
#include "CMainFrame.h"
#include "CPromptDlg.h"
#include "CQuillbrowView.h"
#include "CSignInDlg.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "CWebEngine.h"
#include "CWebPage.h"

#include <QDirIterator>
#include <QMdiArea>
#include <QMenu>
#include <QWebEngineView>
#include <QtTest>

// What a page asks of the program: a password, the whole screen, its context menu,
// its dialogs, and a word before its window closes.
class TestE2EPages : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;
    QTemporaryDir m_dir;
    int m_nFramesShown = 0;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }
    QString Site() const { return Url(QString()); }

    void RouteSignIn(const QString &path, const QByteArray &realm, const QByteArray &credentials)
    {
        CTestServer::Response page;
        page.body = "<html><head><title>Members</title></head><body>In</body></html>";
        page.authRealm = realm;
        page.authCredentials = credentials;
        page.unauthorizedBody = "<html><head><title>Denied</title></head><body>No</body></html>";
        m_server.Route(path, page);
    }

    // The widget that shows the active window's page, wherever it is.
    QWidget *PageWidget() const
    {
        CQuillbrowView *view = m_user->ActiveWindow();
        return view ? view->Engine()->Widget() : nullptr;
    }

    QString ActiveTitle() const
    {
        CQuillbrowView *view = m_user->ActiveWindow();
        return view ? view->GetLocationName() : QString();
    }

    bool Open(const QString &path)
    {
        m_user->TypeAddress(Url(path));
        return m_user->WaitForPage(Url(path));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<CChildFrame *>(watched))
            ++m_nFramesShown;
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        QVERIFY(m_dir.isValid());
        m_server.RoutePage(u"/start"_qs, u"Start"_qs);
        RouteSignIn(u"/members"_qs, "Club", "bob:Pw-7f3a9c");
        RouteSignIn(u"/vault"_qs, "Vault", "ann:right");
        RouteSignIn(u"/closed"_qs, "Closed", "nobody:nothing");
        m_server.RoutePage(
            u"/video"_qs, u"Video"_qs,
            u"<button id=fs onclick='document.documentElement.requestFullscreen()'>Full</button>"
            "<button id=leave onclick='document.exitFullscreen()'>Leave</button>"
            "<script>document.onfullscreenchange = () =>"
            " document.title = document.fullscreenElement ? 'Full' : 'Normal';</script>"_qs);
        m_server.RoutePage(u"/links"_qs, u"Links"_qs,
                           u"<p><a id=listed href=/listed>Listed</a></p>"
                           "<p><a id=plain href=/plain>Plain</a></p>"
                           "<p><a id=file href=/file>File</a></p>"_qs);
        m_server.RoutePage(u"/listed"_qs, u"Advert"_qs);
        m_server.RoutePage(u"/plain"_qs, u"Plain"_qs);
        CTestServer::Response file;
        file.contentType = "text/plain";
        file.body = "saved through the link";
        m_server.Route(u"/file"_qs, file);
        m_server.RoutePage(
            u"/dialogs"_qs, u"Dialogs"_qs,
            u"<button id=ask onclick=\"alert('Hello'); document.title ="
            " confirm('Go on?') ? 'Yes' : 'No'\">Ask</button>"
            "<button id=name onclick=\"document.title = prompt('Your name?', 'x') ?? 'none'\">"
            "Name</button>"_qs);
        m_server.RoutePage(u"/form"_qs, u"Form"_qs,
                           u"<input id=field oninput='document.title = this.value'>"
                           "<script>onbeforeunload = e => {"
                           " e.preventDefault(); e.returnValue = ''; };</script>"_qs);
        qApp->installEventFilter(this);
    }

    void init()
    {
        CUserSession::WriteStoredSettings({{u"Settings/AutoClose/url1"_qs, Url(u"/listed"_qs)}});
        CWebPage::ForgetSignIns();
        m_user = CUserSession::StartAt(Url(u"/start"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_user.reset();
        m_server.Release();
        QVERIFY(CUserSession::NoAnswersLeft());
        QVERIFY(!CSignInDlg::HasPendingAnswers());
        QVERIFY(!CPromptDlg::HasPendingAnswers());
        QVERIFY(!CFileDialog::HasPendingAnswers());
        CSignInDlg::ClearNextAnswers();
        CPromptDlg::ClearNextAnswers();
        CFileDialog::ClearNextAnswers();
    }

    void signInAnsweredRightLoadsThePage()
    {
        CSignInDlg::SetNextAnswer(u"bob"_qs, u"Pw-7f3a9c"_qs);
        QVERIFY(Open(u"/members"_qs));
        QCOMPARE(ActiveTitle(), u"Members"_qs);
        // The dialog names the site and its realm, and knows no name yet.
        QCOMPARE(CSignInDlg::LastText(),
                 u"The site %1 asks for a user name and password.\nThe site says: \"Club\""_qs.arg(
                     Site()));
        QCOMPARE(CSignInDlg::LastUserName(), QString());

        // The password is kept for the run only: none of the program's files has it.
        m_user.reset();
        for (const char *folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
            QDirIterator it(qEnvironmentVariable(folder), QDir::Files | QDir::Hidden,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile file(it.next());
                if (!file.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray content = file.readAll();
                QVERIFY2(!content.contains("Pw-7f3a9c")
                             && !content.contains(QByteArray("bob:Pw-7f3a9c").toBase64()),
                         qPrintable(file.fileName()));
            }
        }
    }

    void wrongPasswordAsksAgainWithTheNameFilledIn()
    {
        CSignInDlg::SetNextAnswer(u"ann"_qs, u"wrong"_qs);
        CSignInDlg::SetNextAnswer(u"ann"_qs, u"right"_qs);
        QVERIFY(Open(u"/vault"_qs));
        QCOMPARE(ActiveTitle(), u"Members"_qs);
        QCOMPARE(CSignInDlg::LastUserName(), u"ann"_qs);
        QVERIFY(CSignInDlg::LastText().endsWith(
            u"\n\nThe user name or password was not accepted. Please try again."_qs));
    }

    void cancelledSignInShowsTheServersPage()
    {
        CSignInDlg::SetNextCancel();
        QVERIFY(Open(u"/closed"_qs));
        QCOMPARE(ActiveTitle(), u"Denied"_qs);
    }

    void pageFullScreenEndsWithEscapeOrThePage()
    {
        QVERIFY(Open(u"/video"_qs));
        CMainFrame *frame = m_user->Frame();
        QMdiSubWindow *child = m_user->ActiveChild();
        const QRect childGeometry = child->geometry();
        const QRect frameGeometry = frame->geometry();

        QVERIFY(m_user->ClickInPage(u"#fs"_qs));
        QVERIFY(m_user->WaitFor([&] { return ActiveTitle() == u"Full"_qs; }));
        QWidget *window = PageWidget()->window();
        QVERIFY(window != frame);
        QVERIFY(window->isFullScreen());
        // The frame's own full screen is another thing.
        QVERIFY(!frame->IsFullScreen());

        m_user->PressKey(Qt::Key_Escape);
        QVERIFY(m_user->WaitFor([&] { return ActiveTitle() == u"Normal"_qs; }));
        QVERIFY(m_user->WaitFor([&] { return PageWidget()->window() == frame; }));
        QCOMPARE(PageWidget()->parentWidget(), m_user->ActiveWindow());
        QVERIFY(PageWidget()->isVisible());
        QCOMPARE(child->geometry(), childGeometry);
        QCOMPARE(frame->geometry(), frameGeometry);
        QVERIFY(!frame->isFullScreen());
        QVERIFY(!m_user->IsMenuItemChecked({u"View"_qs, u"Full Screen"_qs}));
        QCOMPARE(m_user->ActiveChild(), child);
        // The keys go to the page again, not to whatever took them while it was away.
        QVERIFY(m_user->WaitFor([&] {
            QWidget *focus = m_user->FocusWidget();
            return focus && (focus == PageWidget() || PageWidget()->isAncestorOf(focus));
        }));

        // The page may end it itself.
        QVERIFY(m_user->ClickInPage(u"#fs"_qs));
        QVERIFY(m_user->WaitFor([&] { return PageWidget()->window()->isFullScreen(); }));
        QVERIFY(m_user->ClickInPage(u"#leave"_qs));
        QVERIFY(m_user->WaitFor([&] { return PageWidget()->window() == frame; }));
        QVERIFY(m_user->WaitFor([&] { return ActiveTitle() == u"Normal"_qs; }));
    }

    void openLinkInNewWindowGoesThroughAutoClose()
    {
        QVERIFY(Open(u"/links"_qs));
        m_nFramesShown = 0;
        QMenu *menu = m_user->RightClickInPage(u"#listed"_qs);
        QVERIFY(menu);
        QStringList items;
        for (QAction *action : menu->actions())
            items << action->text();
        // No tabs apart from windows, no page saved without asking where.
        QCOMPARE(items.filter(u"tab"_qs, Qt::CaseInsensitive), QStringList());
        QCOMPARE(items.filter(u"Save page"_qs, Qt::CaseInsensitive), QStringList());
        QVERIFY(items.contains(u"Copy Link Address"_qs));
        QVERIFY(m_user->ChoosePopupItem(menu, u"Open Link in New Window"_qs));

        QVERIFY(m_user->ChoosePopupItem(m_user->RightClickInPage(u"#plain"_qs),
                                        u"Open Link in New Window"_qs));
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/plain"_qs)));
        // The listed one was closed before it showed or asked for anything.
        QVERIFY(m_user->WaitFor(
            [&] { return m_user->Frame()->MdiArea()->subWindowList().size() == 2; }));
        QCOMPARE(m_user->Tabs(), (QStringList {u"Links"_qs, u"Plain"_qs}));
        QCOMPARE(m_nFramesShown, 1);
        QCOMPARE(m_server.RequestCount(u"/listed"_qs), 0);
    }

    void saveLinkAsAsksWhereToSave()
    {
        QVERIFY(Open(u"/links"_qs));
        const QString target = m_dir.filePath(u"link.txt"_qs);
        CFileDialog::SetNextAnswer(target);
        QVERIFY(
            m_user->ChoosePopupItem(m_user->RightClickInPage(u"#file"_qs), u"Save Link As..."_qs));
        QVERIFY(m_user->WaitFor(
            [&] { return m_user->StatusText() == u"Download finished: "_qs + target; }));
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("saved through the link"));
        QCOMPARE(m_user->AddressText(), Url(u"/links"_qs));
    }

    void pageDialogsAnsweredByTheUser()
    {
        QVERIFY(Open(u"/dialogs"_qs));
        CConfirmDlg::SetNextAnswer(IDOK);
        CConfirmDlg::SetNextAnswer(IDCANCEL);
        QVERIFY(m_user->ClickInPage(u"#ask"_qs));
        QVERIFY(m_user->WaitFor([&] { return ActiveTitle() == u"No"_qs; }));
        QCOMPARE(CConfirmDlg::LastText(), u"Go on?"_qs);
        // Titled with the page's address, so a user sees who asks.
        QCOMPARE(CConfirmDlg::LastCaption(), Url(u"/dialogs"_qs));

        CConfirmDlg::SetNextAnswer(IDOK);
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ClickInPage(u"#ask"_qs));
        QVERIFY(m_user->WaitFor([&] { return ActiveTitle() == u"Yes"_qs; }));

        CPromptDlg::SetNextAnswer(u"Zoe"_qs);
        QVERIFY(m_user->ClickInPage(u"#name"_qs));
        QVERIFY(m_user->WaitFor([&] { return ActiveTitle() == u"Zoe"_qs; }));
        QCOMPARE(CPromptDlg::LastText(), u"Your name?"_qs);
        QCOMPARE(CPromptDlg::LastCaption(), Url(u"/dialogs"_qs));
        CPromptDlg::SetNextAnswer(u"ignored"_qs, false);
        QVERIFY(m_user->ClickInPage(u"#name"_qs));
        QVERIFY(m_user->WaitFor([&] { return ActiveTitle() == u"none"_qs; }));
    }

    void leavingPageAskedAboutOnClose()
    {
        QVERIFY(Open(u"/form"_qs));
        // A page may only hold on to a user who has used it.
        QVERIFY(m_user->ClickInPage(u"#field"_qs));
        QTest::keyClicks(m_user->FocusWidget(), u"draft"_qs);
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 2; }));
        CQuillbrowView *blank = m_user->Windows().at(1);
        m_user->ClickTab(0);
        QVERIFY(m_user->WaitFor([&] { return m_user->ActiveWindow() == m_user->Windows().at(0); }));

        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close"_qs}));
        QVERIFY(m_user->WaitFor([] { return !CConfirmDlg::HasPendingAnswers(); }));
        QCOMPARE(
            CConfirmDlg::LastText(),
            u"The web page you are closing asks you to confirm that you want to leave it. "
            "Changes you made on it may not be saved.\n\nDo you want to close this window?"_qs);
        QCOMPARE(CConfirmDlg::LastCaption(), Url(u"/form"_qs));
        QCOMPARE(m_user->Windows().size(), 2);
        // The user stays and goes on writing.
        QTest::keyClicks(m_user->FocusWidget(), u" more"_qs);
        QVERIFY(m_user->WaitFor([&] { return ActiveTitle() == u"draft more"_qs; }));

        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 1; }));
        QCOMPARE(m_user->ActiveWindow(), blank);

        // A page without the question closes at once.
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().isEmpty(); }));
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EPages)
#include "tst_e2e_pages.moc"
