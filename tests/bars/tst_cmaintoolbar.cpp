#include "CCustomizeToolbarDlg.h"
#include "CMainToolBar.h"
#include "CToolbarImages.h"

#include <QAction>
#include <QDataStream>
#include <QIODevice>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <map>
#include <memory>

namespace {

const QList<int> kTwelve
    = {32774, 32779, 32780, 32781, 32787, 32783, 32784, 32812, 32793, 32797, 32776, 57602};
const QList<int> kNine = {57601, 57635, 57634, 57637, 32782, 32788, 32808, 32807, 57607};

QByteArray State(quint32 nMagic, const QList<qint32> &ids)
{
    QByteArray state;
    QDataStream out(&state, QIODevice::WriteOnly);
    out << nMagic << qint32(ids.size());
    for (qint32 nId : ids)
        out << nId;
    return state;
}

} // namespace

class tst_CMainToolBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void defaultButtons();
    void buttonFollowsItsAction();
    void saveAndRestore();
    void restoreRejects_data();
    void restoreRejects();
    void customize();
    void dropDowns();
    void images();

private:
    void MakeToolBar();
    QAction *Action(int nId);

    std::map<int, std::unique_ptr<QAction>> m_actions;
    std::unique_ptr<QMenu> m_menu;
    QList<int> m_menuRequests;
    bool m_bNoMenu = false;
    std::unique_ptr<CMainToolBar> m_toolBar;
};

void tst_CMainToolBar::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support )")));
    m_menu = std::make_unique<QMenu>();
    m_menu->addAction(QStringLiteral("item"));
    m_menuRequests.clear();
    m_bNoMenu = false;
    MakeToolBar();
}

void tst_CMainToolBar::cleanup()
{
    m_toolBar.reset();
    m_menu.reset();
    m_actions.clear();
}

QAction *tst_CMainToolBar::Action(int nId)
{
    std::unique_ptr<QAction> &action = m_actions[nId];
    if (!action) {
        action = std::make_unique<QAction>(QStringLiteral("text"));
        action->setData(nId);
    }
    return action.get();
}

void tst_CMainToolBar::MakeToolBar()
{
    m_toolBar = std::make_unique<CMainToolBar>([this](int nId) { return Action(nId); },
                                               [this](int nId) -> QMenu * {
                                                   m_menuRequests.append(nId);
                                                   return m_bNoMenu ? nullptr : m_menu.get();
                                               });
    m_toolBar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_toolBar.get()));
}

void tst_CMainToolBar::defaultButtons()
{
    QCOMPARE(CMainToolBar::DefaultButtons(), kTwelve);
    QCOMPARE(CMainToolBar::ExtraButtons(), kNine);
    QCOMPARE(m_toolBar->Buttons(), kTwelve);
    QCOMPARE(m_toolBar->objectName(), QStringLiteral("ToolBar"));
    QCOMPARE(m_toolBar->iconSize(), QSize(22, 20));

    QCOMPARE(m_toolBar->Button(32774)->popupMode(), QToolButton::MenuButtonPopup);
    QCOMPARE(m_toolBar->Button(32780)->popupMode(), QToolButton::MenuButtonPopup);
    QCOMPARE(m_toolBar->Button(32812)->popupMode(), QToolButton::InstantPopup);
    QCOMPARE(m_toolBar->Button(32793)->popupMode(), QToolButton::InstantPopup);
    QCOMPARE(m_toolBar->Button(32781)->popupMode(), QToolButton::DelayedPopup);
    QVERIFY(!m_toolBar->Button(32781)->menu());

    QCOMPARE(m_toolBar->Button(32779)->toolTip(), QStringLiteral("Back"));
    QCOMPARE(m_toolBar->Button(32774)->toolTip(), QStringLiteral("New Blank"));
    QCOMPARE(m_toolBar->Button(32779)->statusTip(), QStringLiteral("Go to previous page"));
    QCOMPARE(CMainToolBar::ImageOf(32776), 3);
    QCOMPARE(CMainToolBar::ImageOf(57607), 19);
    QCOMPARE(CMainToolBar::ImageOf(1234), -1);
}

