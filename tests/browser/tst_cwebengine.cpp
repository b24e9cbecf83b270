#include "CConfirmDlg.h"
#include "CDownloadManager.h"
#include "CEngineStore.h"
#include "CTestServer.h"
#include "CWebEngine.h"
#include "CWebPage.h"
#include "EngineTestUtil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Chromium's first start on a loaded two-core machine takes its time.
constexpr int kTimeout = 30000;

// Writes every engine event down as one line, so a test can check what came and in
// which order.
class CRecordingSink : public IEngineEvents
{
public:
    explicit CRecordingSink(CWebEngine *pEngine)
        : m_pEngine(pEngine)
    {
        pEngine->SetEventSink(this);
    }
    ~CRecordingSink() override { m_pEngine->SetEventSink(nullptr); }

    bool WaitFor(const QString &event) const
    {
        return EngineTestUtil::WaitFor([&] { return events.contains(event); }, kTimeout);
    }
    qsizetype IndexOf(const QString &event) const { return events.indexOf(event); }
    // True when the given events came in this order, others possibly between them.
    bool InOrder(const QStringList &expected) const
    {
        qsizetype nFrom = 0;
        for (const QString &event : expected) {
            nFrom = events.indexOf(event, nFrom);
            if (nFrom < 0)
                return false;
            ++nFrom;
        }
        return true;
    }
    // The events of one kind ("before", "navigate", ...), in order.
    QStringList Only(const QString &kind) const
    {
        QStringList found;
        for (const QString &event : events) {
            if (event == kind || event.startsWith(kind + u' '))
                found << event;
        }
        return found;
    }

    void OnBeforeNavigate2(const QString &strURL, bool &bCancel) override
    {
        events << u"before "_s + strURL;
        bCancel = cancel.contains(strURL);
    }
    void OnNavigateComplete2(const QString &strURL) override
    {
        events << u"navigate "_s + strURL;
        bBusyAtNavigate = m_pEngine->GetBusy();
    }
    void OnDocumentComplete(const QString &strURL) override { events << u"document "_s + strURL; }
    void OnTitleChange(const QString &strTitle) override { events << u"title "_s + strTitle; }
    void OnProgressChange(int nProgress, int nProgressMax) override
    {
        events << u"progress %1/%2"_s.arg(nProgress).arg(nProgressMax);
    }
    void OnStatusTextChange(const QString &strText) override { events << u"status "_s + strText; }
    void OnCommandStateChange(int nCommand, bool bEnable) override
    {
        events << u"command %1 %2"_s.arg(nCommand).arg(bEnable);
    }
    void OnDownloadBegin() override { events << u"begin"_s; }
    void OnDownloadComplete() override
    {
        events << (m_pEngine->GetBusy() ? u"complete busy"_s : u"complete"_s);
    }
    IWebEngine *OnNewWindow2(bool &bCancel) override
    {
        events << u"newwindow"_s;
        IWebEngine *pEngine = newWindow ? newWindow() : nullptr;
        bCancel = !pEngine;
        return pEngine;
    }
    void OnWindowClosing(bool bIsChildWindow, bool &bCancel) override
    {
        events << u"closing %1"_s.arg(bIsChildWindow);
        bCancel = true;
    }
    void OnRendererCrashed() override { events << u"crashed"_s; }

    QStringList events;
    // Before-navigates to these addresses are cancelled.
    QStringList cancel;
    // Makes the engine of a window a page asked for; none refuses the request.
    std::function<IWebEngine *()> newWindow;
    bool bBusyAtNavigate = false;

private:
    CWebEngine *m_pEngine;
};

// One browser window as the view would hold it: an engine and its sink.
struct SWindow
{
    std::unique_ptr<CWebEngine> engine = std::make_unique<CWebEngine>();
    CRecordingSink sink {engine.get()};
};

QString Address(const QUrl &url)
{
    return url.toString();
}

} // namespace

