#include "CWindowsBar.h"

#include <QAction>
#include <QHelpEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <memory>
#include <vector>

namespace {

// A browser window that records what the bar asks of it.
class CFakeWindow : public IBarWindow
{
public:
    bool IsBusy() const override { return bBusy; }
    QString DocumentTitle() const override { return title; }
    void ActivateFrame(int nShowCmd) override { activations.append(nShowCmd); }
    void CloseWindow() override { calls.append(u"close"_qs); }
    void GoBack() override { calls.append(u"back"_qs); }
    void GoForward() override { calls.append(u"forward"_qs); }
    void Stop() override { calls.append(u"stop"_qs); }
    void Refresh() override { calls.append(u"refresh"_qs); }
    bool CanGoBack() const override { return true; }
    bool CanGoForward() const override { return false; }

    bool bBusy = false;
    QString title;
    QList<int> activations;
    QStringList calls;
};

} // namespace

class tst_CWindowsBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void tabProgress_data();
    void tabProgress();
    void activation_data();
    void activation();
    void rightClick();
    void rows_data();
    void rows();
    void tabFace();

private:
    // A shown bar of the given width holding nTabs fake windows, only the first
    // added as current.
    void MakeBar(int nTabs, int nWidth = 800);
    void RightClick(QPoint pos) { QTest::mouseClick(m_bar.get(), Qt::RightButton, {}, pos); }

    std::vector<std::unique_ptr<CFakeWindow>> m_views;
    std::unique_ptr<CWindowsBar> m_bar;
    bool m_bMaximized = false;
};

void tst_CWindowsBar::init()
{
    // The offscreen platform reports window-system calls it cannot carry out.
    QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
}

void tst_CWindowsBar::MakeBar(int nTabs, int nWidth)
{
    m_bar = std::make_unique<CWindowsBar>();
    m_views.clear();
    m_bMaximized = false;
    m_bar->SetActiveChildMaximizedQuery([this] { return m_bMaximized; });
    m_bar->resize(nWidth, 80);
    m_bar->show();
    for (int i = 0; i < nTabs; ++i) {
        m_views.push_back(std::make_unique<CFakeWindow>());
        QCOMPARE(m_bar->AddTab(m_views.back().get(), i == 0), i);
    }
    QCOMPARE(m_bar->GetCurSel(), 0); // adding selects only where asked
}

void tst_CWindowsBar::tabProgress_data()
{
    QTest::addColumn<bool>("current");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("image"); // every tab starts at 50 %, image 4

    QTest::newRow("over 100 changes nothing") << true << false << 101 << 4;
    QTest::newRow("12") << false << false << 12 << 0;
    QTest::newRow("13") << false << false << 13 << 1;
    QTest::newRow("99") << false << false << 99 << 7;
    QTest::newRow("100 background keeps full pie") << false << false << 100 << 8;
    QTest::newRow("100 current busy") << true << true << 100 << 8;
    QTest::newRow("100 current idle") << true << false << 100 << 9;
    QTest::newRow("-1 background") << false << true << -1 << 9;
    QTest::newRow("-1 current busy") << true << true << -1 << 8;
}

void tst_CWindowsBar::tabProgress()
{
    QFETCH(bool, current);
    QFETCH(bool, busy);
    QFETCH(int, percent);
    QFETCH(int, image);

    MakeBar(2);
    CFakeWindow *pView = m_views.at(current ? 0 : 1).get();
    m_bar->SetTabProgress(pView, 50);
    pView->bBusy = busy;
    m_bar->SetTabProgress(pView, percent);
    QCOMPARE(m_bar->GetTabImage(current ? 0 : 1), image);
}

void tst_CWindowsBar::activation_data()
{
    QTest::addColumn<QString>("how"); // left click on a tab, prev or next
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("target"); // a tab, -1 for null, -2 for a window without a tab
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<int>("activated"); // -1: none

    QTest::newRow("click other, normal") << u"click"_qs << 0 << 1 << false << 1;
    QTest::newRow("click other, maximized") << u"click"_qs << 0 << 1 << true << 1;
    // No selection change here: the click alone must bring back a minimized window.
    QTest::newRow("click current, normal") << u"click"_qs << 0 << 0 << false << 0;
    QTest::newRow("click current, maximized") << u"click"_qs << 0 << 0 << true << 0;
    // No wrap-around at either end.
    QTest::newRow("prev on first") << u"prev"_qs << 0 << -1 << false << -1;
    QTest::newRow("next on last") << u"next"_qs << 2 << -1 << false << -1;
    QTest::newRow("prev of given view") << u"prev"_qs << 2 << 1 << false << 0;
    QTest::newRow("prev of tabless view") << u"prev"_qs << 2 << -2 << false << -1;
}

