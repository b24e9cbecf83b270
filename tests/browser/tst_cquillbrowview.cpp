#include "CChildFrame.h"
#include "CCommandManager.h"
#include "CConfirmDlg.h"
#include "CEngineInfo.h"
#include "CFakeEngine.h"
#include "CMainFrame.h"
#include "CPrintDialogs.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWindowsBar.h"

#include <QtTest>

// The view's decisions against a fake engine inside a real main frame: titles and
// progress, pop-ups and the AutoClose list, close requests, typed addresses and the
// choice of the next window.
class TestCQuillbrowView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void progressInTheCaption_data();
    void progressInTheCaption();
    void popupDecidedByItsFirstRealAddress_data();
    void popupDecidedByItsFirstRealAddress();
    void pageClosingItsWindow_data();
    void pageClosingItsWindow();
    void typedAddressOnlyWhenNotRedirected();
    void nextActiveWindowByActivateMode_data();
    void nextActiveWindowByActivateMode();
    void forwardedAddressByOpenInNewWindow_data();
    void forwardedAddressByOpenInNewWindow();
    void lastAddressAndMaximizedStateOfTheClosedWindow();
    void printPreviewNeedsVersion550_data();
    void printPreviewNeedsVersion550();

private:
    CQuillbrowView *NewWindow() { return m_frame->CreateNewWindow(true, true); }
    static CFakeEngine *EngineOf(CQuillbrowView *view)
    {
        return static_cast<CFakeEngine *>(view->Engine());
    }
    CWindowsBar *Bar() const { return m_frame->WindowsBar(); }

    CSettings m_settings;
    std::unique_ptr<CMainFrame> m_frame;
};

void TestCQuillbrowView::init()
{
    m_settings.SetDefaults();
    m_settings.AutoCloseList = {u"http://ads.example/pop"_qs, u"http://track.example/*"_qs};
    m_settings.AutoCloseCount = {0, 4};
    m_frame = std::make_unique<CMainFrame>(m_settings);
    m_frame->SetEngineFactory([] { return std::make_unique<CFakeEngine>(); });
    m_frame->show();
    CConfirmDlg::ClearNextAnswers();
}

void TestCQuillbrowView::cleanup()
{
    m_frame.reset();
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
}

void TestCQuillbrowView::progressInTheCaption_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("image");

    QTest::newRow("a quarter") << u"News"_qs << 50 << 200 << u"News [ 25 % ]"_qs << 2;
    QTest::newRow("no name") << QString() << 10 << 100 << u"[ 10 % ]"_qs << 0;
    QTest::newRow("done while active") << u"News"_qs << 100 << 100 << u"News"_qs << 9;
    QTest::newRow("max 0 with progress 0 means done") << u"News"_qs << 0 << 0 << u"News"_qs << 9;
    QTest::newRow("negative max ignored") << u"News"_qs << 5 << -1 << u"before"_qs << 0;
    QTest::newRow("negative progress ignored") << u"News"_qs << -5 << 100 << u"before"_qs << 0;
}

void TestCQuillbrowView::progressInTheCaption()
{
    QFETCH(QString, name);
    QFETCH(int, progress);
    QFETCH(int, max);
    QFETCH(QString, caption);
    QFETCH(int, image);

    CQuillbrowView *view = NewWindow();
    view->GetDocument()->SetTitle(u"before"_qs);
    EngineOf(view)->m_name = name;
    view->OnProgressChange(progress, max);
    QCOMPARE(view->GetParentFrame()->windowTitle(), caption);
    QCOMPARE(Bar()->GetTabImage(0), image);
}

void TestCQuillbrowView::popupDecidedByItsFirstRealAddress_data()
{
    // The addresses the pop-up goes to, one after the other.
    QTest::addColumn<QString>("addresses");
    QTest::addColumn<bool>("activate");
    // The entry that closes the pop-up, -1 for none.
    QTest::addColumn<int>("entry");

    QTest::newRow("listed") << u"http://ADS.example/pop"_qs << true << 0;
    QTest::newRow("listed, starts with") << u"http://track.example/a/b?c"_qs << true << 1;
    QTest::newRow("blank first, then listed")
        << u"about:blank http://ads.example/pop"_qs << true << 0;
    // Once refused it goes nowhere else, whatever its opener does before it is gone.
    QTest::newRow("listed, then sent elsewhere")
        << u"http://ads.example/pop http://news.example/"_qs << true << 0;
    QTest::newRow("unlisted, activated") << u"http://news.example/"_qs << true << -1;
    QTest::newRow("unlisted, not activated") << u"http://news.example/"_qs << false << -1;
}

