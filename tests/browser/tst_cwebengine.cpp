#include "CConfirmDlg.h"
#include "CDownloadManager.h"
#include "CFileDialog.h"
#include "CPromptDlg.h"
#include "CTestServer.h"
#include "CWebEngine.h"
#include "CWebPage.h"
#include "EngineTestUtil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QPageLayout>
#include <QPageRanges>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// One browser window as the view would hold it: an engine, and a sink that writes its
// events down as one line each, so a test can check what came and in which order.
class CWindow : public IEngineEvents
{
public:
    CWindow() { engine->SetEventSink(this); }

    // Loads url and waits for the document-complete of the address it ends at.
    bool Load(const QString &url, const QString &finalUrl = QString())
    {
        events.clear();
        engine->Navigate2(url);
        return WaitFor(u"document "_s + (finalUrl.isEmpty() ? url : finalUrl));
    }
    bool WaitFor(const QString &event) const
    {
        return EngineTestUtil::WaitFor([&] { return events.contains(event); });
    }
    // True when the given events came in this order, others possibly between them.
    bool InOrder(const QStringList &expected) const
    {
        qsizetype n = -1;
        for (const QString &event : expected) {
            if ((n = events.indexOf(event, n + 1)) < 0)
                return false;
        }
        return true;
    }
    // The events of one kind ("before", "navigate", ...), in order.
    QStringList Only(const QString &kind) const
    {
        return events.filter(QRegularExpression(u"^"_s + kind + u"( |$)"_s));
    }
    QString Trace() const { return events.join(u" | "); }

    void OnBeforeNavigate2(const QString &strURL, bool &bCancel) override
    {
        events << u"before "_s + strURL;
        bCancel = cancel.contains(strURL);
    }
    void OnNavigateComplete2(const QString &strURL) override { events << u"navigate "_s + strURL; }
    void OnDocumentComplete(const QString &strURL) override { events << u"document "_s + strURL; }
    void OnTitleChange(const QString &strTitle) override { events << u"title "_s + strTitle; }
    void OnProgressChange(int nProgress, int nMax) override
    {
        events << u"progress %1/%2"_s.arg(nProgress).arg(nMax);
    }
    void OnStatusTextChange(const QString &) override { }
    void OnCommandStateChange(int, bool) override { }
    void OnDownloadBegin() override { events << u"begin"_s; }
    void OnDownloadComplete() override { events << u"complete"_s; }
    IWebEngine *OnNewWindow2(bool &bCancel) override
    {
        popup = std::make_unique<CWindow>();
        bCancel = false;
        return popup->engine.get();
    }
    void OnWindowClosing(bool, bool &bCancel) override { bCancel = true; }
    void OnRendererCrashed(ERendererEnd, int) override { events << u"crashed"_s; }
    void OnCloseConfirmed() override { events << u"close confirmed"_s; }
    bool IsWindowActive() const override { return bActive; }
    void OnDialogInBackground(EPageDialog kind, const QString &strMessage) override
    {
        events << u"background %1 %2"_s.arg(int(kind)).arg(strMessage);
    }

    std::unique_ptr<CWebEngine> engine = std::make_unique<CWebEngine>();
    // The window a page of this one opened.
    std::unique_ptr<CWindow> popup;
    QStringList events;
    // Before-navigates to these addresses are cancelled.
    QStringList cancel;
    bool bActive = true;
};

} // namespace

class tst_CWebEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void oneNavigation_data();
    void oneNavigation();
    void refusedAddressLoadsNothing_data();
    void refusedAddressLoadsNothing();
    void pageOpensWindow_data();
    void pageOpensWindow();
    void javaScriptDialogsAnsweredInAdvance();
    void downloadSavedWhereAsked();
    void rendererCrashReachesTheSink();
    void cookiesAndStorageSurviveRestart();
    void textSizeLevels_data();
    void textSizeLevels();
    void closingWhilePrintingIsSafe();
    void keptPageOutlivesItsWindowUntilItsLoadEnds_data();
    void keptPageOutlivesItsWindowUntilItsLoadEnds();
    void oneSaveAtATime();
    void closedPageLosesItsFramesBeforeItGoes_data();
    void closedPageLosesItsFramesBeforeItGoes();

private:
    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

    CTestServer m_server;
    QTemporaryDir m_currentDir;
};