void tst_CWindowsBar::activation()
{
    QFETCH(QString, how);
    QFETCH(int, current);
    QFETCH(int, target);
    QFETCH(bool, maximized);
    QFETCH(int, activated);

    MakeBar(3);
    m_bMaximized = maximized;
    m_bar->SelectTab(m_views.at(current).get());
    CFakeWindow tabless;
    const IBarWindow *pTarget
        = target >= 0 ? m_views.at(target).get() : (target == -2 ? &tabless : nullptr);
    int nShow = IBarWindow::ShowDefault;
    if (how == u"click"_qs) {
        QTest::mouseClick(m_bar.get(), Qt::LeftButton, {}, m_bar->TabRect(target).center());
        nShow = maximized ? IBarWindow::ShowMaximized : IBarWindow::ShowNormal;
    } else if (how == u"prev"_qs) {
        m_bar->ActivatePrevWindow(pTarget);
    } else {
        m_bar->ActivateNextWindow(pTarget);
    }
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_views.at(i)->activations, i == activated ? QList<int> {nShow} : QList<int> {});
    QCOMPARE(m_bar->GetCurSel(), how == u"click"_qs ? target : current);
}

void tst_CWindowsBar::rightClick()
{
    MakeBar(3);
    CFakeWindow *pView = m_views.at(1).get();
    QMenu menu;
    menu.addAction(u"Back"_qs);
    m_bar->SetTabMenu(&menu);
    QSignalSpy shown(&menu, &QMenu::aboutToShow);
    // Off the tabs: the window clicked before is forgotten, and no menu shows.
    m_bar->m_pClickedView = m_views.at(0).get();
    RightClick(QPoint(m_bar->width() - 2, 2));
    QCOMPARE(m_bar->m_pClickedView, nullptr);
    QCOMPARE(shown.count(), 0);

    // On a tab: its menu, without selecting it; the commands act on that window.
    RightClick(m_bar->TabRect(1).center());
    QCOMPARE(m_bar->m_pClickedView, pView);
    QTRY_VERIFY(menu.isVisible());
    QCOMPARE(m_bar->GetCurSel(), 0);
    m_bar->ClickedBack();
    QCOMPARE(pView->calls, QStringList {u"back"_qs});

    // The window closes itself while its tab's menu is open: nothing may reach it.
    m_bar->RemoveTab(pView);
    QCOMPARE(m_bar->m_pClickedView, nullptr);
    m_bar->ClickedBack();
    m_bar->ClickedForward();
    m_bar->ClickedStop();
    m_bar->ClickedRefresh();
    m_bar->CloseClickedWindow();
    menu.close();
    for (const auto &view : m_views)
        QCOMPARE(view->calls, view.get() == pView ? QStringList {u"back"_qs} : QStringList());
}

void tst_CWindowsBar::rows_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("band");

    QTest::newRow("wide, one row") << 800 << 5 << 23;
    QTest::newRow("two per row") << 330 << 3 << 48;
    QTest::newRow("three rows") << 330 << 5 << 73;
    QTest::newRow("narrower than a tab") << 100 << 2 << 48;
}

void tst_CWindowsBar::rows()
{
    QFETCH(int, width);
    QFETCH(int, tabs);
    QFETCH(int, band);

    MakeBar(tabs, width);
    QCOMPARE(m_bar->minimumHeight(), band);
    for (int i = 1; i < tabs; ++i) {
        const QRect rect = m_bar->TabRect(i), prev = m_bar->TabRect(i - 1);
        QVERIFY(rect.right() < width);
        QVERIFY(rect.top() > prev.top() || rect.left() > prev.right());
    }

    QSignalSpy changed(m_bar.get(), &CWindowsBar::bandHeightChanged);
    m_bar->RemoveTab(m_views.front().get());
    m_bar->resize(160 * tabs, m_bar->height());
    QCOMPARE(m_bar->minimumHeight(), 23);
    QCOMPARE(changed.isEmpty(), band == 23);
}

void tst_CWindowsBar::tabFace()
{
    MakeBar(1);
    m_bar->SetTabText(m_views.at(0).get(), u"Page"_qs);
    m_bar->SetTabText(m_views.at(0).get(), QString());
    QCOMPARE(m_bar->GetTabText(0), u"Page"_qs);

    // The tooltip keeps 79 units of the title; a surrogate pair across the limit
    // goes as a whole.
    const QString a79(79, u'a');
    const QPoint pos = m_bar->TabRect(0).center();
    for (const auto &[title, shown] :
         {std::pair(a79 + u'b', a79), std::pair(a79.left(78) + u"\U0001F600"_qs, a79.left(78))}) {
        m_views.at(0)->title = title;
        QHelpEvent help(QEvent::ToolTip, pos, m_bar->mapToGlobal(pos));
        QCoreApplication::sendEvent(m_bar.get(), &help);
        QTRY_COMPARE(QToolTip::text(), shown);
        QToolTip::hideText();
    }

    // The pie fills clockwise from twelve o'clock: a quarter covers the upper right.
    const QImage quarter = CWindowsBar::TabImages().at(2).pixmap(16, 16).toImage();
    QVERIFY(qAlpha(quarter.pixel(11, 4)) > 128 && qAlpha(quarter.pixel(4, 4)) < 128);
}

QTEST_MAIN(tst_CWindowsBar)
#include "tst_cwindowsbar.moc"
