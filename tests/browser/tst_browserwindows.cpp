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
    void listedPopupsNeverShow_data();
    void listedPopupsNeverShow();
    void unlistedPopupGetsItsTab_data();
    void unlistedPopupGetsItsTab();
    void twoHundredPopups();
    void pageClosesItsWindow_data();
    void pageClosesItsWindow();
    void progressAndBackgroundCompletion();
    void typedAddressesAndRedirects();
    void historyIsCutByANewPage();
    void oddTitlesAndAddresses();
    void rendererCrash();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CQuillbrowView *OpenWindow(const QString &path);
    bool WaitLoaded(CQuillbrowView *view, const QString &url);

    CTestServer m_server;
    CSettings m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    int m_nFramesShown = 0;
};

void TestBrowserWindows::initTestCase()
{
    QVERIFY(m_server.Start());
    m_server.RoutePage(u"/plain"_qs, u"Plain"_qs);
    m_server.RoutePage(u"/p1"_qs, u"P1"_qs);
    m_server.RoutePage(u"/p2"_qs, u"P2"_qs);
    m_server.RoutePage(u"/p3"_qs, u"P3"_qs);
    m_server.RoutePage(u"/p4"_qs, u"P4"_qs);
    m_server.RoutePage(u"/ads/pop"_qs, u"Advert"_qs);
    m_server.RoutePage(u"/track/x"_qs, u"Tracker"_qs);
    m_server.RoutePage(u"/news"_qs, u"News"_qs);
    m_server.RouteRedirect(u"/moved"_qs, u"/plain"_qs);
    const auto opener = [](const QString &script) {
        return u"<script>window.onload = function() { %1 };</script>"_qs.arg(script);
    };
    m_server.RoutePage(u"/open-exact"_qs, u"Opener"_qs, opener(u"window.open('/ads/pop');"_qs));
    m_server.RoutePage(u"/open-prefix"_qs, u"Opener"_qs,
                       opener(u"window.open('/track/x?id=7');"_qs));
    m_server.RoutePage(
        u"/open-blank-first"_qs, u"Opener"_qs,
        opener(u"var w = window.open('about:blank'); w.location.href = '/ads/pop';"_qs));
    m_server.RoutePage(u"/open-unlisted"_qs, u"Opener"_qs, opener(u"window.open('/news');"_qs));
    m_server.RoutePage(u"/open-200"_qs, u"Flood"_qs,
                       opener(u"for (var i = 0; i < 200; ++i) window.open('/ads/pop');"
                              " document.title = 'Flood done';"_qs));
    m_server.RoutePage(u"/closer"_qs, u"Closer"_qs,
                       u"<button id=b onclick='window.close()'>close</button>"_qs);
    CTestServer::Response held;
    held.bHold = true;
    held.body = "<html><head><title>Slow</title></head><body>" + QByteArray(64 * 1024, ' ')
        + "<p>end</p></body></html>";
    m_server.Route(u"/slow"_qs, held);
    qApp->installEventFilter(this);
}

bool TestBrowserWindows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        if (qobject_cast<CChildFrame *>(watched))
            ++m_nFramesShown;
    }
    return false;
}

void TestBrowserWindows::init()
{
    m_settings.SetDefaults();
    m_settings.AutoCloseList = {m_server.Url(u"/ads/pop"_qs).toString(),
                                m_server.Url(u"/track/"_qs).toString() + u"*"_qs};
    m_frame = std::make_unique<CMainFrame>(m_settings);
    m_frame->resize(1000, 700);
    m_frame->show();
    m_nFramesShown = 0;
    CConfirmDlg::ClearNextAnswers();
}

void TestBrowserWindows::cleanup()
{
    m_frame.reset();
    m_server.Release();
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
}

bool TestBrowserWindows::WaitLoaded(CQuillbrowView *view, const QString &url)
{
    return EngineTestUtil::WaitFor(
        [&] { return view->GetLocationURL() == url && view->m_nProgress == 100 && !view->m_bBusy; },
        30000);
}

CQuillbrowView *TestBrowserWindows::OpenWindow(const QString &path)
{
    CQuillbrowView *view = m_frame->CreateNewWindow(true, true);
    view->Navigate2(m_server.Url(path).toString());
    return view;
}

void TestBrowserWindows::listedPopupsNeverShow_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("exact") << u"/open-exact"_qs;
    QTest::newRow("starts with") << u"/open-prefix"_qs;
    QTest::newRow("about:blank first") << u"/open-blank-first"_qs;
}