void tst_CWebEngine::initTestCase()
{
    // Chromium starts with the first page and warns once that there is no GPU.
    CWindow {};
    QVERIFY(m_server.Start());
    m_server.RoutePage(u"/a"_s, u"Page A"_s);
    m_server.RoutePage(u"/b"_s, u"Page B"_s);
    m_server.RouteRedirect(u"/r1"_s, u"/b"_s);
    m_server.RouteRedirect(u"/r2"_s, u"/r1"_s);
    CTestServer::Response file;
    file.contentType = "application/octet-stream";
    file.body = QByteArray(2000, 'q');
    m_server.Route(u"/file"_s, file);
    CTestServer::Response held;
    held.body = "<html><head><title>Held</title></head><body>" + QByteArray(4000, 'h');
    held.bHold = true;
    m_server.Route(u"/held"_s, held);
    m_server.RoutePage(u"/frame"_s, u"Frame"_s);
    for (int nFrames : {3, 120}) {
        m_server.RoutePage(u"/frames%1"_s.arg(nFrames), u"Frames"_s,
                           u"<script>for (let i = 0; i < %1; ++i) {"
                           " const f = document.createElement('iframe'); f.src = '/frame';"
                           " document.body.appendChild(f); }</script>"_s.arg(nFrames));
    }
    // A typed name is a file only when the current folder has it.
    QVERIFY(m_currentDir.isValid());
    QFile here(m_currentDir.filePath(u"here.html"_s));
    QVERIFY(here.open(QIODevice::WriteOnly));
    QVERIFY(QDir::setCurrent(m_currentDir.path()));
}

void tst_CWebEngine::init()
{
    QTest::failOnWarning(QRegularExpression(u".*"_s));
    CConfirmDlg::ClearNextAnswers();
    CDownloadManager::Instance()->SetStatusCallback(nullptr);
}

void tst_CWebEngine::oneNavigation_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("finalPath");
    QTest::addColumn<QString>("title");

    QTest::newRow("plain page") << u"/a"_s << u"/a"_s << u"Page A"_s;
    QTest::newRow("one redirect") << u"/r1"_s << u"/b"_s << u"Page B"_s;
    QTest::newRow("two redirects") << u"/r2"_s << u"/b"_s << u"Page B"_s;
}

void tst_CWebEngine::oneNavigation()
{
    QFETCH(QString, path);
    QFETCH(QString, finalPath);
    QFETCH(QString, title);
    CWindow window;
    const QString requested = Url(path);
    const QString landed = Url(finalPath);
    QVERIFY(window.Load(requested, landed));

    // The requested address is announced once, redirects or not; the view compares it
    // with the committed one to tell a redirected typed address.
    QCOMPARE(window.Only(u"before"_s), QStringList {u"before "_s + requested});
    QCOMPARE(window.Only(u"navigate"_s), QStringList {u"navigate "_s + landed});
    QVERIFY2(window.InOrder({u"before "_s + requested, u"begin"_s, u"navigate "_s + landed,
                             u"title "_s + title, u"progress 100/100"_s, u"complete"_s,
                             u"document "_s + landed}),
             qPrintable(window.Trace()));
    // The history records the page at navigate-complete, so no title may come before it.
    const qsizetype nNavigate = window.events.indexOf(u"navigate "_s + landed);
    QVERIFY(window.events.indexOf(window.Only(u"title"_s).value(0)) > nNavigate);
    QCOMPARE(window.engine->GetLocationURL(), landed);
    QVERIFY(!window.engine->GetBusy());
}

void tst_CWebEngine::refusedAddressLoadsNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("page of the server") << Url(u"/b"_s) << Url(u"/b"_s);
    QTest::newRow("bare host") << u"example.com"_s << u"http://example.com/"_s;
    QTest::newRow("host and port") << u"localhost:8080/x"_s << u"http://localhost:8080/x"_s;
    QTest::newRow("absolute path")
        << u"/nonexistent/page.html"_s << u"file:///nonexistent/page.html"_s;
    QTest::newRow("file in the current folder")
        << u"here.html"_s << QUrl::fromLocalFile(m_currentDir.filePath(u"here.html"_s)).toString();
}

