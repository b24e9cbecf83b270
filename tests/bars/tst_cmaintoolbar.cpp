#include "CCustomizeToolbarDlg.h"
#include "CMainToolBar.h"
#include "CStringIds.h"

#include <QAction>
#include <QDataStream>
#include <QIODevice>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <map>
#include <memory>

namespace {

const QList<int> kTwelve
    = {ID_FILE_NEW_BLANK,    ID_GO_BACK,          ID_GO_FORWARD,     ID_GO_STOP,
       ID_VIEW_REFRESH,      ID_GO_HOME,          ID_GO_SEARCH,      ID_TOOLBAR_FAVORITES,
       ID_TOOLBAR_TEXT_SIZE, ID_VIEW_FULL_SCREEN, ID_FILE_CLOSE_ALL, ID_FILE_CLOSE};
const QList<int> kNine
    = {ID_FILE_OPEN,        ID_EDIT_CUT,   ID_EDIT_COPY,  ID_EDIT_PASTE, ID_GO_STOP_ALL,
       ID_VIEW_REFRESH_ALL, ID_TOOLS_NEWS, ID_TOOLS_MAIL, ID_FILE_PRINT};
constexpr quint32 kMagic = 0x51544231;

QByteArray State(const QList<qint32> &ids, quint32 nMagic = kMagic)
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
    void buttonsFollowTheirActions();
    void saveAndRestore();
    void restoreRejects_data();
    void restoreRejects();
    void customize();
    void dropDowns();

private:
    void MakeToolBar();
    QAction *Action(int nId);
    QToolButton *Button(int nId) const { return m_toolBar->Button(nId); }

    std::map<int, std::unique_ptr<QAction>> m_actions;
    std::unique_ptr<QMenu> m_menu;
    QList<int> m_menuRequests;
    bool m_bNoMenu = false;
    std::unique_ptr<CMainToolBar> m_toolBar;
};

void tst_CMainToolBar::init()
{
    QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
    m_toolBar.reset();
    m_actions.clear();
    m_menu = std::make_unique<QMenu>();
    m_menu->addAction(u"item"_qs);
    m_menuRequests.clear();
    m_bNoMenu = false;
    MakeToolBar();
}

