#include "CAddressBar.h"
#include "CAddressCombo.h"
#include "CCommandManager.h"
#include "CConfirmDlg.h"
#include "CFakeEngine.h"
#include "CMainFrame.h"
#include "CMainReBar.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWindowsBar.h"

#include <QAction>
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
        for (int nID : {ID_VIEW_REFRESH, ID_WINDOW_PREVIOUS, ID_FILE_NEW_BLANK})
            OnCommandId(nID, [this, nID] { m_handled << nID; });
    }
    QList<int> m_handled;
};
} // namespace

// The main frame's command routing, bars and exit, with fake engines.
class TestCMainFrame : public QObject
{
    Q_OBJECT

    CSettings m_settings;
    CFakeApp m_app;
    std::unique_ptr<CMainFrame> m_frame;

    void MakeFrame()
    {
        m_frame = std::make_unique<CMainFrame>(m_settings);
        m_frame->SetAppTarget(&m_app);
        m_frame->SetEngineFactory([] { return std::make_unique<CFakeEngine>(); });
        m_frame->show();
    }
    static CFakeEngine *Fake(CQuillbrowView *view)
    {
        return static_cast<CFakeEngine *>(view->Engine());
    }
    CQuillbrowView *NewWindow(const QString &url)
    {
        CQuillbrowView *view = m_frame->CreateNewWindow(true, true);
        Fake(view)->Load(url, u"Page"_qs);
        return view;
    }
    bool IsEnabled(int nID) { return m_frame->Commands()->Query(nID).m_bEnabled; }

private slots:
    void init()
    {
        QDir(QFileInfo(RegStorePath(ERegRoot::Program)).absolutePath()).removeRecursively();
        m_settings.SetDefaults();
        m_settings.ConfirmExitApp = 0;
        m_app.m_handled.clear();
        MakeFrame();
    }

    void cleanup()
    {
        m_frame.reset();
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void viewComesBeforeFrameAndApp()
    {
        // No window: the frame's own table, then the application.
        QVERIFY(m_frame->Commands()->Route(ID_WINDOW_PREVIOUS));
        QVERIFY(m_app.m_handled.isEmpty());
        QVERIFY(m_frame->Commands()->Route(ID_FILE_NEW_BLANK));
        QCOMPARE(m_app.m_handled, QList<int> {ID_FILE_NEW_BLANK});
        // The frame's update rule decides even though the application has a handler.
        QVERIFY(!IsEnabled(ID_VIEW_REFRESH));

        CQuillbrowView *view = NewWindow(u"http://h/a"_qs);
        m_app.m_handled.clear();
        QVERIFY(m_frame->Commands()->Route(ID_VIEW_REFRESH));
        QCOMPARE(Fake(view)->m_calls.last(), u"Refresh"_qs);
        QVERIFY(m_app.m_handled.isEmpty());

        // File Close reaches the active window's document.
        NewWindow(u"http://h/b"_qs);
        QVERIFY(m_frame->Commands()->Route(ID_FILE_CLOSE));
        QTRY_COMPARE(m_frame->Views().size(), 1);
        QCOMPARE(m_frame->GetActiveHtmlView(), view);
    }

    void enableRulesWithAndWithoutWindow()
    {
        for (int nID : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_GO_BACK, ID_GO_STOP_ALL,
                        ID_FAVORITES_ADD, ID_VIEW_ADD_TO_AUTOCLOSE, ID_EDIT_FIND,
                        ID_EDIT_SELECT_ALL, ID_VIEW_REFRESH})
            QVERIFY2(!IsEnabled(nID), qPrintable(QString::number(nID)));
        QVERIFY(IsEnabled(ID_FILE_NEW_BLANK));
        QVERIFY(IsEnabled(ID_TOOLS_OPTIONS));
        QTRY_VERIFY(!m_frame->AddressBar()->Combo()->isEnabled());
        QVERIFY(m_frame->AddressBar()->Combo()->currentText().isEmpty());

        CQuillbrowView *view = NewWindow(u"http://h/a"_qs);
        QVERIFY(IsEnabled(ID_VIEW_REFRESH));
        QVERIFY(IsEnabled(ID_VIEW_ADD_TO_AUTOCLOSE));
        QVERIFY(!IsEnabled(ID_GO_BACK));
        // The "Tab" popup follows the right-clicked window, not the active one.
        m_frame->WindowsBar()->m_pClickedView = view;
        QVERIFY(!IsEnabled(ID_TAB_BACK));
        view->OnCommandStateChange(IWebEngine::CmdBack, true);
        QVERIFY(IsEnabled(ID_GO_BACK));
        QVERIFY(IsEnabled(ID_TAB_BACK));
        QVERIFY(!IsEnabled(ID_TAB_FORWARD));
        QTRY_VERIFY(m_frame->AddressBar()->Combo()->isEnabled());

        // Previous and Next do not wrap around.
        QVERIFY(!IsEnabled(ID_WINDOW_PREVIOUS));
        QVERIFY(!IsEnabled(ID_WINDOW_NEXT));
        NewWindow(u"http://h/b"_qs);
        QVERIFY(IsEnabled(ID_WINDOW_PREVIOUS));
        QVERIFY(!IsEnabled(ID_WINDOW_NEXT));
    }

