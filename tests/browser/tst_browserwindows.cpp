#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CMainFrame.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CSettings.h"
#include "CTestServer.h"
#include "CWebEngine.h"
#include "CWindowsBar.h"
#include "EngineTestUtil.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QRegularExpression>
#include <QWebEngineView>
#include <QtTest>

namespace {
QWebEnginePage *PageOf(CQuillbrowView *view)
{
    return static_cast<CWebEngine *>(view->Engine())->View()->page();
}

} // namespace

// Browser windows against the real engine and pages served by the test itself.
class TestBrowserWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void popups_data();
    void popups();
    void twoHundredPopups();
    void pageClosesItsWindow_data();
    void pageClosesItsWindow();
    void progressAndBackgroundCompletion();
    void typedAddressesAndRedirects();
    void historyIsCutByANewPage();
    void oddTitlesAndAddresses();
    void rendererCrash();
    void backgroundPageCannotComeForwardWithADialog();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString Url(const QString &path) const { return m_server.Url(path).toString(); }
    CWindowsBar *Bar() const { return m_frame->WindowsBar(); }
    CQuillbrowView *NewWindow() { return m_frame->CreateNewWindow(true, true); }
    // Waits until the view shows the page at path, loaded to the end.
    bool WaitLoaded(CQuillbrowView *view, const QString &path)
    {
        return EngineTestUtil::WaitFor([&] {
            return view->GetLocationURL() == Url(path) && view->m_nProgress == 100
                && !view->m_bBusy;
        });
    }
    bool Go(CQuillbrowView *view, const QString &path)
    {
        view->Navigate2(Url(path));
        return WaitLoaded(view, path);
    }
    // Waits until the script, run in the view's page, gives true.
    static bool WaitTrue(CQuillbrowView *view, const QString &script, int nTimeoutMs = 30000)
    {
        return EngineTestUtil::WaitFor(
            [&] {
                return EngineTestUtil::RunJavaScript(PageOf(view), script, 2000) == QVariant(true);
            },
            nTimeoutMs);
    }

    CTestServer m_server;
    CSettings m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    int m_nFramesShown = 0;
};

void TestBrowserWindows::initTestCase()
{
    QVERIFY(m_server.Start());
    m_server.RoutePage(u"/plain"_qs, u"Plain"_qs);
    for (int i = 1; i <= 4; ++i)
        m_server.RoutePage(u"/p%1"_qs.arg(i), u"P%1"_qs.arg(i));
    m_server.RoutePage(u"/ads/pop"_qs, u"Advert"_qs);
    m_server.RoutePage(u"/news"_qs, u"News"_qs);
    m_server.RouteRedirect(u"/moved"_qs, u"/plain"_qs);
    CTestServer::Response held;
    held.bHold = true;
    held.body = "<html><head><title>Slow</title></head><body>" + QByteArray(64 * 1024, ' ')
        + "<p>end</p></body></html>";
    m_server.Route(u"/slow"_qs, held);
    // A page that asks something when another page of its site says so.
    m_server.RoutePage(u"/listener"_qs, u"Listening"_qs,
                       u"<script>new BroadcastChannel('q').onmessage = () => {"
                       " document.title = 'Asking'; alert('From behind');"
                       " document.title = 'Answered'; };</script>"_qs);
    m_server.RoutePage(u"/sender"_qs, u"Sender"_qs,
                       u"<script>new BroadcastChannel('q').postMessage('go');</script>"_qs);
    qApp->installEventFilter(this);
}

bool TestBrowserWindows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && qobject_cast<CChildFrame *>(watched))
        ++m_nFramesShown;
    return false;
}

void TestBrowserWindows::init()
{
    m_settings.SetDefaults();
    m_settings.AutoCloseList = {Url(u"/ads/pop"_qs), Url(u"/track/"_qs) + u"*"_qs};
    m_frame = std::make_unique<CMainFrame>(m_settings);
    m_frame->resize(1000, 700);
    m_frame->show();
    m_nFramesShown = 0;
    CConfirmDlg::ClearNextAnswers();
}