void TestBrowserWindows::listedPopupsNeverShow()
{
    QFETCH(QString, page);
    CQuillbrowView *opener = OpenWindow(page);
    QVERIFY(WaitLoaded(opener, m_server.Url(page).toString()));
    // The pop-up window is made hidden, then closed once its first real address is known.
    QVERIFY(EngineTestUtil::WaitFor(
        [&] {
            return m_frame->Views().size() == 1 && m_frame->MdiArea()->subWindowList().size() == 1;
        },
        30000));
    QCOMPARE(m_frame->WindowsBar()->GetItemCount(), 1);
    QCOMPARE(m_nFramesShown, 1);
    QCOMPARE(m_frame->GetActiveHtmlView(), opener);
}

void TestBrowserWindows::unlistedPopupGetsItsTab_data()
{
    QTest::addColumn<int>("activate");
    QTest::newRow("activated") << 1;
    QTest::newRow("not activated") << 0;
}

void TestBrowserWindows::unlistedPopupGetsItsTab()
{
    QFETCH(int, activate);
    m_settings.ActivateNewWindow = activate;
    CQuillbrowView *opener = OpenWindow(u"/open-unlisted"_qs);
    QVERIFY(
        EngineTestUtil::WaitFor([&] { return m_frame->WindowsBar()->GetItemCount() == 2; }, 30000));
    CQuillbrowView *popup = m_frame->Views().at(1);
    QVERIFY(WaitLoaded(popup, m_server.Url(u"/news"_qs).toString()));
    QVERIFY(popup->GetParentFrame()->isVisible());
    QCOMPARE(m_frame->GetActiveHtmlView(), activate ? popup : opener);
    QCOMPARE(m_frame->WindowsBar()->GetCurSel(), activate ? 1 : 0);
    QCOMPARE(m_frame->WindowsBar()->GetTabText(1), activate ? u"News"_qs : u"News [ 100 % ]"_qs);

    // A window of our own going to a listed address is not a pop-up: it stays.
    opener->Navigate2(m_server.Url(u"/ads/pop"_qs).toString());
    QVERIFY(WaitLoaded(opener, m_server.Url(u"/ads/pop"_qs).toString()));
    QCOMPARE(m_frame->Views().size(), 2);
}

void TestBrowserWindows::twoHundredPopups()
{
    CQuillbrowView *opener = OpenWindow(u"/open-200"_qs);
    QVERIFY(EngineTestUtil::WaitFor([&] { return opener->DocumentTitle() == u"Flood done"_qs; },
                                    60000));
    QVERIFY(EngineTestUtil::WaitFor([&] { return m_frame->MdiArea()->subWindowList().size() == 1; },
                                    60000));
    QCOMPARE(m_nFramesShown, 1);
    QCOMPARE(m_frame->WindowsBar()->GetItemCount(), 1);
    // Still responsive: the opener goes on browsing.
    opener->Navigate2(m_server.Url(u"/plain"_qs).toString());
    QVERIFY(WaitLoaded(opener, m_server.Url(u"/plain"_qs).toString()));
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
    CQuillbrowView *view = OpenWindow(u"/closer"_qs);
    QVERIFY(WaitLoaded(view, m_server.Url(u"/closer"_qs).toString()));
    QPointer<CChildFrame> frame = view->GetParentFrame();
    if (confirm)
        CConfirmDlg::SetNextAnswer(answer);
    PageOf(view)->runJavaScript(u"window.close()"_qs);
    if (closes) {
        QVERIFY(EngineTestUtil::WaitFor([&] { return frame.isNull(); }, 30000));
    } else {
        QVERIFY(EngineTestUtil::WaitFor([&] { return !CConfirmDlg::HasPendingAnswers(); }, 30000));
        QVERIFY(!frame.isNull());
    }
}

void TestBrowserWindows::progressAndBackgroundCompletion()
{
    CQuillbrowView *slow = OpenWindow(u"/slow"_qs);
    // Held half-sent: the caption carries the bracketed percentage.
    const QRegularExpression loading(u"^(Slow |.*)?\\[ \\d+ % \\]$"_qs);
    QVERIFY(EngineTestUtil::WaitFor([&] { return loading.match(slow->DocumentTitle()).hasMatch(); },
                                    30000));
    QVERIFY(m_frame->IsAnimationPlaying());

    CQuillbrowView *other = OpenWindow(u"/plain"_qs);
    QVERIFY(WaitLoaded(other, m_server.Url(u"/plain"_qs).toString()));
    QCOMPARE(m_frame->GetActiveHtmlView(), other);
    m_server.Release();
    QVERIFY(EngineTestUtil::WaitFor([&] { return slow->DocumentTitle() == u"Slow [ 100 % ]"_qs; },
                                    30000));
    QCOMPARE(m_frame->WindowsBar()->GetTabImage(0), 8);
    slow->GetParentFrame()->ActivateFrame();
    QCOMPARE(slow->DocumentTitle(), u"Slow"_qs);
    QCOMPARE(m_frame->WindowsBar()->GetTabImage(0), 9);
    QCOMPARE(m_frame->windowTitle(), u"Quillbrow - Slow"_qs);
}

