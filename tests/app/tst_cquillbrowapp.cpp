#include "CConfirmDlg.h"
#include "CDefaultBrowser.h"
#include "CEngineInfo.h"
#include "CFramePlacement.h"
#include "CMainFrame.h"
#include "CQuillbrowApp.h"
#include "CRegistry.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QtTest>

// Start-up and exit of the application object, in process, with every question
// answered in advance.
class TestCQuillbrowApp : public QObject
{
    Q_OBJECT

    static QString ConfigFile() { return RegStorePath(ERegRoot::Program); }
    static std::unique_ptr<CQuillbrowApp> Start()
    {
        auto app = std::make_unique<CQuillbrowApp>(QList<QByteArray>());
        return app->InitInstance() ? std::move(app) : nullptr;
    }

private slots:
    void init()
    {
        QDir(QFileInfo(ConfigFile()).absolutePath()).removeRecursively();
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_qs);
        QDir(qEnvironmentVariable("XDG_DATA_HOME") + u"/applications"_qs).removeRecursively();
        CEngineInfo::ClearVersionOverride();
        CConfirmDlg::ClearNextAnswers();
    }
    void cleanup()
    {
        QVERIFY2(!CConfirmDlg::HasPendingAnswers(),
                 "a question that should have been asked was not");
        CConfirmDlg::ClearNextAnswers();
    }

    void oldEngineRefusesToStart()
    {
        CEngineInfo::SetWebEngineVersionOverride(u"6.3.2"_qs);
        CConfirmDlg::SetNextAnswer(IDOK);
        CQuillbrowApp app({});
        QVERIFY(!app.InitInstance());
        // The message names the version start-up checked against.
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Invalid version of Qt WebEngine.\n\nQuillbrow requires Qt WebEngine "_qs
                     + CEngineInfo::RequiredWebEngineVersion() + u" or above."_qs);
        QVERIFY(!app.MainFrame());
        app.ExitInstance();
        QVERIFY2(!QFile::exists(ConfigFile()), "nothing may be written when start-up is refused");
    }

    void defaultBrowserQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("madeDefault");
        QTest::addColumn<int>("checkAfter");
        QTest::newRow("No, box ticked") << int(IDNO) << true << false << 0;
        QTest::newRow("Yes, box clear") << int(IDYES) << false << true << 1;
        QTest::newRow("closed, box clear") << int(IDCANCEL) << false << false << 1;
    }
    void defaultBrowserQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, tick);
        QFETCH(bool, madeDefault);
        QFETCH(int, checkAfter);

        CConfirmDlg::SetNextAnswer(answer, tick);
        auto app = Start();
        QVERIFY(app);
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_NOT_DEFAULT_BROWSER));
        QCOMPARE(DefaultBrowser::IsDefaultBrowser(), madeDefault);
        app->ExitInstance();
        QCOMPARE(GetProfileInt(u"Settings"_qs, u"CheckDefaultBrowser"_qs, -1), checkAfter);

        // Once it is the default, or once the check is off, nothing is asked.
        if (!madeDefault && checkAfter != 0)
            CConfirmDlg::SetNextAnswer(IDNO, true);
        QVERIFY(Start());
    }

    void valuesAndPlacementKeptAcrossARun()
    {
        WriteProfileInt(u"Settings"_qs, u"StartMode"_qs, 7);
        WriteProfileInt(u"Settings"_qs, u"CheckDefaultBrowser"_qs, 0);
        CFramePlacement p;
        p.showCmd = CFramePlacement::Minimized;
        p.SetNormalRect(QRect(30, 40, 500, 400));
        WriteProfileBinary(u"Settings"_qs, u"MainFramePosition"_qs, p.ToBytes());

        auto app = Start();
        QVERIFY(app);
        QCOMPARE(app->StartAddress(), u"about:blank"_qs);
        QVERIFY(app->MainFrame()->isVisible());
        QVERIFY(!app->MainFrame()->isMinimized());
        QCOMPARE(app->MainFrame()->geometry(), QRect(30, 40, 500, 400));
        app->MainFrame()->SetLastAddress(u"http://last.example/"_qs);
        app->ExitInstance();

        QCOMPARE(GetProfileInt(u"Settings"_qs, u"StartMode"_qs, -1), 7);
        QCOMPARE(GetProfileString(u"Settings"_qs, u"LastVisited"_qs), u"http://last.example/"_qs);
        p = CFramePlacement::FromBytes(GetProfileBinary(u"Settings"_qs, u"MainFramePosition"_qs));
        QCOMPARE(p.showCmd, int(CFramePlacement::Normal));
        QCOMPARE(p.NormalRect(), QRect(30, 40, 500, 400));
    }

    void receivingSide()
    {
        WriteProfileInt(u"Settings"_qs, u"CheckDefaultBrowser"_qs, 0);
        auto app = Start();
        QVERIFY(app);
        CMainFrame *frame = app->MainFrame();
        QSignalSpy opened(frame, &CMainFrame::openAddressRequested);

        QVERIFY(app->OnFindInstance() != 0);
        QCOMPARE(app->OnCopyData(0, QByteArray(1, '\0')), 0u);
        QCOMPARE(app->OnCopyData(3, QByteArray("http://other.tag/\0", 18)), 0u);
        QVERIFY(frame->m_strPendingAddress.isEmpty());
        QCOMPARE(app->OnCopyData(0, QByteArray("http://a.example/\0rest", 22)), 1u);

        frame->showMinimized();
        QCOMPARE(app->OnNavigate(), 1u);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), u"http://a.example/"_qs);
        QVERIFY(!frame->isMinimized());

        // Navigate without an address only shows the frame.
        QCOMPARE(app->OnNavigate(), 1u);
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened.at(1).at(0).toString().isEmpty());
        app->ExitInstance();
    }
};

QTEST_MAIN(TestCQuillbrowApp)
#include "tst_cquillbrowapp.moc"