    void menuPromptsInTheStatusBar()
    {
        m_frame->Commands()->Action(ID_FILE_NEW_BLANK)->showStatusText(m_frame->menuBar());
        QCOMPARE(m_frame->StatusText(), u"Open a new blank window"_qs);
        QStatusTipEvent leave {QString()};
        QCoreApplication::sendEvent(m_frame.get(), &leave);
        QCOMPARE(m_frame->StatusText(), u"Ready"_qs);
    }

    void timedStatusMessage()
    {
        m_frame->ShowStatusMessage(u"first"_qs, 60000);
        m_frame->ShowStatusMessage(u"second"_qs, 50);
        QCOMPARE(m_frame->StatusText(), u"second"_qs);
        // The latest message decides when the idle text comes back.
        QTRY_COMPARE(m_frame->StatusText(), u"Ready"_qs);

        // Something shown meanwhile stays when the time is up.
        m_frame->ShowStatusMessage(u"third"_qs, 50);
        m_frame->SetStatusText(u"http://h/link"_qs);
        QTimer *timer = nullptr;
        const auto timers = m_frame->findChildren<QTimer *>();
        for (QTimer *candidate : timers) {
            if (candidate->isActive() && candidate->interval() == 50)
                timer = candidate;
        }
        QVERIFY(timer);
        QSignalSpy timeout(timer, &QTimer::timeout);
        QVERIFY(timeout.wait());
        QCOMPARE(m_frame->StatusText(), u"http://h/link"_qs);
    }

    void hiddenBandComesBackHidden()
    {
        QVERIFY(m_frame->Commands()->Route(ID_VIEW_ADDRESS_BAR));
        QVERIFY(!m_frame->ReBar()->IsBandVisible(CMainFrame::BandAddressBar));
        m_frame->close();
        m_frame.reset();

        MakeFrame();
        QVERIFY(!m_frame->ReBar()->IsBandVisible(CMainFrame::BandAddressBar));
        QVERIFY(m_frame->ReBar()->IsBandVisible(CMainFrame::BandToolBar));
        const CCmdUI ui = m_frame->Commands()->Query(ID_VIEW_ADDRESS_BAR);
        QVERIFY(ui.m_bCheckSet);
        QCOMPARE(ui.m_nCheck, 0);

        // With the tool bar gone too, the last visible bar cannot be hidden.
        m_frame->Commands()->Route(ID_VIEW_WINDOWS_BAR);
        QVERIFY(!IsEnabled(ID_VIEW_TOOLBAR));
        QVERIFY(IsEnabled(ID_VIEW_ADDRESS_BAR));
        QVERIFY(IsEnabled(ID_VIEW_WINDOWS_BAR));
    }

    void fullScreenBringsTheStatusBarBack()
    {
        m_frame->Commands()->Route(ID_VIEW_STATUS_BAR);
        QVERIFY(m_frame->statusBar()->isHidden());
        m_frame->Commands()->Route(ID_VIEW_FULL_SCREEN);
        QVERIFY(m_frame->isFullScreen());
        QCOMPARE(m_frame->Commands()->Query(ID_VIEW_FULL_SCREEN).m_nCheck, 1);
        m_frame->Commands()->Route(ID_VIEW_FULL_SCREEN);
        QVERIFY(!m_frame->isFullScreen());
        QVERIFY(m_frame->isMaximized());
        QVERIFY(!m_frame->statusBar()->isHidden());
    }
};

QTEST_MAIN(TestCMainFrame)
#include "tst_cmainframe.moc"
