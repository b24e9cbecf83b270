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
private slots:
    void init();
    void cleanup();
    void oldEngineRefusesToStart_data();
    void oldEngineRefusesToStart();
    void defaultBrowserQuestion_data();
    void defaultBrowserQuestion();
    void valuesKeptAsReadAcrossARun();
    void storedPlacementIsApplied_data();
    void storedPlacementIsApplied();
    void receivingSide();

private:
    std::unique_ptr<CQuillbrowApp> Start(const QList<QByteArray> &args = {});
    static QString ConfigFile() { return RegStorePath(ERegRoot::Program); }
};

void TestCQuillbrowApp::init()
{
    QDir(QFileInfo(ConfigFile()).absolutePath()).removeRecursively();
    QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_qs);
    QDir(qEnvironmentVariable("XDG_DATA_HOME") + u"/applications"_qs).removeRecursively();
    CEngineInfo::ClearVersionOverride();
    CConfirmDlg::ClearNextAnswers();
}

void TestCQuillbrowApp::cleanup()
{
    QVERIFY2(!CConfirmDlg::HasPendingAnswers(), "a question that should have been asked was not");
    CConfirmDlg::ClearNextAnswers();
}

std::unique_ptr<CQuillbrowApp> TestCQuillbrowApp::Start(const QList<QByteArray> &args)
{
    auto app = std::make_unique<CQuillbrowApp>(args);
    if (!app->InitInstance())
        return nullptr;
    return app;
}

void TestCQuillbrowApp::oldEngineRefusesToStart_data()
{
    QTest::addColumn<QString>("version");
    QTest::newRow("major 3") << u"3.99.1.1"_qs;
    QTest::newRow("unreadable") << QString();
    QTest::newRow("no dot") << u"108"_qs;
}

void TestCQuillbrowApp::oldEngineRefusesToStart()
{
    QFETCH(QString, version);
    CEngineInfo::SetVersionOverride(version);
    CConfirmDlg::SetNextAnswer(IDOK);
    CQuillbrowApp app({});
    QVERIFY(!app.InitInstance());
    QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_INVALID_ENGINE_VERSION));
    QVERIFY(!app.MainFrame());
    app.ExitInstance();
    QVERIFY2(!QFile::exists(ConfigFile()), "nothing may be written when start-up is refused");
}

void TestCQuillbrowApp::defaultBrowserQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("madeDefault");
    QTest::addColumn<int>("checkAfter");

    QTest::newRow("No, box ticked") << int(IDNO) << true << false << 0;
    QTest::newRow("Yes, box clear") << int(IDYES) << false << true << 1;
    QTest::newRow("Yes, box ticked") << int(IDYES) << true << true << 0;
    QTest::newRow("closed, box clear") << int(IDCANCEL) << false << false << 1;
}

void TestCQuillbrowApp::defaultBrowserQuestion()
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
    QCOMPARE(app->m_settings.CheckDefaultBrowser, checkAfter);
    app->ExitInstance();
    QCOMPARE(GetProfileInt(u"Settings"_qs, u"CheckDefaultBrowser"_qs, -1), checkAfter);

    // Once it is the default, or once the check is off, nothing is asked.
    if (!madeDefault && checkAfter != 0)
        CConfirmDlg::SetNextAnswer(IDNO, true);
    auto again = Start();
    QVERIFY(again);
    again->ExitInstance();
}

void TestCQuillbrowApp::valuesKeptAsReadAcrossARun()
{
    WriteProfileInt(u"Settings"_qs, u"StartMode"_qs, 7);
    WriteProfileInt(u"Settings"_qs, u"ActivateMode"_qs, 5);
    WriteProfileInt(u"Settings"_qs, u"CheckDefaultBrowser"_qs, 0);
    WriteProfileInt(u"Settings"_qs, u"MaximizeChild"_qs, 1);
    auto app = Start();
    QVERIFY(app);
    QCOMPARE(app->StartAddress(), u"about:blank"_qs);
    app->MainFrame()->SetLastAddress(u"http://last.example/"_qs);
    app->ExitInstance();

    QCOMPARE(GetProfileInt(u"Settings"_qs, u"StartMode"_qs, -1), 7);
    QCOMPARE(GetProfileInt(u"Settings"_qs, u"ActivateMode"_qs, -1), 5);
    QCOMPARE(GetProfileInt(u"Settings"_qs, u"MaximizeChild"_qs, -1), 1);
    QCOMPARE(GetProfileString(u"Settings"_qs, u"LastVisited"_qs), u"http://last.example/"_qs);
    const CFramePlacement placement
        = CFramePlacement::FromBytes(GetProfileBinary(u"Settings"_qs, u"MainFramePosition"_qs));
    QCOMPARE(placement.length, 44);
}

void TestCQuillbrowApp::storedPlacementIsApplied_data()
{
    QTest::addColumn<int>("showCmd");
    QTest::addColumn<bool>("maximized");
    QTest::newRow("minimized comes back normal") << 2 << false;
    QTest::newRow("maximized") << 3 << true;
}

void TestCQuillbrowApp::storedPlacementIsApplied()
{
    QFETCH(int, showCmd);
    QFETCH(bool, maximized);
    WriteProfileInt(u"Settings"_qs, u"CheckDefaultBrowser"_qs, 0);
    CFramePlacement p;
    p.showCmd = showCmd;
    p.SetNormalRect(QRect(30, 40, 500, 400));
    WriteProfileBinary(u"Settings"_qs, u"MainFramePosition"_qs, p.ToBytes());

    auto app = Start();
    QVERIFY(app);
    CMainFrame *frame = app->MainFrame();
    QVERIFY(frame->isVisible());
    QCOMPARE(frame->windowTitle(), u"Quillbrow"_qs);
    QCOMPARE(frame->isMaximized(), maximized);
    if (!maximized)
        QCOMPARE(frame->geometry(), QRect(30, 40, 500, 400));
    app->ExitInstance();
}

void TestCQuillbrowApp::receivingSide()
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
    QCOMPARE(frame->m_strPendingAddress, u"http://a.example/"_qs);

    frame->showMinimized();
    QCOMPARE(app->OnNavigate(), 1u);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toString(), u"http://a.example/"_qs);
    QVERIFY(frame->m_strPendingAddress.isEmpty());
    QVERIFY(!frame->isMinimized());

    // Navigate without an address only shows the frame.
    QCOMPARE(app->OnNavigate(), 1u);
    QCOMPARE(opened.size(), 2);
    QVERIFY(opened.at(1).at(0).toString().isEmpty());
    app->ExitInstance();
}

QTEST_MAIN(TestCQuillbrowApp)
#include "tst_cquillbrowapp.moc"
