#include "CConfirmDlg.h"
#include "CHistoryList.h"
#include "CMainFrame.h"
#include "CPopupBudget.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QApplication>
#include <QMdiArea>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QtTest>

// Pages that try to swamp the program: a flood of pop-ups, pop-ups closing themselves
// in a loop, a storm of navigations, a huge title, thousands of frames. Smaller than
// the storms bench/storms drives, and without figures: the program survives and ends
// with the windows it should have.
class TestE2EStorms : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

    // Opens a page in the active window as typed, and waits for it.
    CQuillbrowView *Open(const QString &path)
    {
        m_user->TypeAddress(Url(path));
        return m_user->WaitForWindowShowing(Url(path));
    }

    static QList<CConfirmDlg *> OpenQuestions()
    {
        QList<CConfirmDlg *> found;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *dlg = qobject_cast<CConfirmDlg *>(w); dlg && dlg->isVisible())
                found.append(dlg);
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/start"_qs, u"Start"_qs);
        m_server.RoutePage(u"/child"_qs, u"Child"_qs);
        m_server.RoutePage(u"/flood"_qs, u"Flood"_qs,
                           u"<script>var opened = 0;"
                           "for (var i = 0; i < 60; ++i) if (window.open('/child')) ++opened;"
                           "</script>"_qs);
        // A pop-up that asks to close its window again and again.
        m_server.RoutePage(u"/closer"_qs, u"Closer"_qs,
                           u"<script>for (var i = 0; i < 200; ++i) window.close();"
                           "setInterval(function () { window.close(); }, 1);</script>"_qs);
        m_server.RoutePage(u"/closers"_qs, u"Opener"_qs,
                           u"<script>var ws = [];"
                           "for (var i = 0; i < 3; ++i) ws.push(window.open('/closer'));"
                           "</script>"_qs);
        m_server.RoutePage(u"/navstorm"_qs, u"Navigations"_qs,
                           u"<script>var n = 0;"
                           "var t = setInterval(function () {"
                           "  for (var k = 0; k < 20; ++k, ++n) {"
                           "    if (n % 2) location.hash = 'n' + n;"
                           "    else history.pushState({}, '', '?n=' + n);"
                           "  }"
                           "  if (n >= 2000) { clearInterval(t); document.title = 'Done ' + n; }"
                           "}, 1);</script>"_qs);
        CTestServer::Response big;
        big.body = "<html><head><title>" + QByteArray(1 << 20, 'T')
            + "</title></head><body>A huge title.</body></html>";
        m_server.Route(u"/bigtitle"_qs, big);
        m_server.RoutePage(u"/frames"_qs, u"Frames"_qs,
                           u"<script>for (var i = 0; i < 2000; ++i) {"
                           "  var f = document.createElement('iframe'); f.srcdoc = '<p>' + i;"
                           "  document.body.appendChild(f);"
                           "} document.title = 'Frames ' + window.frames.length;</script>"_qs);
    }

    void init()
    {
        CUserSession::WriteStoredSettings({{u"Settings/ConfirmUserClose"_qs, 0}});
        m_user = CUserSession::StartAt(Url(u"/start"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_server.Release();
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
    }

    void popupFloodGetsOnlyItsShareOfWindows()
    {
        QSignalSpy messages(m_user->Frame()->statusBar(), &QStatusBar::messageChanged);
        CQuillbrowView *opener = Open(u"/flood"_qs);
        QVERIFY(opener);
        // The share and not one more: every one of them shown with its tab.
        QVERIFY(m_user->WaitFor(
            [&] { return m_server.RequestCount(u"/child"_qs) >= CPopupBudget::kMaxWindows; }));
        QVERIFY(m_user->WaitFor([&] {
            return m_user->Tabs().filter(QRegularExpression(u"^Child"_qs)).size()
                == CPopupBudget::kMaxWindows;
        }));
        QCOMPARE(m_user->Windows().size(), 1 + CPopupBudget::kMaxWindows);
        QCOMPARE(m_server.RequestCount(u"/child"_qs), CPopupBudget::kMaxWindows);
        // The user hears of the refused ones once, not once for each.
        const auto refusals = [&] {
            QStringList found;
            for (const QList<QVariant> &args : messages) {
                if (args.first().toString().startsWith(u"Too many"_qs))
                    found.append(args.first().toString());
            }
            return found;
        };
        QVERIFY(m_user->WaitFor([&] { return !refusals().isEmpty(); }));
        QCOMPARE(refusals(),
                 QStringList {u"Too many pop-up windows at once: refused the rest from "_qs
                              + Url(u"/flood"_qs)});
        // The engine itself refused the rest of the loop: the page saw no window for
        // most of its calls, and keeps running.
        const int nOpened = CUserSession::RunInPage(opener, u"opened"_qs).toInt();
        QVERIFY2(nOpened >= CPopupBudget::kMaxWindows && nOpened < 60,
                 qPrintable(QString::number(nOpened)));
        const QString openOne = u"window.open('/child') ? 'window' : 'refused'"_qs;
        QCOMPARE(CUserSession::RunInPage(opener, openOne).toString(), u"refused"_qs);
        // The pointer leaving a toolbar button puts the idle text back, but not over the
        // notice while it lasts.
        QStatusTipEvent left {QString()};
        QApplication::sendEvent(m_user->Frame(), &left);
        QCOMPARE(m_user->StatusText(), refusals().first());
        // Once the budget has refilled, the page may open a window again. (Asked until a
        // new tab shows: a call at the very edge of the span may still be refused.)
        const auto children = [&] {
            return m_user->Tabs().filter(QRegularExpression(u"^Child"_qs)).size();
        };
        QVERIFY(m_user->WaitFor(
            [&] {
                if (children() > CPopupBudget::kMaxWindows)
                    return true;
                CUserSession::RunInPage(opener, openOne);
                return false;
            },
            3 * CPopupBudget::kSpanMs));
    }

    void closeLoopsCloseOnlyTheirOwnWindows()
    {
        const int nBefore = m_server.RequestCount(u"/closer"_qs);
        QVERIFY(Open(u"/closers"_qs));
        // Hidden windows count too: none of the three is left, shown or not.
        QMdiArea *area = m_user->Frame()->MdiArea();
        // (A window leaves the MDI area a moment before its tab leaves the bar.)
        QVERIFY(m_user->WaitFor([&] {
            return m_server.RequestCount(u"/closer"_qs) == nBefore + 3
                && area->subWindowList().size() == 1
                && m_user->Tabs() == QStringList {u"Opener"_qs};
        }));
        QCOMPARE(m_user->ActiveWindow()->GetLocationURL(), Url(u"/closers"_qs));
    }

    void eachCloseQuestionClosesTheWindowThatAsked()
    {
        m_user.reset();
        CUserSession::WriteStoredSettings({{u"Settings/ConfirmUserClose"_qs, 1}});
        m_user = CUserSession::StartAt(Url(u"/start"_qs));
        QVERIFY(m_user);

        // Three pop-ups ask, each once however often they call; the second is told No.
        // (A window told Yes may go before its page's next request leaves, so the pages'
        // own loads are counted, not what they ask for after closing.)
        const int nLoadedBefore = m_server.RequestCount(u"/closer"_qs);
        CConfirmDlg::SetNextAnswer(IDYES);
        CConfirmDlg::SetNextAnswer(IDNO);
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(Open(u"/closers"_qs));
        QVERIFY(m_user->WaitFor([&] {
            return m_server.RequestCount(u"/closer"_qs) == nLoadedBefore + 3
                && !CConfirmDlg::HasPendingAnswers() && m_user->Windows().size() == 2;
        }));
        // The opener stays whichever window was active when the others closed.
        QCOMPARE(m_user->Windows().first()->GetLocationURL(), Url(u"/closers"_qs));
        QCOMPARE(m_user->Windows().at(1)->GetLocationURL(), Url(u"/closer"_qs));
    }

    void navigationStormEndsAtTheLastAddressTheEngineTook()
    {
        m_user->TypeAddress(Url(u"/navstorm"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_user->Tabs() == QStringList {u"Done 2000"_qs}; }));
        CQuillbrowView *view = m_user->ActiveWindow();
        QCOMPARE(m_user->Windows().size(), 1);
        // The engine drops most of them; the address bar shows where the page stands.
        const QString last = CUserSession::RunInPage(view, u"location.href"_qs).toString();
        QVERIFY(last.contains(u"n="_qs));
        QVERIFY(m_user->WaitFor([&] { return m_user->AddressText() == last; }));
        QVERIFY(view->History().Count() <= CHistoryList::kMaxEntries);
        // The window still goes back through the page's own steps.
        QVERIFY(m_user->ClickToolButton(u"Back"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_user->AddressText() != last; }));
    }

    void hugeTitleIsCutForTabAndCaption()
    {
        QVERIFY(Open(u"/bigtitle"_qs));
        const QString cut = QString(125, u'T') + u"..."_qs;
        QVERIFY(m_user->WaitFor([&] { return m_user->Tabs() == QStringList {cut}; }));
        QVERIFY(m_user->Caption().contains(cut));
        QVERIFY(m_user->Caption().size() < 200);
    }

    void thousandsOfFramesLoadAndClose()
    {
        QVERIFY(Open(u"/frames"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_user->Tabs().first().startsWith(u"Frames "_qs); }));
        QVERIFY(m_user->Tabs().first() != u"Frames 0"_qs);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().isEmpty(); }));
        QVERIFY(m_user->IsRunning());
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EStorms)
#include "tst_e2e_storms.moc"
