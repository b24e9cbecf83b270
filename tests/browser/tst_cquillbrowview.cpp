#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CFakeEngine.h"
#include "CMainFrame.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CSettings.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CWindowsBar.h"

#include <QMdiArea>
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
    void backgroundCompletionKeepsItsMarkUntilActivated();
    void popupDecidedByItsFirstRealAddress_data();
    void popupDecidedByItsFirstRealAddress();
    void normalWindowToAListedAddressStays();
    void pageClosingItsWindow_data();
    void pageClosingItsWindow();
    void typedAddressOnlyWhenNotRedirected();
    void nextActiveWindowByActivateMode_data();
    void nextActiveWindowByActivateMode();
    void forwardedAddressByOpenInNewWindow_data();
    void forwardedAddressByOpenInNewWindow();
    void lastAddressAndMaximizedStateOfTheClosedWindow();

private:
    CQuillbrowView *NewWindow();
    CFakeEngine *EngineOf(CQuillbrowView *view) const { return m_engines.value(view->Engine()); }

    CSettings m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    QHash<IWebEngine *, CFakeEngine *> m_engines;
};

void TestCQuillbrowView::init()
{
    m_settings.SetDefaults();
    m_settings.AutoCloseList = {u"http://ads.example/pop"_qs, u"http://track.example/*"_qs};
    m_engines.clear();
    m_frame = std::make_unique<CMainFrame>(m_settings);
    m_frame->SetEngineFactory([this] {
        auto engine = std::make_unique<CFakeEngine>();
        m_engines.insert(engine.get(), engine.get());
        return engine;
    });
    m_frame->show();
    CConfirmDlg::ClearNextAnswers();
}

void TestCQuillbrowView::cleanup()
{
    m_frame.reset();
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
}

CQuillbrowView *TestCQuillbrowView::NewWindow()
{
    return m_frame->CreateNewWindow(true, true);
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
    QCOMPARE(m_frame->WindowsBar()->GetTabImage(0), image);
}

void TestCQuillbrowView::backgroundCompletionKeepsItsMarkUntilActivated()
{
    CQuillbrowView *first = NewWindow();
    CQuillbrowView *second = NewWindow();
    QCOMPARE(m_frame->GetActiveHtmlView(), second);

    EngineOf(first)->Load(u"http://h/slow"_qs, u"Slow page"_qs);
    QCOMPARE(first->DocumentTitle(), u"Slow page [ 100 % ]"_qs);
    QCOMPARE(m_frame->WindowsBar()->GetTabText(0), u"Slow page [ 100 % ]"_qs);
    QCOMPARE(m_frame->WindowsBar()->GetTabImage(0), 8);
    QCOMPARE(m_frame->windowTitle(), u"Quillbrow"_qs);

    first->GetParentFrame()->ActivateFrame();
    QCOMPARE(m_frame->GetActiveHtmlView(), first);
    QCOMPARE(first->DocumentTitle(), u"Slow page"_qs);
    QCOMPARE(m_frame->WindowsBar()->GetTabText(0), u"Slow page"_qs);
    QCOMPARE(m_frame->WindowsBar()->GetTabImage(0), 9);
    QCOMPARE(m_frame->windowTitle(), u"Quillbrow - Slow page"_qs);
}

void TestCQuillbrowView::popupDecidedByItsFirstRealAddress_data()
{
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<bool>("activate");
    QTest::addColumn<bool>("closed");

    QTest::newRow("listed") << QStringList {u"http://ADS.example/pop"_qs} << true << true;
    QTest::newRow("listed, starts with")
        << QStringList {u"http://track.example/a/b?c"_qs} << true << true;
    QTest::newRow("blank first, then listed")
        << QStringList {u"about:blank"_qs, u"http://ads.example/pop"_qs} << true << true;
    QTest::newRow("unlisted, activated")
        << QStringList {u"http://news.example/"_qs} << true << false;
    QTest::newRow("unlisted, not activated")
        << QStringList {u"http://news.example/"_qs} << false << false;
}

