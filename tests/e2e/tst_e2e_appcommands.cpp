#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CFileDialog.h"
#include "CMainFrame.h"
#include "CProgramData.h"
#include "CQuillbrowApp.h"
#include "CQuillbrowView.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QMdiSubWindow>
#include <QtTest>

// The application's commands over windows, and the frame's file prompt, dropped files
// and help, in the program as a user starts it.
class TestE2EAppCommands : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;
    QTemporaryDir m_files;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

    static void WriteFile(const QString &path, const QByteArray &content)
    {
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    // Opens windows with pages one, two and three; the last one is active.
    void OpenThreeWindows()
    {
        for (const QString &name : {u"two"_qs, u"three"_qs}) {
            m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
            QVERIFY(m_user->WaitFor(
                [&] { return m_user->ActiveWindow()->GetLocationURL() == u"about:blank"_qs; }));
            QVERIFY(m_user->Visit(Url(u"/"_qs + name)));
        }
        QCOMPARE(m_user->Windows().size(), 3);
    }

    QStringList Addresses() const
    {
        QStringList addresses;
        const auto windows = m_user->Windows();
        for (CQuillbrowView *view : windows)
            addresses << view->GetLocationURL();
        return addresses;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_files.isValid());
        QVERIFY(m_server.Start());
        for (const QString &name : {u"one"_qs, u"two"_qs, u"three"_qs})
            m_server.RoutePage(u"/"_qs + name, u"Page "_qs + name);
        CTestServer::Response held;
        held.body = "<html><body>" + QByteArray(4096, 'x') + "</body></html>";
        held.bHold = true;
        m_server.Route(u"/held"_qs, held);
        // A page that opens a window and fills it itself: the window never gets an
        // address of its own, so it stays hidden and without a tab.
        m_server.RoutePage(
            u"/opener"_qs, u"Opener"_qs,
            u"<script>var w = window.open('about:blank', 'hidden');"
            "w.document.title = 'Marked';"
            "w.document.body.innerHTML = '<iframe src=\"' + location.origin + '/held\"></iframe>';"
            "</script>"_qs);
    }

    void init()
    {
        // Every case is a first start: no answer a case stored reaches the next.
        QVERIFY(QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Tarvo"_qs).removeRecursively());
        m_user = CUserSession::StartAt(Url(u"/one"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_server.Release();
        m_user.reset();
        const bool bQuestionLeft = CConfirmDlg::HasPendingAnswers();
        const bool bPromptLeft = CFileDialog::HasPendingAnswers();
        CConfirmDlg::ClearNextAnswers();
        CFileDialog::ClearNextAnswers();
        SetProgramDataDirOverride(QString());
        QVERIFY2(!bQuestionLeft, "a question was not asked");
        QVERIFY2(!bPromptLeft, "a file prompt was not shown");
    }

    void closeAllAnsweredNoWithTheBoxTicked()
    {
        OpenThreeWindows();
        CConfirmDlg::SetNextAnswer(IDNO, true);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close All"_qs, u"Close All"_qs}));
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_CLOSE_ALL));
        QCOMPARE(m_user->Windows().size(), 3);

        // Not asked again: an answer queued now stays unused.
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close All"_qs, u"Close All"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Tabs().isEmpty(); }));
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
        QVERIFY(m_user->Frame()->Views().isEmpty());
        QVERIFY(!m_user->IsMenuItemEnabled({u"File"_qs, u"Close All"_qs, u"Close All"_qs}));
        QCOMPARE(m_user->App()->m_settings.ConfirmCloseAll, 0);
    }

    void closeAllExceptCurrentKeepsTheActiveWindow()
    {
        const QStringList item {u"File"_qs, u"Close All"_qs, u"Close All Except Current"_qs};
        QVERIFY2(!m_user->IsMenuItemEnabled(item), "one window: nothing to close");
        OpenThreeWindows();
        m_user->ClickTab(1);
        QTRY_COMPARE(m_user->ActiveWindow(), m_user->Windows().at(1));

        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu(item));
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_CLOSE_ALL_EX));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 1; }));
        QCOMPARE(m_user->Frame()->Views().size(), 1);
        QCOMPARE(Addresses(), QStringList {Url(u"/two"_qs)});
        QCOMPARE(m_user->ActiveWindow()->GetLocationURL(), Url(u"/two"_qs));
        QCOMPARE(m_user->Tabs(), QStringList {u"Page two"_qs});
        QCOMPARE(m_user->CurrentTab(), 0);
        QVERIFY(!m_user->IsMenuItemEnabled(item));
    }

    void closeAllExceptThisKeepsTheRightClickedWindow()
    {
        OpenThreeWindows();
        // Answered No: nothing closes.
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(m_user->ChoosePopupItem(m_user->RightClickTab(0), u"Close All Except This"_qs));
        QCOMPARE(m_user->Windows().size(), 3);

        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChoosePopupItem(m_user->RightClickTab(0), u"Close All Except This"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 1; }));
        QCOMPARE(Addresses(), QStringList {Url(u"/one"_qs)});
        // The kept window was not the active one; it is now.
        QVERIFY(
            m_user->WaitFor([&] { return m_user->ActiveWindow() == m_user->Windows().value(0); }));
        QCOMPARE(m_user->AddressText(), Url(u"/one"_qs));
    }

    // A window a page opened and never gave an address is hidden and has no tab, but it
    // is one of the program's windows all the same.
    void allWindowCommandsReachHiddenWindows_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("reloads");
        QTest::newRow("Stop All") << QStringList {u"Go"_qs, u"Stop All"_qs} << false;
        QTest::newRow("Refresh All") << QStringList {u"View"_qs, u"Refresh All"_qs} << true;
    }
    void allWindowCommandsReachHiddenWindows()
    {
        QFETCH(QStringList, command);
        QFETCH(bool, reloads);
        m_user->TypeAddress(Url(u"/opener"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_server.HeldCount() == 1; }));
        CQuillbrowView *hidden = nullptr;
        const auto views = m_user->Frame()->Views();
        for (CQuillbrowView *view : views) {
            if (!m_user->Windows().contains(view))
                hidden = view;
        }
        QVERIFY(hidden);
        QVERIFY(m_user->WaitFor([&] { return hidden->GetLocationName() == u"Marked"_qs; }));
        // The opener goes, so that nothing but the hidden window can be affected.
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 2; }));
        m_user->ClickTab(0);
        QVERIFY(m_user->WaitFor([&] { return m_user->CurrentTab() == 0; }));
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 1; }));
        QCOMPARE(m_user->Frame()->Views().size(), 2);
        QCOMPARE(m_server.HeldCount(), 1);

        QVERIFY(m_user->ChooseMenu(command));
        // The hidden window's held frame was dropped: stopped, or gone with the reload.
        QVERIFY(m_user->WaitFor([&] { return m_server.HeldCount() == 0; }));
        if (reloads)
            QVERIFY(m_user->WaitFor([&] { return hidden->GetLocationName() != u"Marked"_qs; }));
        else
            QCOMPARE(hidden->GetLocationName(), u"Marked"_qs);
        QVERIFY(!hidden->GetParentFrame()->isVisible());
    }

    void droppedFilesOpenOneWindowEach()
    {
        const QString first = m_files.filePath(u"first page.html"_qs);
        const QString second = m_files.filePath(u"second.htm"_qs);
        WriteFile(first, "<title>Dropped first</title>first");
        WriteFile(second, "<title>Dropped second</title>second");
        QVERIFY(QDir().mkpath(m_files.filePath(u"a folder"_qs)));
        const QList<QUrl> urls {QUrl::fromLocalFile(first),
                                QUrl::fromLocalFile(m_files.filePath(u"a folder"_qs)),
                                QUrl::fromLocalFile(m_files.filePath(u"missing.html"_qs)),
                                QUrl::fromLocalFile(second), QUrl(Url(u"/two"_qs))};
        QVERIFY(m_user->DropUrls(urls));
        const QStringList expected {Url(u"/one"_qs), QUrl::fromLocalFile(first).toString(),
                                    QUrl::fromLocalFile(second).toString(), Url(u"/two"_qs)};
        QVERIFY(m_user->WaitFor([&] { return Addresses() == expected; }));
        QVERIFY(m_user->WaitForPage(Url(u"/two"_qs)));

        // Nothing that can be opened: the drag is refused.
        QVERIFY(!m_user->DropUrls({QUrl::fromLocalFile(m_files.filePath(u"a folder"_qs))}));
        QCOMPARE(m_user->Frame()->Views().size(), 4);
    }

    void fileOpenAsksForAFile()
    {
        const QString page = m_files.filePath(u"opened.html"_qs);
        WriteFile(page, "<title>Opened file</title>hello");
        CFileDialog::SetNextAnswer(QString());
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Open..."_qs}));
        QCOMPARE(CFileDialog::LastFilters(),
                 (QStringList {u"HTML Documents(*.htm;*.html)"_qs, u"All Files(*.*)"_qs}));
        QCOMPARE(m_user->Frame()->Views().size(), 1);

        // OpenInNewWindow is on by default: the file gets a window of its own.
        CFileDialog::SetNextAnswer(page);
        m_user->PressKey(Qt::Key_O, Qt::ControlModifier);
        QVERIFY(m_user->WaitForPage(QUrl::fromLocalFile(page).toString()));
        QCOMPARE(m_user->Tabs(), (QStringList {u"Page one"_qs, u"Opened file"_qs}));

        m_user->App()->m_settings.OpenInNewWindow = 0;
        CFileDialog::SetNextAnswer(page);
        m_user->ClickTab(0);
        QVERIFY(m_user->WaitFor([&] { return m_user->CurrentTab() == 0; }));
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Open..."_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Tabs().value(0) == u"Opened file"_qs; }));
        QCOMPARE(m_user->Windows().size(), 2);
    }

    void newWindowCommands()
    {
        // Home: the engine's start page as it is now, not as it was at start-up.
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Home"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 2; }));
        QCOMPARE(m_user->ActiveWindow()->GetLocationURL(), QString());

        m_user->ClickTab(0);
        QVERIFY(m_user->WaitFor([&] { return m_user->CurrentTab() == 0; }));
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Current"_qs}));
        QVERIFY(m_user->WaitForPage(Url(u"/one"_qs)));
        QCOMPARE(m_user->Windows().size(), 3);
        QCOMPARE(m_user->CurrentTab(), 2);

        QVERIFY(m_user->ChooseMenu({u"Help"_qs, u"Quillbrow Web Site..."_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 4; }));
        QVERIFY(m_user->WaitFor(
            [&] { return m_user->AddressText() == LoadString(IDS_WEB_SITE_ADDRESS); }));

        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close All"_qs, u"Close All"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Frame()->Views().isEmpty(); }));
        QVERIFY(!m_user->IsMenuItemEnabled({u"File"_qs, u"New"_qs, u"Current"_qs}));
        QVERIFY(m_user->IsMenuItemEnabled({u"File"_qs, u"New"_qs, u"Home"_qs}));
    }

    void helpOpensTheGuide()
    {
        const QString data = m_files.filePath(u"data"_qs);
        SetProgramDataDirOverride(data);
        // The frame finds its guide when it is made.
        m_user.reset();
        m_user = std::make_unique<CUserSession>();
        QVERIFY(m_user->Start({Url(u"/one"_qs)}));
        const QString guide = data + u"/quillbrow-guide/index.html"_qs;

        // Missing: the user is told where it should be, and the window shows the engine's
        // own page for the missing file.
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu({u"Help"_qs, u"Quillbrow Help..."_qs}));
        QCOMPARE(CConfirmDlg::LastText(),
                 LoadStringWith(IDS_FILE_NOT_FOUND, u"filename"_qs, guide));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 2; }));

        WriteFile(guide, "<title>Quillbrow Help</title>guide");
        QVERIFY(m_user->ChooseMenu({u"Help"_qs, u"Quillbrow Help..."_qs}));
        QVERIFY(m_user->WaitForPage(QUrl::fromLocalFile(guide).toString()));
        QCOMPARE(m_user->Tabs().value(2), u"Quillbrow Help"_qs);
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EAppCommands)
#include "tst_e2e_appcommands.moc"