void tst_CWebEngine::refusedAddressLoadsNothing()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    CWindow window;
    const QString a = Url(u"/a"_s);
    QVERIFY(window.Load(a));
    window.cancel << expected;
    const int nRequests = m_server.RequestCount(u"/b"_s);

    // What was typed is announced as the address it stands for; refused, the page stays.
    QVERIFY2(window.Load(typed, a), qPrintable(window.Trace()));
    QCOMPARE(window.Only(u"before"_s), QStringList {u"before "_s + expected});
    QVERIFY(window.Only(u"navigate"_s).isEmpty());
    QCOMPARE(m_server.RequestCount(u"/b"_s), nRequests);
    QCOMPARE(window.engine->GetLocationURL(), a);
    QVERIFY(!window.engine->GetBusy());
}

void tst_CWebEngine::pageOpensWindow_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("path");

    QTest::newRow("address given") << QString() << u"/b"_s;
    QTest::newRow("redirected address") << QString() << u"/r1"_s;
    QTest::newRow("about:blank, then the address") << u"about:blank"_s << u"/b"_s;
}

void tst_CWebEngine::pageOpensWindow()
{
    QFETCH(QString, first);
    QFETCH(QString, path);
    CWindow opener;
    QVERIFY(opener.Load(Url(u"/a"_s)));
    const QString requested = Url(path);
    const QString b = Url(u"/b"_s);
    EngineTestUtil::RunJavaScript(
        opener.engine->Page(), u"w = window.open('%1')"_s.arg(first.isEmpty() ? requested : first));
    QVERIFY(opener.popup);
    CWindow *popup = opener.popup.get();
    QStringList expected {u"before "_s + requested};
    if (!first.isEmpty()) {
        // Chromium loads it without asking; the view hears of it all the same.
        QVERIFY(popup->WaitFor(u"document "_s + first));
        EngineTestUtil::RunJavaScript(opener.engine->Page(),
                                      u"w.location.href = '%1'"_s.arg(requested));
        expected.prepend(u"before "_s + first);
    }
    QVERIFY(popup->WaitFor(u"document "_s + b));

    // The view decides a pending window's fate on its first real address, before
    // anything of that page arrives; Qt shows that address before it is committed.
    QCOMPARE(popup->Only(u"before"_s), expected);
    // A redirected page's pending address is never reported as committed.
    QCOMPARE(popup->Only(u"navigate"_s).filter(Url({})), QStringList {u"navigate "_s + b});
    QVERIFY2(popup->InOrder({u"before "_s + requested, u"begin"_s, u"navigate "_s + b,
                             u"title Page B"_s, u"document "_s + b}),
             qPrintable(popup->Trace()));
}

void tst_CWebEngine::javaScriptDialogsAnsweredInAdvance()
{
    CWindow window;
    QVERIFY(window.Load(Url(u"/a"_s)));
    const auto run = [&window](const QString &script) {
        return EngineTestUtil::RunJavaScript(window.engine->Page(), script);
    };

    CConfirmDlg::SetNextAnswer(IDOK);
    QCOMPARE(run(u"alert('Careful'); 'shown'"_s), QVariant(u"shown"_s));
    QCOMPARE(CConfirmDlg::LastText(), u"Careful"_s);
    QCOMPARE(CConfirmDlg::LastCaption(), Url(u"/a"_s));
    CConfirmDlg::SetNextAnswer(IDOK);
    CConfirmDlg::SetNextAnswer(IDCANCEL);
    QCOMPARE(run(u"[confirm('Sure?'), confirm('Sure?')]"_s), QVariant(QVariantList {true, false}));
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
    CPromptDlg::SetNextAnswer(u"typed"_s);
    QCOMPARE(run(u"prompt('Name?', 'x')"_s), QVariant(u"typed"_s));
    CPromptDlg::SetNextAnswer(QString(), false);
    QCOMPARE(run(u"prompt('Name?', 'x') === null"_s), QVariant(true));
}

void tst_CWebEngine::downloadSavedWhereAsked()
{
    QStringList messages;
    CDownloadManager::Instance()->SetStatusCallback(
        [&messages](const QString &text) { messages << text; });
    const QString path = m_currentDir.filePath(u"saved.bin"_s);
    CFileDialog::SetNextAnswer(path);
    CWindow window;
    const QString a = Url(u"/a"_s);
    QVERIFY(window.Load(a));

    QVERIFY(window.Load(Url(u"/file"_s), a));
    const QString finished = u"Download finished: "_s + QDir::toNativeSeparators(path);
    QVERIFY(EngineTestUtil::WaitFor([&] { return messages.contains(finished); }));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray(2000, 'q'));
    // The page stays: a download commits nothing, though its load ends.
    QVERIFY(window.Only(u"navigate"_s).isEmpty());
    QCOMPARE(window.engine->GetLocationURL(), a);
}