void TestCQuillbrowView::popupDecidedByItsFirstRealAddress()
{
    QFETCH(QStringList, addresses);
    QFETCH(bool, activate);
    QFETCH(bool, closed);

    m_settings.ActivateNewWindow = activate ? 1 : 0;
    CQuillbrowView *opener = NewWindow();
    bool bCancel = true;
    IWebEngine *engine = opener->OnNewWindow2(bCancel);
    QVERIFY(engine && !bCancel);
    auto *popupEngine = m_engines.value(engine);
    auto *popup = static_cast<CQuillbrowView *>(popupEngine->m_pSink);
    QPointer<CChildFrame> popupFrame = popup->GetParentFrame();
    QVERIFY(!popupFrame->isVisible());
    QCOMPARE(m_frame->WindowsBar()->GetItemCount(), 1);

    bool bLoaded = true;
    for (const QString &address : std::as_const(addresses))
        bLoaded = popupEngine->Load(address, u"Pop"_qs);
    QCOMPARE(bLoaded, !closed);
    if (closed) {
        QVERIFY(!popupFrame->isVisible());
        QCOMPARE(m_frame->WindowsBar()->GetItemCount(), 1);
        QTRY_VERIFY(popupFrame.isNull());
        QCOMPARE(m_frame->GetActiveHtmlView(), opener);
        return;
    }
    QVERIFY(popupFrame->isVisible());
    QCOMPARE(m_frame->WindowsBar()->GetItemCount(), 2);
    QCOMPARE(m_frame->WindowsBar()->GetCurSel(), activate ? 1 : 0);
    QCOMPARE(m_frame->GetActiveHtmlView(), activate ? popup : opener);
}

void TestCQuillbrowView::normalWindowToAListedAddressStays()
{
    CQuillbrowView *view = NewWindow();
    QVERIFY(EngineOf(view)->Load(u"http://ads.example/pop"_qs, u"Ad"_qs));
    QCOMPARE(m_frame->Views().size(), 1);
}

void TestCQuillbrowView::pageClosingItsWindow_data()
{
    QTest::addColumn<int>("confirm");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("confirmAfter");

    QTest::newRow("not asked") << 0 << 0 << false << true << 0;
    QTest::newRow("asked, Yes") << 1 << int(IDYES) << false << true << 1;
    QTest::newRow("asked, No, box ticked") << 1 << int(IDNO) << true << false << 0;
}

void TestCQuillbrowView::pageClosingItsWindow()
{
    QFETCH(int, confirm);
    QFETCH(int, answer);
    QFETCH(bool, tick);
    QFETCH(bool, closes);
    QFETCH(int, confirmAfter);

    m_settings.ConfirmUserClose = confirm;
    CQuillbrowView *other = NewWindow();
    CQuillbrowView *view = NewWindow();
    other->GetParentFrame()->ActivateFrame();
    QPointer<CChildFrame> frame = view->GetParentFrame();
    if (confirm)
        CConfirmDlg::SetNextAnswer(answer, tick);
    bool bCancel = false;
    view->OnWindowClosing(false, bCancel);
    QCOMPARE(bCancel, !closes);
    QCOMPARE(m_settings.ConfirmUserClose, confirmAfter);
    if (confirm)
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_USER_CLOSE));
    if (closes)
        QTRY_VERIFY(frame.isNull());
    else
        QCOMPARE(m_frame->Views().size(), 2);
    // The page's window was brought forward to ask; closed, the previous one returns.
    QCOMPARE(m_frame->GetActiveHtmlView(), closes ? other : view);
}

void TestCQuillbrowView::typedAddressOnlyWhenNotRedirected()
{
    CQuillbrowView *view = NewWindow();
    m_frame->NavigateActiveView(u"http://h/moved"_qs, true);
    QVERIFY(EngineOf(view)->Load(u"http://h/moved"_qs, u"T"_qs, u"http://h/target"_qs));
    QVERIFY(m_frame->TypedAddresses().isEmpty());
    QVERIFY(!view->m_bTypedNavigation);

    m_frame->NavigateActiveView(u"http://h/stays"_qs, true);
    QVERIFY(EngineOf(view)->Load(u"http://h/stays"_qs, u"T"_qs, u"http://H/stays"_qs));
    QCOMPARE(m_frame->TypedAddresses(), QStringList {u"http://H/stays"_qs});
    QCOMPARE(EngineOf(view)->m_calls.last(), u"Navigate2 http://h/stays"_qs);
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
    QCOMPARE(m_frame->GetActiveHtmlView(), views[next]);
    QTRY_VERIFY(frame.isNull());
    QCOMPARE(m_frame->WindowsBar()->GetItemCount(), 2);
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
    const auto views = m_frame->Views();
    QCOMPARE(views.size(), windowsAfter);
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
    CQuillbrowView *third = NewWindow();
    EngineOf(third)->Load(u"http://h/third"_qs, u"Third"_qs);
    first->GetDocument()->OnCloseDocument();
    QCOMPARE(m_frame->LastAddress(), u"http://h/second"_qs);
}

QTEST_MAIN(TestCQuillbrowView)
#include "tst_cquillbrowview.moc"
