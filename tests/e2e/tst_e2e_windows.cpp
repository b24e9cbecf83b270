#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CMainFrame.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QStyle>
#include <QtTest>

namespace {
// Counts events of one type anywhere in the program while it lives.
class CEventCounter : public QObject
{
public:
    CEventCounter(QEvent::Type type, std::function<void(QObject *)> onEvent)
        : m_type(type)
        , m_onEvent(std::move(onEvent))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == m_type)
            m_onEvent(watched);
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void(QObject *)> m_onEvent;
};
} // namespace

// Opening, walking and stopping windows in the program as a user starts it.
class TestE2EWindows : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        for (const QString &name : {u"one"_qs, u"two"_qs})
            m_server.RoutePage(u"/"_qs + name, u"Page "_qs + name);
        CTestServer::Response slow;
        slow.body = "<html><head><title>Slow</title></head><body>" + QByteArray(4096, 'x');
        slow.bHold = true;
        m_server.Route(u"/slow1"_qs, slow);
        m_server.Route(u"/slow2"_qs, slow);
        // Windows the page opens and closes before they ever navigate.
        m_server.RoutePage(u"/closesitself"_qs, u"Opener"_qs,
                           u"<script>var w = window.open(''); window.opened = !!w;"
                           "w.document.write('<script>window.close()<\\/script>');"
                           "w.document.close();</script>"_qs);
        m_server.RoutePage(u"/openerCloses"_qs, u"Opener"_qs,
                           u"<script>var w = window.open(''); window.opened = !!w;"
                           "setTimeout(function () { w.close(); }, 0);</script>"_qs);
    }

    void init()
    {
        m_user = CUserSession::StartAt(Url(u"/one"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_server.Release();
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
    }

    void newBlankWindowByKeyMenuAndButton()
    {
        QCOMPARE(m_user->Tabs(), QStringList {u"Page one"_qs});

        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 2);
        QCOMPARE(m_user->Tabs().size(), 2);
        QCOMPARE(m_user->ActiveWindow(), m_user->Windows().at(1));
        QCOMPARE(m_user->CurrentTab(), 1);

        QVERIFY(m_user->ClickToolButton(u"New Blank"_qs));
        QTRY_COMPARE(m_user->Windows().size(), 3);
        QCOMPARE(m_user->ActiveWindow(), m_user->Windows().at(2));
        QCOMPARE(m_user->CurrentTab(), 2);

        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Blank"_qs}));
        QTRY_COMPARE(m_user->Windows().size(), 4);
        QCOMPARE(m_user->CurrentTab(), 3);
        QTRY_COMPARE(m_user->ActiveWindow()->GetLocationURL(), u"about:blank"_qs);
    }

    void closeByKeyClosesTheActiveWindow()
    {
        // Ctrl+W from the page itself, as a user closes what they are reading.
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 2);
        m_user->ActiveWindow()->Engine()->Widget()->setFocus();
        m_user->PressKey(Qt::Key_W, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 1);
        QCOMPARE(m_user->Tabs(), QStringList {u"Page one"_qs});
        // The window's own Ctrl+F4 closes it too.
        m_user->ActiveWindow()->Engine()->Widget()->setFocus();
        m_user->PressKey(Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(m_user->Windows().isEmpty());
    }

    void stopAllStopsEveryLoadingWindow()
    {
        m_user->TypeAddress(Url(u"/slow1"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_server.RequestCount(u"/slow1"_qs) == 1; }));
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 2);
        m_user->TypeAddress(Url(u"/slow2"_qs));
        QVERIFY(m_user->WaitFor([&] { return m_server.RequestCount(u"/slow2"_qs) == 1; }));
        // Both windows are loading: the background one shows a partial pie.
        QVERIFY(m_user->WaitFor([&] { return m_user->TabImage(0) < 8; }));
        QVERIFY(m_user->IsBusyAnimationPlaying());
        QVERIFY(m_user->IsMenuItemEnabled({u"Go"_qs, u"Stop All"_qs}));

        QVERIFY(m_user->ChooseMenu({u"Go"_qs, u"Stop All"_qs}));
        // The active window is idle again, the other one finished in the background.
        QVERIFY(m_user->WaitFor([&] { return !m_user->IsBusyAnimationPlaying(); }));
        QVERIFY(
            m_user->WaitFor([&] { return m_user->TabImage(0) == 8 && m_user->TabImage(1) == 9; }));
        QVERIFY(!m_user->IsMenuItemEnabled({u"Go"_qs, u"Stop"_qs}));
        QCOMPARE(m_user->Windows().size(), 2);
    }

    void previousAndNextWalkTheTabs()
    {
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 3);
        const auto windows = m_user->Windows();
        QCOMPARE(m_user->ActiveWindow(), windows.at(2));
        QVERIFY(!m_user->IsMenuItemEnabled({u"Windows"_qs, u"Next"_qs}));

        m_user->PressKey(Qt::Key_F9);
        QTRY_COMPARE(m_user->ActiveWindow(), windows.at(1));
        m_user->PressKey(Qt::Key_F9);
        QTRY_COMPARE(m_user->ActiveWindow(), windows.at(0));
        QCOMPARE(m_user->CurrentTab(), 0);
        // No wrapping at either end.
        QVERIFY(!m_user->IsMenuItemEnabled({u"Windows"_qs, u"Previous"_qs}));
        m_user->PressKey(Qt::Key_F9);
        QCOMPARE(m_user->ActiveWindow(), windows.at(0));

        m_user->PressKey(Qt::Key_F10);
        QTRY_COMPARE(m_user->ActiveWindow(), windows.at(1));
        QCOMPARE(m_user->CurrentTab(), 1);
        QVERIFY(m_user->ChooseMenu({u"Windows"_qs, u"Next"_qs}));
        QTRY_COMPARE(m_user->ActiveWindow(), windows.at(2));
    }

    void captionFollowsTheMaximizedWindow()
    {
        QCOMPARE(m_user->Caption(), u"Quillbrow - Page one"_qs);
        QMdiSubWindow *child = m_user->ActiveChild();
        // A double-click on the window's title bar maximizes it.
        const int nTitleBar
            = child->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, child);
        const QPoint onTitle(child->width() / 2, nTitleBar / 2);
        QTest::mouseMove(child, onTitle);
        QTest::mouseDClick(child, Qt::LeftButton, {}, onTitle);
        QTRY_VERIFY(child->isMaximized());
        QTRY_COMPARE(m_user->Caption(), u"Quillbrow - [Page one]"_qs);
        child->showNormal();
        QTRY_COMPARE(m_user->Caption(), u"Quillbrow - Page one"_qs);
        QVERIFY(m_user->Visit(Url(u"/two"_qs)));
        QCOMPARE(m_user->Caption(), u"Quillbrow - Page two"_qs);
    }

    void windowsMenuArrangesTheWindows()
    {
        for (int i = 0; i < 3; ++i)
            m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_user->Windows().size(), 4);
        const QSize area = m_user->Frame()->MdiArea()->viewport()->size();
        const auto frames = [&] {
            QList<QMdiSubWindow *> list;
            for (CQuillbrowView *view : m_user->Windows())
                list << view->GetParentFrame();
            return list;
        };

        // Side by side, each as high as the area.
        QVERIFY(m_user->ChooseMenu({u"Windows"_qs, u"Title Window Vertically"_qs}));
        QTRY_COMPARE(frames().at(3)->geometry().right(), area.width() - 1);
        int x = 0;
        for (QMdiSubWindow *frame : frames()) {
            QCOMPARE(frame->geometry().left(), x);
            QCOMPARE(frame->geometry().top(), 0);
            QCOMPARE(frame->height(), area.height());
            QVERIFY(qAbs(frame->width() - area.width() / 4) <= 1);
            x = frame->geometry().right() + 1;
        }

        // One above the other, each as wide as the area.
        QVERIFY(m_user->ChooseMenu({u"Windows"_qs, u"Title Windows Horizontally"_qs}));
        QTRY_COMPARE(frames().at(0)->width(), area.width());
        int y = 0;
        for (QMdiSubWindow *frame : frames()) {
            QCOMPARE(frame->geometry().top(), y);
            QCOMPARE(frame->geometry().left(), 0);
            QCOMPARE(frame->width(), area.width());
            y = frame->geometry().bottom() + 1;
        }
        QCOMPARE(y, area.height());

        // Arrange Icons lines up the minimized windows only, along the bottom.
        const auto all = frames();
        all.at(1)->showMinimized();
        all.at(3)->showMinimized();
        all.at(1)->move(200, 100);
        all.at(3)->move(10, 30);
        const QRect untouched = all.at(0)->geometry();
        QVERIFY(m_user->ChooseMenu({u"Windows"_qs, u"Arrange Icons"_qs}));
        QTRY_COMPARE(all.at(1)->geometry().bottomLeft(), QPoint(0, area.height() - 1));
        QCOMPARE(all.at(3)->geometry().bottomLeft(), QPoint(all.at(1)->width(), area.height() - 1));
        QCOMPARE(all.at(0)->geometry(), untouched);
        QVERIFY(all.at(1)->isMinimized());

        QVERIFY(m_user->ChooseMenu({u"Windows"_qs, u"Casade Windows"_qs}));
        QTRY_VERIFY(all.at(2)->geometry().topLeft() != all.at(0)->geometry().topLeft());
    }

    void pageWindowClosedBeforeItIsShown_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("by its own script") << u"/closesitself"_qs;
        QTest::newRow("by its opener") << u"/openerCloses"_qs;
    }
    void pageWindowClosedBeforeItIsShown()
    {
        QFETCH(QString, page);
        QMdiArea *area = m_user->Frame()->MdiArea();
        int nShown = 0;
        CEventCounter counter(QEvent::Show, [&](QObject *o) {
            if (qobject_cast<QMdiSubWindow *>(o))
                ++nShown;
        });
        // Were the close question asked, this answer would be taken.
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(m_user->Visit(Url(page)));
        CQuillbrowView *opener = m_user->ActiveWindow();
        QVERIFY(CUserSession::RunInPage(opener, u"window.opened"_qs).toBool());
        QVERIFY(m_user->WaitFor([&] {
            return CUserSession::RunInPage(opener, u"w.closed"_qs).toBool()
                && area->subWindowList().size() == 1;
        }));
        QCOMPARE(nShown, 0);
        QCOMPARE(m_user->Tabs(), QStringList {u"Opener"_qs});
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void secondStartOpensItsAddressInAWindow()
    {
        std::unique_ptr<QProcess> second(CUserSession::StartSecondCopy({Url(u"/two"_qs)}));
        QVERIFY(m_user->WaitFor([&] { return second->state() == QProcess::NotRunning; }));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        // OpenInNewWindow is on by default: a window of its own, shown and active.
        CQuillbrowView *view = m_user->WaitForWindowShowing(Url(u"/two"_qs));
        QVERIFY(view);
        QCOMPARE(m_user->Windows().size(), 2);
        QCOMPARE(m_user->ActiveWindow(), view);
        QCOMPARE(m_user->Tabs(), QStringList({u"Page one"_qs, u"Page two"_qs}));
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EWindows)
#include "tst_e2e_windows.moc"