class tst_CWebEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void emptyBeforeFirstPage();
    void eventOrderOfOneNavigation();
    void redirectIsOneNavigation_data();
    void redirectIsOneNavigation();
    void cancelledNavigationLoadsNothing();
    void busyUntilTheLoadEnds_data();
    void busyUntilTheLoadEnds();
    void backAndForward();
    void sameDocumentMove_data();
    void sameDocumentMove();
    void typedAddress_data();
    void typedAddress();
    void invalidAddressLoadsNothing();
    void homeAndSearchPages_data();
    void homeAndSearchPages();
    void pageOpensWindow_data();
    void pageOpensWindow();
    void refusedWindowLoadsNothing();
    void pageClosesWindow();
    void javaScriptDialogs_data();
    void javaScriptDialogs();
    void javaScriptPrompt();
    void downloadSavedWhereAsked();
    void downloadCancelledInDialog();
    void rendererCrash_data();
    void rendererCrash();
    void cookiesAndStorageSurviveRestart();

private:
    // Loads url and waits for the document-complete of the address it ends at.
    bool Load(SWindow &window, const QUrl &url, const QUrl &finalUrl = QUrl());

    CTestServer m_server;
};

bool tst_CWebEngine::Load(SWindow &window, const QUrl &url, const QUrl &finalUrl)
{
    window.sink.events.clear();
    window.engine->Navigate2(Address(url));
    return window.sink.WaitFor(u"document "_s + Address(finalUrl.isEmpty() ? url : finalUrl));
}

void tst_CWebEngine::initTestCase()
{
    // Chromium starts with the first page and warns once that there is no GPU.
    SWindow {};
    QVERIFY(m_server.Start());
    m_server.RoutePage(u"/a"_s, u"Page A"_s);
    m_server.RoutePage(u"/b"_s, u"Page B"_s);
    m_server.RoutePage(u"/c"_s, u"Page C"_s);
    m_server.RouteRedirect(u"/r1"_s, u"/b"_s);
    m_server.RouteRedirect(u"/r2"_s, u"/r1"_s);
    m_server.RouteRedirect(u"/rmissing"_s, u"/missing"_s);
    m_server.RoutePage(u"/opener"_s, u"Opener"_s,
                       u"<script>function open_(u) { window.w = window.open(u); }</script>"_s);
    CTestServer::Response held;
    held.body
        = "<html><head><title>Held</title></head><body>" + QByteArray(4000, 'x') + "</body></html>";
    held.bHold = true;
    m_server.Route(u"/held"_s, held);
    CTestServer::Response file;
    file.contentType = "application/octet-stream";
    file.body = QByteArray(2000, 'q');
    file.headers.append(
        {QByteArray("Content-Disposition"), QByteArray("attachment; filename=report.bin")});
    m_server.Route(u"/file"_s, file);
    file.bHold = true;
    m_server.Route(u"/heldfile"_s, file);
    CTestServer::Response remember;
    remember.body = "<html><head><title>Remember</title></head></html>";
    remember.headers.append(
        {QByteArray("Set-Cookie"), QByteArray("visitor=42; Max-Age=86400; Path=/")});
    m_server.Route(u"/remember"_s, remember);
    m_server.RoutePage(u"/again"_s, u"Again"_s);
}

void tst_CWebEngine::init()
{
    QTest::failOnWarning(QRegularExpression(u".*"_s));
    CConfirmDlg::ClearNextAnswers();
    CWebPage::ClearNextPromptAnswer();
    CDownloadManager::ClearNextFileName();
    CDownloadManager::Instance()->SetStatusCallback(nullptr);
}

void tst_CWebEngine::emptyBeforeFirstPage()
{
    SWindow window;
    QVERIFY(window.engine->GetLocationURL().isEmpty());
    QVERIFY(window.engine->GetLocationName().isEmpty());
    QVERIFY(!window.engine->GetBusy());
    QVERIFY(!window.engine->CanGoBack());
    QVERIFY(!window.engine->IsOpenedByPage());
    QCOMPARE(window.engine->Widget(), window.engine->View());
}

