#include "CAddressBar.h"
#include "CAddressCombo.h"
#include "CCommandManager.h"
#include "CConfirmDlg.h"
#include "CFakeEngine.h"
#include "CMainFrame.h"
#include "CMainReBar.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QtTest>

namespace {
// Stands in for the application at the end of the route.
class CFakeApp : public CCmdTarget
{
public:
    CFakeApp()
    {
        for (int nID : {32787, 32829, 32774})
            OnCommandId(nID, [this, nID] { m_handled << nID; });
    }
    QList<int> m_handled;
};
} // namespace

// The main frame's command routing, bars and exit, with fake engines.
class TestCMainFrame : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void viewComesBeforeFrameAndApp();
    void enableRulesWithAndWithoutWindow();
    void menuPromptsInTheStatusBar();
    void hiddenBandComesBackHidden();
    void lastVisibleBarCannotBeHidden();
    void exitAnsweredNoKeepsTheFrame();
    void lastAddressIsTheActiveWindowsAtExit();
    void fullScreenBringsTheStatusBarBack();

private:
    void MakeFrame();
    CQuillbrowView *NewWindow(const QString &url);
    bool IsEnabled(int nID) { return m_frame->Commands()->Query(nID).m_bEnabled; }

    CSettings m_settings;
    CFakeApp m_app;
    std::unique_ptr<CMainFrame> m_frame;
    QHash<IWebEngine *, CFakeEngine *> m_engines;
};

void TestCMainFrame::init()
{
    QDir(QFileInfo(RegStorePath(ERegRoot::Program)).absolutePath()).removeRecursively();
    m_settings.SetDefaults();
    m_settings.ConfirmExitApp = 0;
    m_app.m_handled.clear();
    MakeFrame();
}

void TestCMainFrame::cleanup()
{
    m_frame.reset();
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
    CConfirmDlg::ClearNextAnswers();
}

void TestCMainFrame::MakeFrame()
{
    m_frame = std::make_unique<CMainFrame>(m_settings);
    m_frame->SetAppTarget(&m_app);
    m_frame->SetEngineFactory([this] {
        auto engine = std::make_unique<CFakeEngine>();
        m_engines.insert(engine.get(), engine.get());
        return engine;
    });
    m_frame->show();
}

CQuillbrowView *TestCMainFrame::NewWindow(const QString &url)
{
    CQuillbrowView *view = m_frame->CreateNewWindow(true, true);
    m_engines.value(view->Engine())->Load(url, u"Page"_qs);
    return view;
}

void TestCMainFrame::viewComesBeforeFrameAndApp()
{
    // No window: the frame's own table, then the application.
    QVERIFY(m_frame->Commands()->Route(32829));
    QVERIFY(m_app.m_handled.isEmpty());
    QVERIFY(m_frame->Commands()->Route(32774));
    QCOMPARE(m_app.m_handled, QList<int> {32774});
    // The frame's update rule decides even though the application has a handler.
    QVERIFY(!IsEnabled(32787));

    CQuillbrowView *view = NewWindow(u"http://h/a"_qs);
    m_app.m_handled.clear();
    QVERIFY(m_frame->Commands()->Route(32787));
    QCOMPARE(m_engines.value(view->Engine())->m_calls.last(), u"Refresh"_qs);
    QVERIFY(m_app.m_handled.isEmpty());

    // File Close reaches the active window's document.
    NewWindow(u"http://h/b"_qs);
    QVERIFY(m_frame->Commands()->Route(57602));
    QTRY_COMPARE(m_frame->Views().size(), 1);
    QCOMPARE(m_frame->GetActiveHtmlView(), view);
}