void tst_CMainToolBar::buttonFollowsItsAction()
{
    QAction *pStop = Action(32781);
    QSignalSpy triggered(pStop, &QAction::triggered);
    QToolButton *pButton = m_toolBar->Button(32781);
    QTest::mouseClick(pButton, Qt::LeftButton);
    QCOMPARE(triggered.count(), 1);

    pStop->setEnabled(false);
    QVERIFY(!pButton->isEnabled());
    pStop->setEnabled(true);
    QVERIFY(pButton->isEnabled());

    QAction *pFull = Action(32797);
    pFull->setCheckable(true);
    pFull->setChecked(true);
    QVERIFY(m_toolBar->Button(32797)->isChecked());
    QTest::mouseClick(m_toolBar->Button(32797), Qt::LeftButton);
    QVERIFY(!pFull->isChecked());
    QVERIFY(!m_toolBar->Button(32797)->isChecked());

    // Menus that share the actions stay free of toolbar images.
    for (const auto &[nId, action] : m_actions)
        QVERIFY(action->icon().isNull());
}

void tst_CMainToolBar::saveAndRestore()
{
    const QList<int> changed = {57602, 57635, 32779, 32774, 57607};
    QSignalSpy changes(m_toolBar.get(), &CMainToolBar::buttonsChanged);
    m_toolBar->SetButtons(changed + QList<int> {32779, 4242});
    QCOMPARE(m_toolBar->Buttons(), changed);
    QCOMPARE(changes.count(), 1);
    // No button of the old set lingers on the bar.
    const auto shown = [this] {
        qsizetype n = 0;
        for (const QToolButton *pButton : m_toolBar->findChildren<QToolButton *>())
            n += pButton->isVisibleTo(m_toolBar.get()) ? 1 : 0;
        return n;
    };
    QTRY_COMPARE(shown(), changed.size());
    const QByteArray state = m_toolBar->SaveState();

    MakeToolBar();
    QVERIFY(m_toolBar->RestoreState(state));
    QCOMPARE(m_toolBar->Buttons(), changed);
    QVERIFY(m_toolBar->Button(32774));
    QVERIFY(!m_toolBar->Button(32812));

    // A bar the user emptied stays empty; ids a later version may add are skipped.
    QVERIFY(m_toolBar->RestoreState(State(0x51544231, {})));
    QCOMPARE(m_toolBar->Buttons(), QList<int>());
    const QByteArray withUnknown = State(0x51544231, {32784, 99999, 57601});
    QVERIFY(m_toolBar->RestoreState(withUnknown));
    QCOMPARE(m_toolBar->Buttons(), (QList<int> {32784, 57601}));
}

void tst_CMainToolBar::restoreRejects_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x07\x13garbage\xff\xff", 11);
    QTest::newRow("wrong magic") << State(0x12345678, {57601});
    QTest::newRow("cut short") << State(0x51544231, {57601, 57634}).chopped(2);
    QTest::newRow("trailing bytes") << State(0x51544231, {57601}) + QByteArray("x");
    QTest::newRow("huge count") << State(0x51544231, {}).left(4) + QByteArray("\x7f\xff\xff\xff");
    QTest::newRow("negative count")
        << State(0x51544231, {}).left(4) + QByteArray("\xff\xff\xff\xff");
}

void tst_CMainToolBar::restoreRejects()
{
    QFETCH(QByteArray, state);
    QVERIFY(!m_toolBar->RestoreState(state));
    QCOMPARE(m_toolBar->Buttons(), kTwelve);
}