void tst_CWebEngine::eventOrderOfOneNavigation()
{
    SWindow window;
    const QString a = Address(m_server.Url(u"/a"_s));
    QVERIFY(Load(window, m_server.Url(u"/a"_s)));
    const CRecordingSink &sink = window.sink;

    QCOMPARE(sink.Only(u"before"_s), QStringList {u"before "_s + a});
    QCOMPARE(sink.Only(u"navigate"_s), QStringList {u"navigate "_s + a});
    QCOMPARE(sink.Only(u"document"_s), QStringList {u"document "_s + a});
    QVERIFY2(sink.InOrder({u"before "_s + a, u"begin"_s, u"navigate "_s + a, u"title Page A"_s,
                           u"progress 100/100"_s, u"complete"_s, u"document "_s + a}),
             qPrintable(sink.events.join(u" | ")));
    const qsizetype nNavigate = sink.IndexOf(u"navigate "_s + a);
    // The history records the page at navigate-complete, so no title of the new page
    // may come before it.
    for (const QString &title : sink.Only(u"title"_s))
        QVERIFY2(sink.IndexOf(title) > nNavigate, qPrintable(title));
    QVERIFY(sink.bBusyAtNavigate);
    QCOMPARE(sink.Only(u"progress"_s).constLast(), u"progress 100/100"_s);

    QCOMPARE(window.engine->GetLocationURL(), a);
    QCOMPARE(window.engine->GetLocationName(), u"Page A"_s);
    QVERIFY(!window.engine->GetBusy());
}

void tst_CWebEngine::redirectIsOneNavigation_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("finalPath");

    QTest::newRow("one redirect") << u"/r1"_s << u"/b"_s;
    QTest::newRow("two redirects") << u"/r2"_s << u"/b"_s;
    QTest::newRow("redirect to a missing page") << u"/rmissing"_s << u"/missing"_s;
}

void tst_CWebEngine::redirectIsOneNavigation()
{
    QFETCH(QString, path);
    QFETCH(QString, finalPath);
    SWindow window;
    const QUrl target = m_server.Url(finalPath);
    QVERIFY(Load(window, m_server.Url(path), target));

    // The requested address is announced once; the view compares it with the final
    // one to tell a redirected typed address.
    QCOMPARE(window.sink.Only(u"before"_s),
             QStringList {u"before "_s + Address(m_server.Url(path))});
    QCOMPARE(window.sink.Only(u"navigate"_s), QStringList {u"navigate "_s + Address(target)});
    QCOMPARE(window.engine->GetLocationURL(), Address(target));
}

void tst_CWebEngine::cancelledNavigationLoadsNothing()
{
    SWindow window;
    const QUrl a = m_server.Url(u"/a"_s);
    QVERIFY(Load(window, a));
    const QUrl refused = m_server.Url(u"/c"_s);
    window.sink.cancel << Address(refused);
    const int nRequests = m_server.RequestCount(u"/c"_s);

    QVERIFY(Load(window, refused, a));

    QCOMPARE(window.sink.Only(u"before"_s), QStringList {u"before "_s + Address(refused)});
    QVERIFY(window.sink.Only(u"navigate"_s).isEmpty());
    QCOMPARE(m_server.RequestCount(u"/c"_s), nRequests);
    QCOMPARE(window.engine->GetLocationURL(), Address(a));
    QCOMPARE(window.engine->GetLocationName(), u"Page A"_s);
    QVERIFY(!window.engine->GetBusy());
}

void tst_CWebEngine::busyUntilTheLoadEnds_data()
{
    QTest::addColumn<bool>("bStop");

    QTest::newRow("answer completed") << false;
    QTest::newRow("stopped") << true;
}

void tst_CWebEngine::busyUntilTheLoadEnds()
{
    QFETCH(bool, bStop);
    SWindow window;
    const QString held = Address(m_server.Url(u"/held"_s));
    window.engine->Navigate2(held);

    // Half the page is there: committed, still loading.
    QVERIFY(window.sink.WaitFor(u"navigate "_s + held));
    QVERIFY(window.engine->GetBusy());
    QVERIFY(window.sink.Only(u"document"_s).isEmpty());

    if (bStop)
        window.engine->Stop();
    else
        m_server.Release();
    QVERIFY(window.sink.WaitFor(u"document "_s + held));
    QVERIFY(window.sink.IndexOf(u"complete"_s) < window.sink.IndexOf(u"document "_s + held));
    QVERIFY(!window.engine->GetBusy());
    m_server.Release();
}