void TestCQuillbrowView::popupDecidedByItsFirstRealAddress()
{
    QFETCH(QString, addresses);
    QFETCH(bool, activate);
    QFETCH(int, entry);
    const bool closed = entry >= 0;

    m_settings.ActivateNewWindow = activate ? 1 : 0;
    CQuillbrowView *opener = NewWindow();
    bool bCancel = true;
    auto *popupEngine = static_cast<CFakeEngine *>(opener->OnNewWindow2(bCancel));
    QVERIFY(popupEngine && !bCancel);
    auto *popup = static_cast<CQuillbrowView *>(popupEngine->m_pSink);
    QPointer<CChildFrame> popupFrame = popup->GetParentFrame();
    QVERIFY(!popupFrame->isVisible());
    QCOMPARE(Bar()->GetItemCount(), 1);
    m_frame->SetStatusText(u"Ready"_qs);

    bool bLoaded = true;
    for (const QString &address : addresses.split(u' '))
        bLoaded = popupEngine->Load(address, u"Pop"_qs);
    QCOMPARE(bLoaded, !closed);
    QCOMPARE(popupFrame->isVisible(), !closed);
    QCOMPARE(Bar()->GetItemCount(), closed ? 1 : 2);
    QCOMPARE(Bar()->GetCurSel(), activate && !closed ? 1 : 0);
    CQuillbrowView *active = activate && !closed ? popup : opener;
    if (closed) {
        // The window goes at the next turn of the event loop, without waiting for the
        // engine to end the refused load; the engine keeps its page until then.
        QVERIFY(popupFrame);
        QCOMPARE(popupEngine->m_calls.count(u"KeepPageUntilLoadEnds"_qs), 1);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(popupFrame.isNull());
    }
    QCOMPARE(m_frame->GetActiveHtmlView(), active);

    // The entry that did it counts one more window; the status bar names the address.
    const QList<int> counts = {entry == 0 ? 1 : 0, entry == 1 ? 5 : 4};
    QCOMPARE(m_settings.AutoCloseCount, counts);
    QStringList visited = addresses.split(u' ');
    visited.removeAll(u"about:blank"_qs);
    const QString closedAddress = visited.first();
    QCOMPARE(m_frame->StatusText(),
             closed ? u"Closed a pop-up window: "_qs + closedAddress : u"Ready"_qs);
}

void TestCQuillbrowView::pageClosingItsWindow_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<int>("confirmAfter");

    QTest::newRow("Yes") << int(IDYES) << false << 1;
    QTest::newRow("No, box ticked") << int(IDNO) << true << 0;
}

void TestCQuillbrowView::pageClosingItsWindow()
{
    QFETCH(int, answer);
    QFETCH(bool, tick);
    QFETCH(int, confirmAfter);

    m_settings.ConfirmUserClose = 1;
    CQuillbrowView *other = NewWindow();
    CQuillbrowView *view = NewWindow();
    other->GetParentFrame()->ActivateFrame();
    QPointer<CChildFrame> frame = view->GetParentFrame();
    CConfirmDlg::SetNextAnswer(answer, tick);
    bool bCancel = true;
    view->OnWindowClosing(false, bCancel);
    // The question comes from the event loop, after the engine's call has returned;
    // the engine has nothing to undo either way.
    QVERIFY(!bCancel);
    QVERIFY(CConfirmDlg::HasPendingAnswers());
    QTRY_VERIFY(!CConfirmDlg::HasPendingAnswers());
    QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_USER_CLOSE));
    QCOMPARE(m_settings.ConfirmUserClose, confirmAfter);
    if (answer == IDYES)
        QTRY_VERIFY(frame.isNull());
    QCOMPARE(m_frame->Views().size(), answer == IDYES ? 1 : 2);
    // The page's window was brought forward to ask; closed, the previous one returns.
    QCOMPARE(m_frame->GetActiveHtmlView(), answer == IDYES ? other : view);
}

void TestCQuillbrowView::typedAddressOnlyWhenNotRedirected()
{
    CQuillbrowView *view = NewWindow();
    m_frame->NavigateActiveView(u"http://h/moved"_qs, true);
    QVERIFY(EngineOf(view)->Load(u"http://h/moved"_qs, u"T"_qs, u"http://h/target"_qs));
    QVERIFY(m_frame->TypedAddresses().isEmpty());

    m_frame->NavigateActiveView(u"http://h/stays"_qs, true);
    QVERIFY(EngineOf(view)->Load(u"http://h/stays"_qs, u"T"_qs, u"http://H/stays"_qs));
    QCOMPARE(m_frame->TypedAddresses(), QStringList {u"http://H/stays"_qs});
}

void TestCQuillbrowView::nextActiveWindowByActivateMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("closing");
    QTest::addColumn<int>("next");

    QTest::newRow("previous, middle") << 0 << 1 << 0;
    QTest::newRow("previous, first takes its right") << 0 << 0 << 1;
    QTest::newRow("next, middle") << 1 << 1 << 2;
    QTest::newRow("next, last takes its left") << 1 << 2 << 1;
}