void TestBrowserWindows::cleanup()
{
    m_frame.reset();
    QLoggingCategory::setFilterRules(QString());
    m_server.Release();
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
}

void TestBrowserWindows::popups_data()
{
    // The opener keeps its pop-ups in w, so the test can see them closed.
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<int>("activate");

    QTest::newRow("listed") << u"w = [window.open('/track/x?id=7')]"_qs << true << 1;
    QTest::newRow("about:blank, then listed")
        << u"w = [window.open('about:blank')]; w[0].location.href = '/ads/pop'"_qs << true << 1;
    QTest::newRow("unlisted, activated") << u"w = [window.open('/news')]"_qs << false << 1;
    QTest::newRow("unlisted, not activated") << u"w = [window.open('/news')]"_qs << false << 0;
}

void TestBrowserWindows::popups()
{
    QFETCH(QString, script);
    QFETCH(bool, listed);
    QFETCH(int, activate);
    m_settings.ActivateNewWindow = activate;
    CQuillbrowView *opener = NewWindow();
    QVERIFY(Go(opener, u"/plain"_qs));
    if (listed) {
        // What the benchmark reads: when the pop-up was refused and when its window went.
        QLoggingCategory::setFilterRules(u"quillbrow.popup.debug=true"_qs);
        QTest::ignoreMessage(
            QtDebugMsg,
            QRegularExpression(u"^pop-up refused at \\d+\\.\\d{6}: http://.*/(track|ads)/"_qs));
        QTest::ignoreMessage(QtDebugMsg,
                             QRegularExpression(u"^refused pop-up destroyed at \\d+\\.\\d{6}$"_qs));
    }
    PageOf(opener)->runJavaScript(script);
    if (listed) {
        // Made hidden, then closed once its first real address is known: never shown.
        QVERIFY(WaitTrue(opener, u"w[0].closed"_qs));
        QVERIFY(EngineTestUtil::WaitFor([&] { return m_frame->Views().size() == 1; }));
        QCOMPARE(Bar()->GetItemCount(), 1);
        QCOMPARE(m_nFramesShown, 1);
        QCOMPARE(m_frame->GetActiveHtmlView(), opener);
        return;
    }
    QVERIFY(EngineTestUtil::WaitFor([&] { return Bar()->GetItemCount() == 2; }));
    CQuillbrowView *popup = m_frame->Views().at(1);
    QVERIFY(WaitLoaded(popup, u"/news"_qs));
    QVERIFY(popup->GetParentFrame()->isVisible());
    QCOMPARE(m_frame->GetActiveHtmlView(), activate ? popup : opener);
    QCOMPARE(Bar()->GetCurSel(), activate ? 1 : 0);
    QCOMPARE(Bar()->GetTabText(1), activate ? u"News"_qs : u"News [ 100 % ]"_qs);

    // A window of our own going to a listed address is not a pop-up: it stays.
    QVERIFY(Go(opener, u"/ads/pop"_qs));
    QCOMPARE(m_frame->Views().size(), 2);
}

void TestBrowserWindows::twoHundredPopups()
{
    CQuillbrowView *opener = NewWindow();
    QVERIFY(Go(opener, u"/plain"_qs));
    PageOf(opener)->runJavaScript(
        u"w = []; for (var i = 0; i < 200; ++i) w.push(window.open('/ads/pop'))"_qs);
    // Most are refused as a flood before they are made (null); the rest are closed.
    // Slow under the sanitizers on a busy machine: the bound is for a hang, not speed.
    QVERIFY(WaitTrue(
        opener, u"w.length == 200 && w.every(function(p) { return !p || p.closed; })"_qs, 120000));
    QVERIFY(EngineTestUtil::WaitFor([&] { return m_frame->MdiArea()->subWindowList().size() == 1; },
                                    60000));
    QCOMPARE(m_nFramesShown, 1);
    QCOMPARE(Bar()->GetItemCount(), 1);
    // Still responsive: the opener goes on browsing.
    QVERIFY(Go(opener, u"/p1"_qs));
}