void tst_CWebEngine::backAndForward()
{
    SWindow window;
    const QUrl a = m_server.Url(u"/a"_s);
    const QUrl b = m_server.Url(u"/b"_s);
    QVERIFY(Load(window, a));
    QVERIFY(Load(window, b));
    QVERIFY(window.sink.WaitFor(u"command 2 1"_s));
    QVERIFY(window.engine->CanGoBack());
    QVERIFY(!window.engine->CanGoForward());

    window.sink.events.clear();
    window.engine->GoBack();
    QVERIFY(window.sink.WaitFor(u"document "_s + Address(a)));
    QVERIFY(window.sink.WaitFor(u"command 1 1"_s));
    QVERIFY(window.sink.WaitFor(u"command 2 0"_s));
    QCOMPARE(window.sink.Only(u"before"_s), QStringList {u"before "_s + Address(a)});
    QCOMPARE(window.sink.Only(u"navigate"_s), QStringList {u"navigate "_s + Address(a)});

    window.sink.events.clear();
    window.engine->GoForward();
    QVERIFY(window.sink.WaitFor(u"document "_s + Address(b)));
    QVERIFY(window.sink.WaitFor(u"command 1 0"_s));
    QCOMPARE(window.sink.Only(u"navigate"_s), QStringList {u"navigate "_s + Address(b)});
}

void tst_CWebEngine::sameDocumentMove_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");

    QTest::newRow("anchor") << u"location.hash = 'part'"_s << u"/a#part"_s;
    QTest::newRow("pushState") << u"history.pushState({}, '', '/a/moved')"_s << u"/a/moved"_s;
}

void tst_CWebEngine::sameDocumentMove()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    SWindow window;
    QVERIFY(Load(window, m_server.Url(u"/a"_s)));
    window.sink.events.clear();

    EngineTestUtil::RunJavaScript(window.engine->Page(), script);

    // The address bar and the history follow the page without a load.
    const QString url = Address(m_server.Url(expected));
    QVERIFY(window.sink.WaitFor(u"navigate "_s + url));
    QCOMPARE(window.engine->GetLocationURL(), url);
    QVERIFY(window.sink.Only(u"begin"_s).isEmpty());
}

void tst_CWebEngine::typedAddress_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    // Nothing of these is loaded: every before-navigate is cancelled.
    QTest::newRow("bare host") << u"example.com"_s << u"http://example.com/"_s;
    QTest::newRow("host and port") << u"localhost:8080/x"_s << u"http://localhost:8080/x"_s;
    QTest::newRow("blanks around") << u"  example.org  "_s << u"http://example.org/"_s;
    QTest::newRow("absolute path")
        << u"/nonexistent/page.html"_s << u"file:///nonexistent/page.html"_s;
    // %1: the file made in the current folder for the test.
    QTest::newRow("file in the current folder") << u"here.html"_s << u"%1"_s;
}

void tst_CWebEngine::typedAddress()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile here(dir.filePath(u"here.html"_s));
    QVERIFY(here.open(QIODevice::WriteOnly));
    here.close();
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const auto restore = qScopeGuard([&previous] { QDir::setCurrent(previous); });
    if (expected == u"%1")
        expected = QUrl::fromLocalFile(here.fileName()).toString();

    SWindow window;
    window.sink.cancel << expected;
    window.engine->Navigate2(typed);
    QVERIFY2(window.sink.WaitFor(u"before "_s + expected),
             qPrintable(window.sink.events.join(u" | ")));
}

void tst_CWebEngine::invalidAddressLoadsNothing()
{
    SWindow window;
    QVERIFY(Load(window, m_server.Url(u"/a"_s)));
    window.sink.events.clear();

    window.engine->Navigate2(QString());
    window.engine->Navigate2(u"   "_s);
    window.engine->Navigate2(u"two words"_s);
    // The page is still there and answering; nothing was announced.
    QCOMPARE(EngineTestUtil::RunJavaScript(window.engine->Page(), u"document.title"_s),
             QVariant(u"Page A"_s));
    QCOMPARE(window.sink.events, QStringList());
}