QAction *tst_CMainToolBar::Action(int nId)
{
    std::unique_ptr<QAction> &action = m_actions[nId];
    if (!action)
        action = std::make_unique<QAction>(u"text"_qs);
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

void tst_CMainToolBar::buttonsFollowTheirActions()
{
    QCOMPARE(m_toolBar->Buttons(), kTwelve);

    QSignalSpy triggered(Action(ID_GO_STOP), &QAction::triggered);
    QTest::mouseClick(Button(ID_GO_STOP), Qt::LeftButton);
    QCOMPARE(triggered.count(), 1);
    Action(ID_GO_STOP)->setEnabled(false);
    QVERIFY(!Button(ID_GO_STOP)->isEnabled());

    QAction *pFull = Action(ID_VIEW_FULL_SCREEN);
    pFull->setCheckable(true);
    pFull->setChecked(true);
    QVERIFY(Button(ID_VIEW_FULL_SCREEN)->isChecked());
    QTest::mouseClick(Button(ID_VIEW_FULL_SCREEN), Qt::LeftButton);
    QVERIFY(!pFull->isChecked());
    QVERIFY(!Button(ID_VIEW_FULL_SCREEN)->isChecked());

    // Menus that share the actions stay free of toolbar images.
    for (const auto &[nId, action] : m_actions)
        QVERIFY(action->icon().isNull());
}

void tst_CMainToolBar::saveAndRestore()
{
    const QList<int> changed
        = {ID_FILE_CLOSE, ID_EDIT_CUT, ID_GO_BACK, ID_FILE_NEW_BLANK, ID_FILE_PRINT};
    const QPointer<QToolButton> pOld = Button(ID_TOOLBAR_FAVORITES);
    QSignalSpy changes(m_toolBar.get(), &CMainToolBar::buttonsChanged);
    m_toolBar->SetButtons(changed + QList<int> {ID_GO_BACK, 4242});
    QCOMPARE(m_toolBar->Buttons(), changed);
    QCOMPARE(changes.count(), 1);
    QTRY_VERIFY(!pOld); // no button of the old set lingers on the bar
    const QByteArray state = m_toolBar->SaveState();

    MakeToolBar();
    QVERIFY(m_toolBar->RestoreState(state));
    QCOMPARE(m_toolBar->Buttons(), changed);

    // A bar the user emptied stays empty; ids a later version may add are skipped.
    QVERIFY(m_toolBar->RestoreState(State({})));
    QCOMPARE(m_toolBar->Buttons(), QList<int>());
    QVERIFY(m_toolBar->RestoreState(State({ID_GO_SEARCH, 99999, ID_FILE_OPEN})));
    QCOMPARE(m_toolBar->Buttons(), (QList<int> {ID_GO_SEARCH, ID_FILE_OPEN}));
}

void tst_CMainToolBar::restoreRejects_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x07\x13garbage\xff\xff", 11);
    QTest::newRow("wrong magic") << State({ID_FILE_OPEN}, 0x12345678);
    QTest::newRow("cut short") << State({ID_FILE_OPEN, ID_EDIT_COPY}).chopped(2);
    QTest::newRow("trailing bytes") << State({ID_FILE_OPEN}) + QByteArray("x");
    QTest::newRow("huge count") << State({}).left(4) + QByteArray("\x7f\xff\xff\xff");
    QTest::newRow("negative count") << State({}).left(4) + QByteArray("\xff\xff\xff\xff");
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
    // Remove Back: it joins the available buttons after the nine extra ones.
    dlg.CurrentList()->setCurrentRow(1);
    dlg.OnRemove();
    QVERIFY(!m_toolBar->Buttons().contains(ID_GO_BACK));
    QCOMPARE(dlg.AvailableIds(), kNine + QList<int> {ID_GO_BACK});

    // Add Print before the selected Stop, then move it to the front and back one.
    dlg.CurrentList()->setCurrentRow(2);
    dlg.AvailableList()->setCurrentRow(8);
    dlg.OnAdd();
    QCOMPARE(m_toolBar->Buttons().mid(1, 3),
             (QList<int> {ID_GO_FORWARD, ID_FILE_PRINT, ID_GO_STOP}));
    dlg.OnMoveUp();
    dlg.OnMoveUp();
    dlg.OnMoveDown();
    QCOMPARE(dlg.CurrentIds().mid(0, 3),
             (QList<int> {ID_FILE_NEW_BLANK, ID_FILE_PRINT, ID_GO_FORWARD}));
    QCOMPARE(m_toolBar->Buttons(), dlg.CurrentIds());

    dlg.OnReset();
    QCOMPARE(m_toolBar->Buttons(), kTwelve);
    QCOMPARE(dlg.CurrentIds(), kTwelve);
    QCOMPARE(dlg.AvailableIds(), kNine);
}

void tst_CMainToolBar::dropDowns()
{
    // The arrow of New Blank opens the frame's menu under the button, which stays
    // down while it shows; its face runs the command without a menu.
    QToolButton *pNew = Button(ID_FILE_NEW_BLANK);
    QSignalSpy newTriggered(Action(ID_FILE_NEW_BLANK), &QAction::triggered);
    QTest::mouseClick(pNew, Qt::LeftButton, {}, QPoint(pNew->width() - 3, pNew->height() / 2));
    QTRY_VERIFY(m_menu->isVisible());
    QCOMPARE(m_menuRequests, QList<int> {ID_FILE_NEW_BLANK});
    QVERIFY(pNew->isDown());
    QCOMPARE(newTriggered.count(), 0);
    m_menu->hide();
    QVERIFY(!pNew->isDown());
    QTest::mouseClick(pNew, Qt::LeftButton, {}, QPoint(4, pNew->height() / 2));
    QCOMPARE(newTriggered.count(), 1);
    QCOMPARE(m_menuRequests.size(), 1);

    // Favorites opens its menu from anywhere on the button and runs no command.
    QSignalSpy favoritesTriggered(Action(ID_TOOLBAR_FAVORITES), &QAction::triggered);
    QTest::mouseClick(Button(ID_TOOLBAR_FAVORITES), Qt::LeftButton, {}, QPoint(4, 4));
    QTRY_VERIFY(m_menu->isVisible());
    QCOMPARE(m_menuRequests.last(), ID_TOOLBAR_FAVORITES);
    QCOMPARE(favoritesTriggered.count(), 0);
    m_menu->hide();

    // No menu to show (Back with no active window): nothing opens or stays pressed.
    m_bNoMenu = true;
    QToolButton *pBack = Button(ID_GO_BACK);
    QTest::mouseClick(pBack, Qt::LeftButton, {}, QPoint(pBack->width() - 3, pBack->height() / 2));
    QCOMPARE(m_menuRequests.last(), ID_GO_BACK);
    QVERIFY(!pBack->isDown() && !m_menu->isVisible());
}

QTEST_MAIN(tst_CMainToolBar)
#include "tst_cmaintoolbar.moc"