void TestBrowserWindows::pageClosesItsWindow_data()
{
    QTest::addColumn<int>("confirm");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("not asked") << 0 << 0 << true;
    QTest::newRow("asked, No") << 1 << int(IDNO) << false;
    QTest::newRow("asked, Yes") << 1 << int(IDYES) << true;
}

void TestBrowserWindows::pageClosesItsWindow()
{
    QFETCH(int, confirm);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    m_settings.ConfirmUserClose = confirm;
    CQuillbrowView *view = NewWindow();
    QVERIFY(Go(view, u"/plain"_qs));
    QPointer<CChildFrame> frame = view->GetParentFrame();
    if (confirm)
        CConfirmDlg::SetNextAnswer(answer);
    PageOf(view)->runJavaScript(u"window.close()"_qs);
    // The answer is taken first; the window goes after it.
    QVERIFY(EngineTestUtil::WaitFor(
        [&] { return !CConfirmDlg::HasPendingAnswers() && (frame.isNull() || !closes); }));
    QCOMPARE(frame.isNull(), closes);
}

void TestBrowserWindows::progressAndBackgroundCompletion()
{
    CQuillbrowView *slow = NewWindow();
    slow->Navigate2(Url(u"/slow"_qs));
    // Held half-sent: the caption carries the bracketed percentage.
    const QRegularExpression loading(u"^(Slow |.*)?\\[ \\d+ % \\]$"_qs);
    QVERIFY(
        EngineTestUtil::WaitFor([&] { return loading.match(slow->DocumentTitle()).hasMatch(); }));
    QVERIFY(m_frame->IsAnimationPlaying());

    CQuillbrowView *other = NewWindow();
    QVERIFY(Go(other, u"/plain"_qs));
    QCOMPARE(m_frame->GetActiveHtmlView(), other);
    m_server.Release();
    // Finished in the background: marked until the window is activated.
    QVERIFY(EngineTestUtil::WaitFor([&] { return !slow->m_bBusy; }));
    QCOMPARE(slow->DocumentTitle(), u"Slow [ 100 % ]"_qs);
    QCOMPARE(Bar()->GetTabText(0), u"Slow [ 100 % ]"_qs);
    QCOMPARE(Bar()->GetTabImage(0), 8);
    slow->GetParentFrame()->ActivateFrame();
    QCOMPARE(slow->DocumentTitle(), u"Slow"_qs);
    QCOMPARE(Bar()->GetTabText(0), u"Slow"_qs);
    QCOMPARE(Bar()->GetTabImage(0), 9);
    QCOMPARE(m_frame->windowTitle(), u"Quillbrow - Slow"_qs);
}

void TestBrowserWindows::typedAddressesAndRedirects()
{
    CQuillbrowView *view = NewWindow();
    m_frame->NavigateActiveView(Url(u"/moved"_qs), true);
    QVERIFY(WaitLoaded(view, u"/plain"_qs));
    QVERIFY(m_frame->TypedAddresses().isEmpty());
    m_frame->NavigateActiveView(Url(u"/p1"_qs), true);
    QVERIFY(WaitLoaded(view, u"/p1"_qs));
    QCOMPARE(m_frame->TypedAddresses(), QStringList {Url(u"/p1"_qs)});
}

void TestBrowserWindows::historyIsCutByANewPage()
{
    CQuillbrowView *view = NewWindow();
    for (const QString &page : {u"/p1"_qs, u"/p2"_qs, u"/p3"_qs})
        QVERIFY(Go(view, page));
    view->GoToHistoryEntry(3200);
    QVERIFY(WaitLoaded(view, u"/p1"_qs));
    QVERIFY(Go(view, u"/p4"_qs));
    QCOMPARE(view->History().m_arrHistoryURLs, (QStringList {Url(u"/p1"_qs), Url(u"/p4"_qs)}));
    QCOMPARE(view->History().m_arrHistoryTitles, (QStringList {u"P1"_qs, u"P4"_qs}));
}

