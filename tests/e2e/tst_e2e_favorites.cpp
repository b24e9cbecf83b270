#include "CAddFavoriteDlg.h"
#include "CBookmarkFile.h"
#include "CConfirmDlg.h"
#include "CFavoritesFolder.h"
#include "CFileDialog.h"
#include "CInternetShortcut.h"
#include "COrganizeFavoritesDlg.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QDir>
#include <QMenu>
#include <QtTest>

// The Favorites menu and its commands in the program as a user starts it.
class TestE2EFavorites : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;
    QString m_root;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }
    bool Link(const QString &relative, const QString &url)
    {
        const QString path = QDir(m_root).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        const QByteArray data = CInternetShortcut::Compose(url);
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        for (const QString &name : {u"one"_qs, u"two"_qs, u"three"_qs})
            m_server.RoutePage(u"/"_qs + name, u"Page "_qs + name);
        m_root = CFavoritesFolder::DefaultLocation();
    }

    void init()
    {
        QVERIFY(QDir(m_root).removeRecursively());
        m_user = CUserSession::StartAt(Url(u"/one"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
        QVERIFY(!CAddFavoriteDlg::HasPendingAnswers());
        QVERIFY(!COrganizeFavoritesDlg::HasPendingSessions());
        QVERIFY(!CFileDialog::HasPendingAnswers());
        CAddFavoriteDlg::ClearNextAnswers();
        COrganizeFavoritesDlg::ClearNextSessions();
        CFileDialog::ClearNextAnswers();
    }

    void addedFavoriteOpensFromTheMenu()
    {
        CAddFavoriteDlg::SetNextAnswer(QDialog::Accepted, u"My page"_qs);
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"Add to Favorites..."_qs}));
        const QString file = m_root + u"/My page.url"_qs;
        QVERIFY(m_user->WaitFor([&] { return QFileInfo::exists(file); }));
        QCOMPARE(CInternetShortcut::ReadUrl(file), Url(u"/one"_qs));

        QVERIFY(m_user->Visit(Url(u"/two"_qs)));
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"My page"_qs}));
        QVERIFY(m_user->WaitForPage(Url(u"/one"_qs)));
        QCOMPARE(m_user->Windows().size(), 1);
    }

    void addFromTheTabAndCaptionPopups()
    {
        QVERIFY(QDir().mkpath(m_root + u"/News"_qs));
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 2);
        QVERIFY(m_user->Visit(Url(u"/two"_qs)));

        // The Tab popup adds the window whose tab was clicked, not the active one.
        CAddFavoriteDlg::SetNextAnswer(QDialog::Accepted, QString(), u"News"_qs);
        QVERIFY(m_user->ChoosePopupItem(m_user->RightClickTab(0), u"Add to Favorites..."_qs));
        const QString fromTab = m_root + u"/News/Page one.url"_qs;
        QVERIFY(m_user->WaitFor([&] { return QFileInfo::exists(fromTab); }));
        QCOMPARE(CInternetShortcut::ReadUrl(fromTab), Url(u"/one"_qs));

        CAddFavoriteDlg::SetNextAnswer(QDialog::Accepted);
        QVERIFY(m_user->ChoosePopupItem(m_user->RightClickCaption(), u"Add to Favorites..."_qs));
        const QString fromCaption = m_root + u"/Page two.url"_qs;
        QVERIFY(m_user->WaitFor([&] { return QFileInfo::exists(fromCaption); }));
        QCOMPARE(CInternetShortcut::ReadUrl(fromCaption), Url(u"/two"_qs));
    }

    void openAllOpensEachLinkInANewWindow()
    {
        QVERIFY(Link(u"Pair/Second.url"_qs, Url(u"/two"_qs)));
        QVERIFY(Link(u"Pair/Third.url"_qs, Url(u"/three"_qs)));
        QVERIFY(m_user->IsMenuItemEnabled({u"Favorites"_qs, u"Pair"_qs, u"Second"_qs}));
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"Pair"_qs, u"Open All"_qs}));
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/two"_qs)));
        QVERIFY(m_user->WaitForWindowShowing(Url(u"/three"_qs)));
        QCOMPARE(m_user->Windows().size(), 3);
    }

    void organizeChangesWhatTheMenuShows()
    {
        QVERIFY(Link(u"Old name.url"_qs, Url(u"/two"_qs)));
        QVERIFY(m_user->MenuItem({u"Favorites"_qs, u"Old name"_qs}));
        COrganizeFavoritesDlg::SetNextSession([](COrganizeFavoritesDlg &dlg) {
            dlg.RenameItem(dlg.FindItem(u"Old name.url"_qs), u"New name"_qs);
        });
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"Organize your Favorites..."_qs}));
        QVERIFY(m_user->WaitFor([] { return !COrganizeFavoritesDlg::HasPendingSessions(); }));
        QVERIFY(!m_user->MenuItem({u"Favorites"_qs, u"Old name"_qs}));
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"New name"_qs}));
        QVERIFY(m_user->WaitForPage(Url(u"/two"_qs)));
    }

    void importAndExportBookmarkFiles()
    {
        const QString garbage = QDir::home().filePath(u"garbage.htm"_qs);
        QFile bad(garbage);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        // The start of a program file, NULs included: counted from the literal itself.
        static const char kProgram[] = "\x7F"
                                       "ELF\x02\x01\x01\0\0\0 not bookmarks";
        bad.write(kProgram, sizeof kProgram - 1);
        bad.close();
        CFileDialog::SetNextAnswer(garbage);
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"Import Favorites..."_qs}));
        QVERIFY(m_user->WaitFor([] { return !CConfirmDlg::HasPendingAnswers(); }));
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Following file is not a bookmark file. Nothing has been imported.\n\n\""_qs
                     + garbage + u'"');
        QVERIFY(QDir(m_root).isEmpty());

        const QString input = QDir::home().filePath(u"bookmarks.html"_qs);
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>Imported</H3>\n<DL><p>\n"
                   "<DT><A HREF=\""
                   + Url(u"/three"_qs).toUtf8()
                   + "\">Third page</A>\n"
                     "</DL><p>\n<DT><A HREF=\""
                   + Url(u"/two"_qs).toUtf8() + "\">Second</A>\n</DL>\n");
        file.close();
        CFileDialog::SetNextAnswer(input);
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"Import Favorites..."_qs}));
        QVERIFY(m_user->WaitFor([] { return !CConfirmDlg::HasPendingAnswers(); }));
        QCOMPARE(CConfirmDlg::LastText(), u"2 favorites have been imported."_qs);
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"Imported"_qs, u"Third page"_qs}));
        QVERIFY(m_user->WaitForPage(Url(u"/three"_qs)));

        const QString output = QDir::home().filePath(u"exported"_qs);
        CFileDialog::SetNextAnswer(output);
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu({u"Favorites"_qs, u"Export Favorites..."_qs}));
        QVERIFY(m_user->WaitFor([] { return !CConfirmDlg::HasPendingAnswers(); }));
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Your favorites have been exported to \""_qs + output + u".htm\"."_qs);
        SBookmark root;
        QCOMPARE(CBookmarkFile::Read(output + u".htm"_qs, root), EBookmarkResult::Ok);
        QCOMPARE(root.m_children.size(), 2);
        QCOMPARE(root.m_children.at(0).m_strName, u"Imported"_qs);
        QCOMPARE(root.m_children.at(0).m_children.at(0).m_strUrl, Url(u"/three"_qs));
        QCOMPARE(root.m_children.at(1).m_strUrl, Url(u"/two"_qs));
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EFavorites)
#include "tst_e2e_favorites.moc"