void TestCMainFrame::enableRulesWithAndWithoutWindow()
{
    for (int nID : {57635, 57634, 57637, 32779, 32782, 32803, 32820, 57636, 57642, 32787})
        QVERIFY2(!IsEnabled(nID), qPrintable(QString::number(nID)));
    QVERIFY(IsEnabled(32774));
    QTRY_VERIFY(!m_frame->AddressBar()->Combo()->isEnabled());
    QVERIFY(m_frame->AddressBar()->Combo()->currentText().isEmpty());

    CQuillbrowView *view = NewWindow(u"http://h/a"_qs);
    QVERIFY(IsEnabled(32787));
    QVERIFY(!IsEnabled(32779));
    view->OnCommandStateChange(IWebEngine::CmdBack, true);
    QVERIFY(IsEnabled(32779));
    QTRY_VERIFY(m_frame->AddressBar()->Combo()->isEnabled());

    // Previous and Next do not wrap around.
    QVERIFY(!IsEnabled(32829));
    QVERIFY(!IsEnabled(32830));
    NewWindow(u"http://h/b"_qs);
    QVERIFY(IsEnabled(32829));
    QVERIFY(!IsEnabled(32830));
}

void TestCMainFrame::menuPromptsInTheStatusBar()
{
    QAction *action = m_frame->Commands()->Action(32774);
    action->showStatusText(m_frame->menuBar());
    QCOMPARE(m_frame->StatusText(), u"Open a new blank window"_qs);
    QStatusTipEvent leave {QString()};
    QCoreApplication::sendEvent(m_frame.get(), &leave);
    QCOMPARE(m_frame->StatusText(), u"Ready"_qs);
}

void TestCMainFrame::hiddenBandComesBackHidden()
{
    QVERIFY(m_frame->Commands()->Route(32806));
    QVERIFY(!m_frame->ReBar()->IsBandVisible(CMainFrame::BandAddressBar));
    m_frame->close();
    m_frame.reset();

    MakeFrame();
    QVERIFY(!m_frame->ReBar()->IsBandVisible(CMainFrame::BandAddressBar));
    QVERIFY(m_frame->ReBar()->IsBandVisible(CMainFrame::BandToolBar));
    const CCmdUI ui = m_frame->Commands()->Query(32806);
    QVERIFY(ui.m_bCheckSet);
    QCOMPARE(ui.m_nCheck, 0);
}

void TestCMainFrame::lastVisibleBarCannotBeHidden()
{
    m_frame->Commands()->Route(32806);
    m_frame->Commands()->Route(32814);
    QVERIFY(!IsEnabled(59392));
    QVERIFY(IsEnabled(32806));
    QVERIFY(IsEnabled(32814));
}

void TestCMainFrame::exitAnsweredNoKeepsTheFrame()
{
    m_settings.ConfirmExitApp = 1;
    CConfirmDlg::SetNextAnswer(IDNO, true);
    QVERIFY(!m_frame->close());
    QVERIFY(m_frame->isVisible());
    QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_EXIT_APP));
    QCOMPARE(m_settings.ConfirmExitApp, 0);
    QVERIFY(GetProfileBinary(u"Settings"_qs, u"MainFramePosition"_qs).isEmpty());

    // Switched off, the next close asks nothing and saves the layout.
    QVERIFY(m_frame->close());
    QCOMPARE(GetProfileBinary(u"Settings"_qs, u"ReBar"_qs).size(), 320);
    QCOMPARE(GetProfileBinary(u"Settings"_qs, u"MainFramePosition"_qs).size(), 44);
}

void TestCMainFrame::lastAddressIsTheActiveWindowsAtExit()
{
    NewWindow(u"http://h/first"_qs);
    NewWindow(u"http://h/active"_qs);
    QVERIFY(m_frame->close());
    m_frame.reset();
    QCOMPARE(m_settings.LastVisited, u"http://h/active"_qs);
}

void TestCMainFrame::fullScreenBringsTheStatusBarBack()
{
    m_frame->Commands()->Route(59393);
    QVERIFY(m_frame->statusBar()->isHidden());
    m_frame->Commands()->Route(32797);
    QVERIFY(m_frame->IsFullScreen());
    QVERIFY(m_frame->isFullScreen());
    QCOMPARE(m_frame->Commands()->Query(32797).m_nCheck, 1);
    m_frame->Commands()->Route(32797);
    QVERIFY(!m_frame->isFullScreen());
    QVERIFY(m_frame->isMaximized());
    QVERIFY(!m_frame->statusBar()->isHidden());
}

QTEST_MAIN(TestCMainFrame)
#include "tst_cmainframe.moc"