void tst_CWebEngine::homeAndSearchPages_data()
{
    QTest::addColumn<bool>("bSearch");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    const QString c = Address(m_server.Url(u"/c"_s));
    QTest::newRow("start page") << false << c << c;
    QTest::newRow("no start page") << false << QString() << u"about:blank"_s;
    QTest::newRow("search page") << true << c << c;
    QTest::newRow("no search page") << true << QString() << EngineStore::kDefaultSearchPage;
}

void tst_CWebEngine::homeAndSearchPages()
{
    QFETCH(bool, bSearch);
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    QVERIFY(bSearch ? EngineStore::WriteSearchPage(stored) : EngineStore::WriteStartPage(stored));

    SWindow window;
    window.sink.cancel << expected;
    if (bSearch)
        window.engine->GoSearch();
    else
        window.engine->GoHome();
    QVERIFY2(window.sink.WaitFor(u"before "_s + expected),
             qPrintable(window.sink.events.join(u" | ")));
}

void tst_CWebEngine::pageOpensWindow_data()
{
    QTest::addColumn<bool>("bBlankFirst");
    QTest::addColumn<QString>("path");

    QTest::newRow("address given") << false << u"/b"_s;
    QTest::newRow("redirected address") << false << u"/r1"_s;
    QTest::newRow("about:blank, then the address") << true << u"/b"_s;
}

void tst_CWebEngine::pageOpensWindow()
{
    QFETCH(bool, bBlankFirst);
    QFETCH(QString, path);
    SWindow opener;
    QVERIFY(Load(opener, m_server.Url(u"/opener"_s)));
    std::unique_ptr<SWindow> popup;
    opener.sink.newWindow = [&popup]() -> IWebEngine * {
        popup = std::make_unique<SWindow>();
        return popup->engine.get();
    };

    const QString requested = Address(m_server.Url(path));
    const QString b = Address(m_server.Url(u"/b"_s));
    const QString first = bBlankFirst ? u"about:blank"_s : requested;
    EngineTestUtil::RunJavaScript(opener.engine->Page(), u"open_('%1')"_s.arg(first));
    QVERIFY(popup);
    QVERIFY(popup->engine->IsOpenedByPage());
    if (bBlankFirst) {
        QVERIFY(popup->sink.WaitFor(u"document about:blank"_s));
        // Chromium loads it without asking; the view hears of it all the same.
        QVERIFY2(popup->sink.InOrder({u"before about:blank"_s, u"begin"_s,
                                      u"navigate about:blank"_s, u"document about:blank"_s}),
                 qPrintable(popup->sink.events.join(u" | ")));
        EngineTestUtil::RunJavaScript(opener.engine->Page(),
                                      u"w.location.href = '%1'"_s.arg(requested));
    }
    QVERIFY(popup->sink.WaitFor(u"document "_s + b));

    // The view decides a pending window's fate on its first real address, before
    // anything of that page arrives; Qt shows that address before it is committed.
    const QStringList expected = bBlankFirst
        ? QStringList {u"before about:blank"_s, u"before "_s + requested}
        : QStringList {u"before "_s + requested};
    QCOMPARE(popup->sink.Only(u"before"_s), expected);
    // A redirected page's pending address is never reported as committed.
    QCOMPARE(popup->sink.Only(u"navigate"_s).filter(Address(m_server.Url({}))),
             QStringList {u"navigate "_s + b});
    QVERIFY2(popup->sink.InOrder({u"before "_s + requested, u"begin"_s, u"navigate "_s + b,
                                  u"title Page B"_s, u"document "_s + b}),
             qPrintable(popup->sink.events.join(u" | ")));
    QCOMPARE(opener.sink.Only(u"newwindow"_s).size(), 1);
    QCOMPARE(opener.engine->GetLocationURL(), Address(m_server.Url(u"/opener"_s)));

    // A page-opened window closing itself is a child window.
    EngineTestUtil::RunJavaScript(popup->engine->Page(), u"window.close()"_s);
    QVERIFY(popup->sink.WaitFor(u"closing 1"_s));
}