void TestCQuillbrowView::nextActiveWindowByActivateMode()
{
    QFETCH(int, mode);
    QFETCH(int, closing);
    QFETCH(int, next);

    m_settings.ActivateMode = mode;
    QList<CQuillbrowView *> views {NewWindow(), NewWindow(), NewWindow()};
    views[closing]->GetParentFrame()->ActivateFrame();
    QPointer<CChildFrame> frame = views[closing]->GetParentFrame();
    views[closing]->GetDocument()->OnCloseDocument();
    QTRY_VERIFY(frame.isNull());
    QCOMPARE(Bar()->GetItemCount(), 2);
    QCOMPARE(m_frame->GetActiveHtmlView(), views[next]);
}

void TestCQuillbrowView::forwardedAddressByOpenInNewWindow_data()
{
    QTest::addColumn<int>("openInNew");
    QTest::addColumn<int>("windowsBefore");
    QTest::addColumn<int>("windowsAfter");

    QTest::newRow("into the active window") << 0 << 1 << 1;
    QTest::newRow("no window to take it") << 0 << 0 << 1;
    QTest::newRow("into a new window") << 1 << 1 << 2;
}

void TestCQuillbrowView::forwardedAddressByOpenInNewWindow()
{
    QFETCH(int, openInNew);
    QFETCH(int, windowsBefore);
    QFETCH(int, windowsAfter);

    m_settings.OpenInNewWindow = openInNew;
    for (int i = 0; i < windowsBefore; ++i)
        NewWindow();
    QCOMPARE(m_frame->OnCopyData(0, QByteArray("http://fwd.example/\0", 20)), 1u);
    QCOMPARE(m_frame->OnNavigate(), 1u);
    QCOMPARE(m_frame->Views().size(), windowsAfter);
    QCOMPARE(EngineOf(m_frame->GetActiveHtmlView())->m_calls.last(),
             u"Navigate2 http://fwd.example/"_qs);
}

void TestCQuillbrowView::lastAddressAndMaximizedStateOfTheClosedWindow()
{
    CQuillbrowView *first = NewWindow();
    CQuillbrowView *second = NewWindow();
    EngineOf(first)->Load(u"http://h/first"_qs, u"First"_qs);
    EngineOf(second)->Load(u"http://h/second"_qs, u"Second"_qs);
    second->GetParentFrame()->ActivateFrame(3);
    QVERIFY(m_frame->ChildMaximized());
    second->GetDocument()->OnCloseDocument();
    QCOMPARE(m_frame->LastAddress(), u"http://h/second"_qs);
    QVERIFY(m_frame->ChildMaximized());

    // Closing a window that is not active records nothing.
    EngineOf(NewWindow())->Load(u"http://h/third"_qs, u"Third"_qs);
    first->GetDocument()->OnCloseDocument();
    QCOMPARE(m_frame->LastAddress(), u"http://h/second"_qs);
}

QTEST_MAIN(TestCQuillbrowView)
#include "tst_cquillbrowview.moc"

void TestCQuillbrowView::printPreviewNeedsVersion550_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<bool>("opens");

    QTest::newRow("4.72") << 4 << 72 << false;
    QTest::newRow("5.0") << 5 << 0 << false;
    QTest::newRow("5.49") << 5 << 49 << false;
    QTest::newRow("5.50") << 5 << 50 << true;
    QTest::newRow("6.0") << 6 << 0 << true;
}

void TestCQuillbrowView::printPreviewNeedsVersion550()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(bool, opens);
    CEngineInfo info;
    info.m_nMajor = major;
    info.m_nMinor = minor;
    m_frame->SetEngineInfo(&info);
    CQuillbrowView *view = NewWindow();
    EngineOf(view)->Load(u"http://news.example/"_qs, u"News"_qs);
    // Either way, nothing waits for a person.
    CPrintDialogs::SetNextAnswer(false);
    CConfirmDlg::SetNextAnswer(IDOK);

    QVERIFY(m_frame->Commands()->Route(ID_FILE_PRINT_PREVIEW));
    // Opened, the preview has the engine draw its pages; refused, the message says why.
    QCOMPARE(EngineOf(view)->m_calls.contains(u"Print"_qs), opens);
    QCOMPARE(CPrintDialogs::HasPendingAnswers(), !opens);
    QCOMPARE(CConfirmDlg::HasPendingAnswers(), opens);
    if (!opens)
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_NO_PRINT_PREVIEW));
    CPrintDialogs::ClearNextAnswers();
    CConfirmDlg::ClearNextAnswers();
}
