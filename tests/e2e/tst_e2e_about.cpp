#include "CAboutDlg.h"
#include "CConfirmDlg.h"
#include "CEngineInfo.h"
#include "CHyperLink.h"
#include "CMainFrame.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CTestDesktop.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QLabel>
#include <QProcess>
#include <QtTest>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

// Help > About as a user meets it: what the dialog says, and its links opening with
// the programs the desktop names for e-mail and the web.
class TestE2EAbout : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;
    CTestDesktop m_desktop;

    static void ClickText(CHyperLink *link)
    {
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, link->height() / 2));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_desktop.IsValid());
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/one"_qs, u"Page one"_qs);
    }

    void init()
    {
        m_desktop.Reset();
        m_user = CUserSession::StartAt(m_server.Url(u"/one"_qs).toString());
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_user.reset();
        const bool bScriptLeft = CAboutDlg::HasPendingScripts();
        const bool bQuestionLeft = CConfirmDlg::HasPendingAnswers();
        CAboutDlg::ClearNextScripts();
        CConfirmDlg::ClearNextAnswers();
        QVERIFY2(!bScriptLeft, "the About dialog did not open");
        QVERIFY2(!bQuestionLeft, "a message was not shown");
    }

    void showsNameVersionAndEngine()
    {
        QString title, engine, windowTitle;
        bool bBold = false;
        QWidget *parent = nullptr;
        CAboutDlg::SetNextScript([&](CAboutDlg &dlg) {
            windowTitle = dlg.windowTitle();
            title = dlg.TitleLabel()->text();
            bBold = dlg.TitleLabel()->font().bold();
            engine = dlg.EngineLabel()->text();
            parent = dlg.parentWidget();
            QTest::keyClick(&dlg, Qt::Key_Return);
        });
        QVERIFY(m_user->ChooseMenu({u"Help"_qs, u"About Quillbrow..."_qs}));
        QCOMPARE(windowTitle, u"About Quillbrow"_qs);
        QCOMPARE(title, u"Quillbrow 1.01c"_qs);
        QVERIFY(bBold);
        QString chromium;
        CEngineInfo::ReadEngineVersion(chromium);
        QCOMPARE(
            engine,
            u"Qt WebEngine %1, Chromium %2"_qs.arg(QLatin1String(qWebEngineVersion()), chromium));
        QCOMPARE(parent, static_cast<QWidget *>(m_user->Frame()));
    }

    // The same text as `quillbrow --version` prints.
    void versionMatchesTheCommandLine()
    {
        QProcess program;
        program.start(QStringLiteral(QUILLBROW_BINARY), {u"--version"_qs});
        QVERIFY(program.waitForFinished(30000));
        QString title;
        CAboutDlg::SetNextScript([&](CAboutDlg &dlg) { title = dlg.TitleLabel()->text(); });
        QVERIFY(m_user->ChooseMenu({u"Help"_qs, u"About Quillbrow..."_qs}));
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()), title + u'\n');
    }

    void linksOpenWithTheDesktopsPrograms()
    {
        QVERIFY(m_desktop.SetHandler(u"mailto"_qs));
        QVERIFY(m_desktop.SetHandler(u"https"_qs));
        bool bStillOpen = false;
        CAboutDlg::SetNextScript([&](CAboutDlg &dlg) {
            ClickText(dlg.MailLink());
            ClickText(dlg.WebLink());
            bStillOpen = dlg.isVisible();
        });
        QVERIFY(m_user->ChooseMenu({u"Help"_qs, u"About Quillbrow..."_qs}));
        QVERIFY(bStillOpen);
        QStringList lines = m_desktop.WrittenLines(2);
        lines.sort();
        QCOMPARE(lines,
                 QStringList({LoadString(IDS_WEB_SITE_ADDRESS),
                              u"mailto:"_qs + LoadString(IDS_EMAIL_ADDRESS)}));
    }

    void linkWithoutAProgramIsReported()
    {
        bool bStillOpen = false;
        CAboutDlg::SetNextScript([&](CAboutDlg &dlg) {
            CConfirmDlg::SetNextAnswer(IDOK);
            ClickText(dlg.MailLink());
            bStillOpen = dlg.isVisible();
        });
        QVERIFY(m_user->ChooseMenu({u"Help"_qs, u"About Quillbrow..."_qs}));
        QVERIFY(bStillOpen);
        QCOMPARE(CConfirmDlg::LastText(),
                 LoadStringWith(IDS_CANNOT_OPEN_LINK, u"link"_qs,
                                u"mailto:"_qs + LoadString(IDS_EMAIL_ADDRESS)));
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EAbout)
#include "tst_e2e_about.moc"