void tst_CWebEngine::refusedWindowLoadsNothing()
{
    SWindow opener;
    QVERIFY(Load(opener, m_server.Url(u"/opener"_s)));
    const QString target = Address(m_server.Url(u"/never"_s));

    EngineTestUtil::RunJavaScript(opener.engine->Page(), u"open_('%1')"_s.arg(target));

    // The page got a window object at once; refusing closes it unused.
    QVERIFY(EngineTestUtil::WaitFor(
        [&] {
            return EngineTestUtil::RunJavaScript(opener.engine->Page(), u"w.closed"_s)
                == QVariant(true);
        },
        kTimeout));
    QCOMPARE(opener.sink.Only(u"newwindow"_s).size(), 1);
    QCOMPARE(m_server.RequestCount(u"/never"_s), 0);
}

void tst_CWebEngine::pageClosesWindow()
{
    SWindow window;
    QVERIFY(Load(window, m_server.Url(u"/a"_s)));
    EngineTestUtil::RunJavaScript(window.engine->Page(), u"window.close()"_s);
    QVERIFY(window.sink.WaitFor(u"closing 0"_s));
    // The sink kept the window: the page is still there.
    QCOMPARE(window.engine->GetLocationName(), u"Page A"_s);
}

void tst_CWebEngine::javaScriptDialogs_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("nAnswer");
    QTest::addColumn<QVariant>("result");

    QTest::newRow("alert") << u"alert('Careful'); 'shown'"_s << int(IDOK) << QVariant(u"shown"_s);
    QTest::newRow("confirm OK") << u"confirm('Careful')"_s << int(IDOK) << QVariant(true);
    QTest::newRow("confirm Cancel") << u"confirm('Careful')"_s << int(IDCANCEL) << QVariant(false);
}

void tst_CWebEngine::javaScriptDialogs()
{
    QFETCH(QString, script);
    QFETCH(int, nAnswer);
    QFETCH(QVariant, result);
    SWindow window;
    QVERIFY(Load(window, m_server.Url(u"/a"_s)));

    CConfirmDlg::SetNextAnswer(nAnswer);
    QCOMPARE(EngineTestUtil::RunJavaScript(window.engine->Page(), script), result);
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
    QCOMPARE(CConfirmDlg::LastText(), u"Careful"_s);
    QCOMPARE(CConfirmDlg::LastCaption(), u"127.0.0.1"_s);
}

void tst_CWebEngine::javaScriptPrompt()
{
    SWindow window;
    QVERIFY(Load(window, m_server.Url(u"/a"_s)));

    CWebPage::SetNextPromptAnswer(u"typed"_s);
    QCOMPARE(EngineTestUtil::RunJavaScript(window.engine->Page(), u"prompt('Name?', 'x')"_s),
             QVariant(u"typed"_s));
    CWebPage::SetNextPromptAnswer(QString(), false);
    QCOMPARE(
        EngineTestUtil::RunJavaScript(window.engine->Page(), u"prompt('Name?', 'x') === null"_s),
        QVariant(true));
}

void tst_CWebEngine::downloadSavedWhereAsked()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList messages;
    CDownloadManager::Instance()->SetStatusCallback(
        [&messages](const QString &text) { messages << text; });
    const QString path = dir.filePath(u"saved.bin"_s);
    CDownloadManager::SetNextFileName(path);

    SWindow window;
    const QUrl a = m_server.Url(u"/a"_s);
    QVERIFY(Load(window, a));
    window.sink.events.clear();
    window.engine->Navigate2(Address(m_server.Url(u"/heldfile"_s)));

    QVERIFY(EngineTestUtil::WaitFor(
        [&] { return messages.contains(u"Downloading saved.bin: 50 %"_s); }, kTimeout));
    m_server.Release();
    const QString finished = u"Download finished: "_s + QDir::toNativeSeparators(path);
    QVERIFY2(EngineTestUtil::WaitFor([&] { return messages.contains(finished); }, kTimeout),
             qPrintable(messages.join(u" | ")));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray(2000, 'q'));

    // The page stays: a download commits nothing, but its load still ends.
    QVERIFY(window.sink.WaitFor(u"document "_s + Address(a)));
    QVERIFY(window.sink.Only(u"navigate"_s).isEmpty());
    QCOMPARE(window.engine->GetLocationURL(), Address(a));
}