void TestBrowserWindows::oddTitlesAndAddresses()
{
    m_server.RoutePage(u"/long"_qs, QString(10000, u'x'));
    CQuillbrowView *view = NewWindow();
    QVERIFY(Go(view, u"/long"_qs));
    QCOMPARE(view->DocumentTitle(), QString(125, u'x') + u"..."_qs);
    QCOMPARE(Bar()->GetTabToolTip(0).size(), 79);

    for (const QString &odd : {u"http://[not a host"_qs, u"::::"_qs, u"http://"_qs}) {
        view->Navigate2(odd);
        QVERIFY(EngineTestUtil::WaitFor([&] { return !view->m_bBusy; }));
    }
    QVERIFY(Go(view, u"/plain"_qs));
}

void TestBrowserWindows::rendererCrash()
{
    CQuillbrowView *survivor = NewWindow();
    QVERIFY(Go(survivor, u"/p1"_qs));
    CQuillbrowView *view = NewWindow();
    QVERIFY(Go(view, u"/plain"_qs));
    PageOf(view)->load(QUrl(u"chrome://crash"_qs));
    QVERIFY(EngineTestUtil::WaitFor([&] { return view->IsShowingCrashNotice(); }));

    // Refresh brings the page back; the other window's renderer never went.
    view->Refresh();
    QVERIFY(!view->IsShowingCrashNotice());
    QVERIFY(WaitTrue(view, u"document.title == 'Plain'"_qs));
    QVERIFY(WaitTrue(survivor, u"document.title == 'P1'"_qs));
}

QUILLBROW_ENGINE_TEST_MAIN(TestBrowserWindows)
#include "tst_browserwindows.moc"

void TestBrowserWindows::backgroundPageCannotComeForwardWithADialog()
{
    CQuillbrowView *back = NewWindow();
    QVERIFY(Go(back, u"/listener"_qs));
    CQuillbrowView *front = NewWindow();
    // Queued for a dialog that must not show.
    CConfirmDlg::SetNextAnswer(IDCANCEL);
    QVERIFY(Go(front, u"/sender"_qs));

    // The page went on at once: its alert was answered without a dialog.
    QVERIFY(EngineTestUtil::WaitFor([&] { return back->GetLocationName() == u"Answered"_qs; }));
    QVERIFY(CConfirmDlg::HasPendingAnswers());
    CConfirmDlg::ClearNextAnswers();
    QCOMPARE(m_frame->GetActiveHtmlView(), front);
    QCOMPARE(Bar()->GetCurSel(), 1);
    // What it said waits in its window.
    QCOMPARE(back->PageNotice(),
             u"While this window was in the background, its page said: From behind"_qs);
    QVERIFY(front->PageNotice().isEmpty());
    QVERIFY(Go(back, u"/plain"_qs));
    QVERIFY(back->PageNotice().isEmpty());

    // In front, the same page asks as usual.
    QVERIFY(Go(front, u"/listener"_qs));
    CQuillbrowView *other = NewWindow();
    QVERIFY(Go(other, u"/plain"_qs));
    front->ActivateFrame(-1);
    QVERIFY(EngineTestUtil::WaitFor([&] { return m_frame->GetActiveHtmlView() == front; }));
    CConfirmDlg::SetNextAnswer(IDOK);
    QVERIFY(Go(other, u"/sender"_qs));
    QVERIFY(EngineTestUtil::WaitFor([&] { return front->GetLocationName() == u"Answered"_qs; }));
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
    QCOMPARE(CConfirmDlg::LastText(), u"From behind"_qs);
    QVERIFY(front->PageNotice().isEmpty());
}