void TestBrowserWindows::typedAddressesAndRedirects()
{
    CQuillbrowView *view = m_frame->CreateNewWindow(true, true);
    m_frame->NavigateActiveView(m_server.Url(u"/moved"_qs).toString(), true);
    QVERIFY(WaitLoaded(view, m_server.Url(u"/plain"_qs).toString()));
    QVERIFY(m_frame->TypedAddresses().isEmpty());
    m_frame->NavigateActiveView(m_server.Url(u"/p1"_qs).toString(), true);
    QVERIFY(WaitLoaded(view, m_server.Url(u"/p1"_qs).toString()));
    QCOMPARE(m_frame->TypedAddresses(), QStringList {m_server.Url(u"/p1"_qs).toString()});
}

void TestBrowserWindows::historyIsCutByANewPage()
{
    CQuillbrowView *view = m_frame->CreateNewWindow(true, true);
    for (const QString &page : {u"/p1"_qs, u"/p2"_qs, u"/p3"_qs}) {
        view->Navigate2(m_server.Url(page).toString());
        QVERIFY(WaitLoaded(view, m_server.Url(page).toString()));
    }
    view->GoToHistoryEntry(3200);
    QVERIFY(WaitLoaded(view, m_server.Url(u"/p1"_qs).toString()));
    view->Navigate2(m_server.Url(u"/p4"_qs).toString());
    QVERIFY(WaitLoaded(view, m_server.Url(u"/p4"_qs).toString()));
    QCOMPARE(
        view->History().m_arrHistoryURLs,
        (QStringList {m_server.Url(u"/p1"_qs).toString(), m_server.Url(u"/p4"_qs).toString()}));
    QCOMPARE(view->History().m_arrHistoryTitles, (QStringList {u"P1"_qs, u"P4"_qs}));
}

void TestBrowserWindows::oddTitlesAndAddresses()
{
    m_server.RoutePage(u"/long"_qs, QString(10000, u'x'));
    m_server.RoutePage(u"/multibyte"_qs, QString(200, u'ж') + u"😀"_qs);
    CQuillbrowView *view = OpenWindow(u"/long"_qs);
    QVERIFY(WaitLoaded(view, m_server.Url(u"/long"_qs).toString()));
    QCOMPARE(view->DocumentTitle(), QString(125, u'x') + u"..."_qs);
    QCOMPARE(m_frame->WindowsBar()->GetTabToolTip(0).size(), 79);

    view->Navigate2(m_server.Url(u"/multibyte"_qs).toString());
    QVERIFY(WaitLoaded(view, m_server.Url(u"/multibyte"_qs).toString()));
    QCOMPARE(view->DocumentTitle(), QString(125, u'ж') + u"..."_qs);

    for (const QString &odd : {u"http://[not a host"_qs, u"::::"_qs, u"http://"_qs}) {
        view->Navigate2(odd);
        QVERIFY(EngineTestUtil::WaitFor([&] { return !view->m_bBusy; }, 30000));
    }
    view->Navigate2(m_server.Url(u"/plain"_qs).toString());
    QVERIFY(WaitLoaded(view, m_server.Url(u"/plain"_qs).toString()));
}

void TestBrowserWindows::rendererCrash()
{
    CQuillbrowView *survivor = OpenWindow(u"/p1"_qs);
    QVERIFY(WaitLoaded(survivor, m_server.Url(u"/p1"_qs).toString()));
    CQuillbrowView *view = OpenWindow(u"/plain"_qs);
    QVERIFY(WaitLoaded(view, m_server.Url(u"/plain"_qs).toString()));
    PageOf(view)->load(QUrl(u"chrome://crash"_qs));
    QVERIFY(EngineTestUtil::WaitFor([&] { return view->IsShowingCrashNotice(); }, 30000));

    view->Refresh();
    QVERIFY(!view->IsShowingCrashNotice());
    QVERIFY(EngineTestUtil::WaitFor(
        [&] {
            return EngineTestUtil::RunJavaScript(PageOf(view), u"document.title"_qs, 2000)
                       .toString()
                == u"Plain"_qs;
        },
        30000));
    QCOMPARE(EngineTestUtil::RunJavaScript(PageOf(survivor), u"document.title"_qs).toString(),
             u"P1"_qs);
}

QUILLBROW_ENGINE_TEST_MAIN(TestBrowserWindows)
#include "tst_browserwindows.moc"