void tst_CMainToolBar::customize()
{
    CCustomizeToolbarDlg dlg(m_toolBar.get());
    QCOMPARE(dlg.AvailableIds(), kNine);
    QCOMPARE(dlg.CurrentIds(), kTwelve);

    // Remove Back: it joins the available buttons after the nine extra ones.
    dlg.CurrentList()->setCurrentRow(1);
    dlg.OnRemove();
    QCOMPARE(m_toolBar->Buttons().size(), 11);
    QVERIFY(!m_toolBar->Buttons().contains(32779));
    QCOMPARE(dlg.AvailableIds(), kNine + QList<int> {32779});

    // Add Print before the selected Stop, then move it to the front.
    dlg.CurrentList()->setCurrentRow(2);
    QCOMPARE(dlg.CurrentIds().at(2), 32781);
    dlg.AvailableList()->setCurrentRow(8);
    dlg.OnAdd();
    QCOMPARE(m_toolBar->Buttons().mid(1, 3), (QList<int> {32780, 57607, 32781}));
    QVERIFY(!dlg.AvailableIds().contains(57607));
    dlg.OnMoveUp();
    dlg.OnMoveUp();
    dlg.OnMoveUp(); // already first: nothing
    QCOMPARE(m_toolBar->Buttons().first(), 57607);
    dlg.OnMoveDown();
    QCOMPARE(m_toolBar->Buttons().mid(0, 2), (QList<int> {32774, 57607}));
    QCOMPARE(dlg.CurrentIds(), m_toolBar->Buttons());

    dlg.OnReset();
    QCOMPARE(m_toolBar->Buttons(), kTwelve);
    QCOMPARE(dlg.CurrentIds(), kTwelve);
    QCOMPARE(dlg.AvailableIds(), kNine);
}

void tst_CMainToolBar::dropDowns()
{
    // The arrow of New Blank opens the frame's menu under the button...
    QToolButton *pNew = m_toolBar->Button(32774);
    QSignalSpy newTriggered(Action(32774), &QAction::triggered);
    QTest::mouseClick(pNew, Qt::LeftButton, {}, QPoint(pNew->width() - 3, pNew->height() / 2));
    QTRY_VERIFY(m_menu->isVisible());
    QCOMPARE(m_menuRequests, QList<int> {32774});
    QVERIFY(pNew->isDown());
    QCOMPARE(newTriggered.count(), 0);
    m_menu->hide();
    QVERIFY(!pNew->isDown());

    // ...its face runs the command without a menu.
    QTest::mouseClick(pNew, Qt::LeftButton, {}, QPoint(4, pNew->height() / 2));
    QCOMPARE(newTriggered.count(), 1);
    QCOMPARE(m_menuRequests.size(), 1);

    // Favorites opens its menu from anywhere on the button and runs no command.
    QSignalSpy favoritesTriggered(Action(32812), &QAction::triggered);
    QTest::mouseClick(m_toolBar->Button(32812), Qt::LeftButton, {}, QPoint(4, 4));
    QTRY_VERIFY(m_menu->isVisible());
    QCOMPARE(m_menuRequests.last(), 32812);
    QCOMPARE(favoritesTriggered.count(), 0);
    m_menu->hide();

    // No menu to show (Back with no active window): nothing opens or stays pressed.
    m_bNoMenu = true;
    QToolButton *pBack = m_toolBar->Button(32779);
    QTest::mouseClick(pBack, Qt::LeftButton, {}, QPoint(pBack->width() - 3, pBack->height() / 2));
    QCOMPARE(m_menuRequests.last(), 32779);
    QVERIFY(!pBack->isDown());
    QVERIFY(!m_menu->isVisible());
}

void tst_CMainToolBar::images()
{
    for (int n = 0; n < CToolbarImages::kCount; ++n) {
        const QIcon icon = CToolbarImages::Icon(n);
        const QImage normal = icon.pixmap(QSize(22, 20), QIcon::Normal).toImage();
        const QImage hot = icon.pixmap(QSize(22, 20), QIcon::Active).toImage();
        QCOMPARE(hot.size(), QSize(22, 20));
        QVERIFY2(normal != hot, qPrintable(QString::number(n)));
    }
    QVERIFY(CToolbarImages::Icon(CToolbarImages::kCount).isNull());
    // The pairs that differ only by "all" must not look alike.
    QVERIFY(CToolbarImages::Hot(9).toImage() != CToolbarImages::Hot(10).toImage());
    QVERIFY(CToolbarImages::Hot(11).toImage() != CToolbarImages::Hot(12).toImage());
}

QTEST_MAIN(tst_CMainToolBar)
#include "tst_cmaintoolbar.moc"