void tst_CWebEngine::rendererCrashReachesTheSink()
{
    CWindow window;
    QVERIFY(window.Load(Url(u"/a"_s)));
    window.engine->Navigate2(u"chrome://crash"_s);
    QVERIFY(window.WaitFor(u"crashed"_s));
    // The load the renderer took with it never ends by itself.
    QVERIFY(!window.engine->GetBusy());
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
        process.start(QStringLiteral(QUILLBROW_ENGINE_HELPER), {Url(path), script});
        // The event loop must run meanwhile: the pages come from this process.
        EngineTestUtil::WaitFor([&] { return process.state() == QProcess::NotRunning; });
        return u"%1 %2"_s.arg(process.exitCode())
            .arg(QString::fromUtf8(process.readAllStandardOutput()));
    };

    QCOMPARE(run(u"/a"_s,
                 u"localStorage.setItem('seen', 'yes');"
                 " document.cookie = 'visitor=42; max-age=86400; path=/'; document.cookie"_s),
             u"0 visitor=42"_s);
    QVERIFY(!QDir(folders.filePath(u"data/Tarvo/Quillbrow/engine"_s)).isEmpty());
    QVERIFY(QDir(folders.filePath(u"cache/Tarvo/Quillbrow"_s)).exists());
    QCOMPARE(run(u"/b"_s, u"localStorage.getItem('seen')"_s), u"0 yes"_s);
    QCOMPARE(m_server.LastRequestHeader(u"/b"_s, "Cookie"), QByteArray("visitor=42"));
}

QUILLBROW_ENGINE_TEST_MAIN(tst_CWebEngine)

#include "tst_cwebengine.moc"

void tst_CWebEngine::textSizeLevels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<qreal>("zoom");
    QTest::addColumn<int>("readBack");

    QTest::newRow("below the smallest") << -1 << 1.0 << 2;
    QTest::newRow("smallest") << 0 << 0.7 << 0;
    QTest::newRow("largest") << 4 << 1.5 << 4;
    QTest::newRow("above the largest") << 5 << 1.0 << 2;
}

void tst_CWebEngine::textSizeLevels()
{
    QFETCH(int, level);
    QFETCH(qreal, zoom);
    QFETCH(int, readBack);
    CWindow window;
    QVERIFY(window.Load(Url(u"/a"_s)));
    window.engine->SetTextSizeLevel(level);
    QCOMPARE(window.engine->View()->zoomFactor(), zoom);
    QCOMPARE(window.engine->GetTextSizeLevel(), readBack);
    // The page keeps its size to the next one.
    QVERIFY(window.Load(Url(u"/b"_s)));
    QCOMPARE(window.engine->GetTextSizeLevel(), readBack);
}

void tst_CWebEngine::closingWhilePrintingIsSafe()
{
    auto window = std::make_unique<CWindow>();
    QVERIFY(window->Load(Url(u"/a"_s)));
    const QString pdf = m_currentDir.filePath(u"closing.pdf"_s);
    bool bTold = false;
    window->engine->PrintToPdf(pdf,
                               QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {}), {},
                               [&bTold](const QString &) { bTold = true; });
    window.reset();

    // The page outlives its window until the print is written, then goes.
    const auto pagesLeft = [] {
        const auto widgets = QApplication::allWidgets();
        return std::count_if(widgets.cbegin(), widgets.cend(), [](QWidget *widget) {
            return qobject_cast<QWebEngineView *>(widget) != nullptr;
        });
    };
    QVERIFY(EngineTestUtil::WaitFor([&] { return pagesLeft() == 0; }));
    QVERIFY(QFileInfo(pdf).size() > 0);
    QVERIFY(!bTold);
    CWindow next;
    QVERIFY(next.Load(Url(u"/b"_s)));
}

void tst_CWebEngine::keptPageOutlivesItsWindowUntilItsLoadEnds_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("kept") << true;
    QTest::newRow("not kept") << false;
}

