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
    void CloseWindow() override { calls.append(QStringLiteral("close")); }
    void GoBack() override { calls.append(QStringLiteral("back")); }
    void GoForward() override { calls.append(QStringLiteral("forward")); }
    void Stop() override { calls.append(QStringLiteral("stop")); }
    void Refresh() override { calls.append(QStringLiteral("refresh")); }
    bool CanGoBack() const override { return bCanGoBack; }
    bool CanGoForward() const override { return false; }

    bool bBusy = false;
    bool bCanGoBack = false;
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
    void cleanup();
    void emptyBarAndAdding();
    void tabProgress_data();
    void tabProgress();
    void leftClick_data();
    void leftClick();
    void prevNext_data();
    void prevNext();
    void tabMenu();
    void rightClickOffTabs();
    void rows_data();
    void rows();
    void toolTip_data();
    void toolTip();
    void pieFillsClockwise();

private:
    // A shown bar of the given width holding nTabs fake windows, the first current.
    void MakeBar(int nTabs, int nWidth = 800);
    void Click(Qt::MouseButton button, QPoint pos)
    {
        QTest::mouseClick(m_bar.get(), button, {}, pos);
    }

    std::unique_ptr<CWindowsBar> m_bar;
    std::vector<std::unique_ptr<CFakeWindow>> m_views;
    bool m_bMaximized = false;
};

void tst_CWindowsBar::init()
{
    // The offscreen platform reports every window-system call it cannot carry out
    // (raise, keyboard grab, size hints); those say nothing about the bar.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support )")));
    m_bMaximized = false;
}

void tst_CWindowsBar::cleanup()
{
    m_bar.reset();
    m_views.clear();
}

void tst_CWindowsBar::MakeBar(int nTabs, int nWidth)
{
    m_bar = std::make_unique<CWindowsBar>();
    m_bar->SetActiveChildMaximizedQuery([this] { return m_bMaximized; });
    m_bar->resize(nWidth, 80);
    m_bar->show();
    for (int i = 0; i < nTabs; ++i) {
        m_views.push_back(std::make_unique<CFakeWindow>());
        m_bar->AddTab(m_views.back().get(), i == 0);
    }
}

void tst_CWindowsBar::emptyBarAndAdding()
{
    MakeBar(0);
    CFakeWindow first, second;
    QCOMPARE(m_bar->FindTab(&first), -1);
    m_bar->ActivatePrevWindow(nullptr);
    m_bar->ActivateNextWindow(nullptr);
    QCOMPARE(m_bar->minimumHeight(), 23);

    m_bar->AddTab(&first, true);
    QCOMPARE(m_bar->AddTab(&second, false), 1);
    QCOMPARE(m_bar->GetCurSel(), 0);
    m_bar->SetTabText(&second, QStringLiteral("Page"));
    m_bar->SetTabText(&second, QString());
    QCOMPARE(m_bar->GetTabText(1), QStringLiteral("Page"));
    QVERIFY(first.activations.isEmpty() && second.activations.isEmpty());
}

void tst_CWindowsBar::tabProgress_data()
{
    QTest::addColumn<bool>("current");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("image"); // every tab starts at 50 %, image 4

    QTest::newRow("over 100 changes nothing") << true << false << 101 << 4;
    QTest::newRow("0 current") << true << false << 0 << 0;
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

void tst_CWindowsBar::leftClick_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("maximized");

    QTest::newRow("other tab, normal") << 1 << false;
    QTest::newRow("other tab, maximized") << 1 << true;
    // No selection change here: the click alone must bring back a minimized window.
    QTest::newRow("current tab, normal") << 0 << false;
    QTest::newRow("current tab, maximized") << 0 << true;
}

void tst_CWindowsBar::leftClick()
{
    QFETCH(int, tab);
    QFETCH(bool, maximized);

    MakeBar(2);
    m_bMaximized = maximized;
    Click(Qt::LeftButton, m_bar->TabRect(tab).center());
    QCOMPARE(m_bar->GetCurSel(), tab);
    QCOMPARE(m_views.at(tab)->activations,
             QList<int> {maximized ? IBarWindow::ShowMaximized : IBarWindow::ShowNormal});
    QVERIFY(m_views.at(1 - tab)->activations.isEmpty());
}

void tst_CWindowsBar::prevNext_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("given"); // a tab's view, -1 for null, -2 for a window without a tab
    QTest::addColumn<bool>("next");
    QTest::addColumn<int>("activated"); // -1: none

    QTest::newRow("prev on first") << 0 << -1 << false << -1;
    QTest::newRow("next on last") << 2 << -1 << true << -1;
    QTest::newRow("prev of given view") << 2 << 1 << false << 0;
    QTest::newRow("next of tabless view") << 2 << -2 << true << 0;
    QTest::newRow("prev of tabless view") << 2 << -2 << false << -1;
}