void tst_CWebEngine::downloadCancelledInDialog()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList messages;
    CDownloadManager::Instance()->SetStatusCallback(
        [&messages](const QString &text) { messages << text; });
    SWindow window;
    QVERIFY(Load(window, m_server.Url(u"/a"_s)));

    CDownloadManager::SetNextFileName(QString());
    window.engine->Navigate2(Address(m_server.Url(u"/file"_s)));
    // Downloads are handled in order: once the next one is saved, the cancelled one
    // had its answer.
    const QString second = dir.filePath(u"second.bin"_s);
    QVERIFY(EngineTestUtil::WaitFor([] { return !CDownloadManager::HasNextFileName(); }, kTimeout));
    CDownloadManager::SetNextFileName(second);
    window.engine->Navigate2(Address(m_server.Url(u"/file"_s)));
    QVERIFY(EngineTestUtil::WaitFor(
        [&] {
            return messages.contains(u"Download finished: "_s + QDir::toNativeSeparators(second));
        },
        kTimeout));

    QCOMPARE(messages.filter(u"finished"_s).size(), 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {u"second.bin"_s});
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    QVERIFY(!QFile::exists(QDir(downloads).filePath(u"report.bin"_s)));
}

void tst_CWebEngine::rendererCrash_data()
{
    QTest::addColumn<QString>("address");

    QTest::newRow("crash") << u"chrome://crash"_s;
    QTest::newRow("kill") << u"chrome://kill"_s;
}

void tst_CWebEngine::rendererCrash()
{
    QFETCH(QString, address);
    SWindow window;
    const QUrl a = m_server.Url(u"/a"_s);
    QVERIFY(Load(window, a));
    window.sink.events.clear();

    window.engine->Navigate2(address);
    QVERIFY(window.sink.WaitFor(u"crashed"_s));
    QVERIFY(!window.engine->GetBusy());

    window.sink.events.clear();
    window.engine->Refresh();
    QVERIFY(window.sink.WaitFor(u"document "_s + Address(a)));
    QCOMPARE(EngineTestUtil::RunJavaScript(window.engine->Page(), u"document.title"_s),
             QVariant(u"Page A"_s));
}

void tst_CWebEngine::cookiesAndStorageSurviveRestart()
{
    // Two runs of the program share their data folders, not this test's profile.
    QTemporaryDir folders;
    QVERIFY(folders.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_DATA_HOME"_s, folders.filePath(u"data"_s));
    environment.insert(u"XDG_CACHE_HOME"_s, folders.filePath(u"cache"_s));
    const auto run = [&](const QString &path, const QString &script) {
        QProcess process;
        process.setProcessEnvironment(environment);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(QStringLiteral(QUILLBROW_ENGINE_HELPER),
                      {Address(m_server.Url(path)), script});
        // The event loop must run meanwhile: the pages come from this process.
        if (!finished.wait(kTimeout) || process.exitCode() != 0)
            return u"failed with status %1"_s.arg(process.exitCode());
        return QString::fromUtf8(process.readAllStandardOutput());
    };

    QCOMPARE(run(u"/remember"_s, u"localStorage.setItem('seen', 'yes'); document.cookie"_s),
             u"visitor=42"_s);
    QVERIFY(!QDir(folders.filePath(u"data/Tarvo/Quillbrow/engine"_s)).isEmpty());
    QVERIFY(QDir(folders.filePath(u"cache/Tarvo/Quillbrow"_s)).exists());
    QCOMPARE(run(u"/again"_s, u"localStorage.getItem('seen')"_s), u"yes"_s);
    QCOMPARE(m_server.LastRequestHeader(u"/again"_s, "Cookie"), QByteArray("visitor=42"));
}

QUILLBROW_ENGINE_TEST_MAIN(tst_CWebEngine)

#include "tst_cwebengine.moc"