void tst_CWebEngine::keptPageOutlivesItsWindowUntilItsLoadEnds()
{
    QFETCH(bool, keep);
    auto window = std::make_unique<CWindow>();
    window->engine->Navigate2(Url(u"/held"_s));
    QVERIFY(window->WaitFor(u"begin"_s));
    const QPointer<QWebEnginePage> page = window->engine->Page();
    const QPointer<QWidget> view = window->engine->Widget();
    if (keep)
        window->engine->KeepPageUntilLoadEnds();
    window.reset();

    // The window's widget goes or is hidden on its own; the page stays, kept, until
    // the load it was busy with has ended, or goes without waiting for it.
    QVERIFY(!view || (!view->isVisible() && !view->parent()));
    if (keep)
        QVERIFY(!page.isNull());
    else
        QVERIFY(EngineTestUtil::WaitFor([&] { return page.isNull(); }));
    m_server.Release();
    QVERIFY(EngineTestUtil::WaitFor([&] { return page.isNull() && view.isNull(); }));
    CWindow next;
    QVERIFY(next.Load(Url(u"/b"_s)));
}

void tst_CWebEngine::oneSaveAtATime()
{
    CWindow window;
    QVERIFY(window.Load(Url(u"/a"_s)));
    QStringList first;
    QStringList second;
    const QString path = m_currentDir.filePath(u"first.mhtml"_s);
    window.engine->SavePage(path, IWebEngine::SaveSingleFile,
                            [&first](const QString &strError) { first << strError; });
    window.engine->SavePage(m_currentDir.filePath(u"second.mhtml"_s), IWebEngine::SaveSingleFile,
                            [&second](const QString &strError) { second << strError; });
    QCOMPARE(second.size(), 1);
    QVERIFY(!second.first().isEmpty());
    QVERIFY(EngineTestUtil::WaitFor([&] { return !first.isEmpty(); }));
    QCOMPARE(first, QStringList {QString()});
    QVERIFY(QFileInfo(path).size() > 0);
    // Once it is done the next may start.
    second.clear();
    window.engine->SavePage(m_currentDir.filePath(u"second.mhtml"_s), IWebEngine::SaveSingleFile,
                            [&second](const QString &strError) { second << strError; });
    QVERIFY(EngineTestUtil::WaitFor([&] { return !second.isEmpty(); }));
    QCOMPARE(second, QStringList {QString()});
}

void tst_CWebEngine::closedPageLosesItsFramesBeforeItGoes_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("hung");
    QTest::addColumn<QString>("end");
    QTest::newRow("a few frames") << 3 << false << u"page taken apart in 1 steps"_s;
    // Frames beyond one step's share go in later turns of the event loop.
    QTest::newRow("many frames") << 120 << false << u"page taken apart in 3 steps"_s;
    // A renderer that never answers: the page goes all the same, frames and all.
    QTest::newRow("hung renderer")
        << 120 << true << u"page did not answer while taken apart: it goes whole"_s;
}

namespace {
QStringList s_memoryLog;
QtMessageHandler s_previousHandler = nullptr;
void KeepMemoryLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "quillbrow.memory") == 0)
        s_memoryLog << message;
    else
        s_previousHandler(type, context, message);
}
} // namespace

void tst_CWebEngine::closedPageLosesItsFramesBeforeItGoes()
{
    QFETCH(int, frames);
    QFETCH(bool, hung);
    QFETCH(QString, end);
    auto window = std::make_unique<CWindow>();
    const int nFrameLoadsBefore = m_server.RequestCount(u"/frame"_s);
    QVERIFY(window->Load(Url(u"/frames%1"_s.arg(frames))));
    QVERIFY(EngineTestUtil::WaitFor(
        [&] { return m_server.RequestCount(u"/frame"_s) == nFrameLoadsBefore + frames; }));
    if (hung)
        window->engine->Page()->runJavaScript(u"for (;;) {}"_s);

    s_memoryLog.clear();
    QLoggingCategory::setFilterRules(u"quillbrow.memory.debug=true"_s);
    s_previousHandler = qInstallMessageHandler(KeepMemoryLog);
    const auto restore = qScopeGuard([] {
        qInstallMessageHandler(s_previousHandler);
        QLoggingCategory::setFilterRules(QString());
    });
    const QPointer<QWebEnginePage> page = window->engine->Page();
    window.reset();
    QVERIFY(EngineTestUtil::WaitFor([&] { return page.isNull(); }));
    QCOMPARE(s_memoryLog.filter(u"page "_s), QStringList {end});
}