void tst_CWindowsBar::prevNext()
{
    QFETCH(int, current);
    QFETCH(int, given);
    QFETCH(bool, next);
    QFETCH(int, activated);

    MakeBar(3);
    CFakeWindow tabless;
    m_bar->SelectTab(m_views.at(current).get());
    const IBarWindow *pGiven
        = given >= 0 ? m_views.at(given).get() : (given == -2 ? &tabless : nullptr);
    if (next)
        m_bar->ActivateNextWindow(pGiven);
    else
        m_bar->ActivatePrevWindow(pGiven);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_views.at(i)->activations,
                 i == activated ? QList<int> {IBarWindow::ShowDefault} : QList<int> {});
}

void tst_CWindowsBar::tabMenu()
{
    MakeBar(3);
    CFakeWindow *pView = m_views.at(1).get();
    pView->bCanGoBack = true;
    Click(Qt::RightButton, m_bar->TabRect(1).center());
    QCOMPARE(m_bar->m_pClickedView, pView);
    QMenu *pMenu = m_bar->TabMenu();
    QTRY_VERIFY(pMenu->isVisible());
    QCOMPARE(m_bar->GetCurSel(), 0);

    const QList<QAction *> actions = pMenu->actions();
    QList<int> ids;
    for (QAction *pAction : actions)
        ids.append(pAction->data().toInt());
    QCOMPARE(ids, (QList<int> {32819, 32825, 32821, 32822, 32823, 32824, 32815, 32776, 32817}));
    // Back by the window's own history; Forward has none; Stop is off while idle.
    QVERIFY(actions.at(2)->isEnabled() && !actions.at(3)->isEnabled()
            && !actions.at(4)->isEnabled());

    pMenu->actions().at(2)->trigger();
    QCOMPARE(pView->calls, QStringList {QStringLiteral("back")});

    // The window closes itself while its tab's menu is open: nothing may reach it.
    m_bar->RemoveTab(pView);
    QCOMPARE(m_bar->m_pClickedView, nullptr);
    pMenu->actions().at(6)->trigger();
    pMenu->close();
    QCOMPARE(pView->calls.size(), 1);
    QVERIFY(m_views.at(0)->calls.isEmpty() && m_views.at(2)->calls.isEmpty());
    QCOMPARE(m_bar->GetTabView(1), m_views.at(2).get());
}

void tst_CWindowsBar::rightClickOffTabs()
{
    MakeBar(1);
    m_bar->m_pClickedView = m_views.at(0).get();
    QSignalSpy shown(m_bar->TabMenu(), &QMenu::aboutToShow);
    Click(Qt::RightButton, QPoint(m_bar->width() - 2, 2));
    QCOMPARE(m_bar->m_pClickedView, nullptr);
    QCOMPARE(shown.count(), 0);
    for (QAction *pAction : m_bar->TabMenu()->actions())
        pAction->trigger();
    QVERIFY(m_views.at(0)->calls.isEmpty());
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

void tst_CWindowsBar::toolTip_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shown");

    const QString a79(79, QLatin1Char('a'));
    QTest::newRow("79") << a79 << a79;
    QTest::newRow("80") << a79 + QLatin1Char('b') << a79;
    QTest::newRow("pair across the limit")
        << a79.left(78) + QStringLiteral("\U0001F600") << a79.left(78);
}

void tst_CWindowsBar::toolTip()
{
    QFETCH(QString, title);
    QFETCH(QString, shown);

    MakeBar(1);
    m_views.at(0)->title = title;
    const QPoint pos = m_bar->TabRect(0).center();
    QHelpEvent help(QEvent::ToolTip, pos, m_bar->mapToGlobal(pos));
    QCoreApplication::sendEvent(m_bar.get(), &help);
    QTRY_COMPARE(QToolTip::text(), shown);
    QToolTip::hideText();
}

void tst_CWindowsBar::pieFillsClockwise()
{
    auto filled = [](int n, int x, int y) {
        const QImage image = CWindowsBar::TabImages().at(n).pixmap(16, 16).toImage();
        return qAlpha(image.pixel(x, y)) > 128;
    };
    QVERIFY(!filled(0, 11, 4) && !filled(0, 4, 4));
    QVERIFY(filled(2, 11, 4) && !filled(2, 11, 11) && !filled(2, 4, 4));
    QVERIFY(filled(4, 11, 11) && !filled(4, 4, 11));
    QVERIFY(filled(8, 4, 4) && filled(8, 8, 8) && !filled(9, 8, 8));
}

QTEST_MAIN(tst_CWindowsBar)
#include "tst_cwindowsbar.moc"
