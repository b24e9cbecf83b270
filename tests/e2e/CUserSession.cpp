#include "CUserSession.h"

#include "CAddressBar.h"
#include "CAddressCombo.h"
#include "CAnimation.h"
#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CMainFrame.h"
#include "CMainReBar.h"
#include "CMainToolBar.h"
#include "CQuillbrowApp.h"
#include "CQuillbrowView.h"
#include "CWebEngine.h"
#include "CWebPage.h"
#include "CWindowsBar.h"
#include "EngineTestUtil.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>
#include <QWindow>

namespace {
QString StripMnemonic(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? text : text.left(tab);
}

QString StorePath(const QString &name)
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tarvo/") + name
        + QStringLiteral(".conf");
}
} // namespace

CUserSession::CUserSession(QObject *parent)
    : QObject(parent)
{
    // main() ends when the last window closes; here the test decides when to stop.
    QApplication::setQuitOnLastWindowClosed(false);
}

CUserSession::~CUserSession()
{
    CloseOpenMenus();
    if (m_app && !m_bExited) {
        if (CMainFrame *frame = m_app->MainFrame())
            frame->SetAskBeforeClose(false);
        m_app->ExitInstance();
    }
    m_app.reset();
}

void CUserSession::WriteStoredSettings(const QVariantMap &values)
{
    QSettings store(StorePath(QStringLiteral("Quillbrow")), QSettings::IniFormat);
    if (!values.contains(QStringLiteral("Settings/CheckDefaultBrowser")))
        store.setValue(QStringLiteral("Settings/CheckDefaultBrowser"), 0);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        store.setValue(it.key(), it.value());
}

QVariant CUserSession::StoredSetting(const QString &key)
{
    return QSettings(StorePath(QStringLiteral("Quillbrow")), QSettings::IniFormat).value(key);
}

QVariant CUserSession::StoredEngineSetting(const QString &key)
{
    return QSettings(StorePath(QStringLiteral("QuillbrowEngine")), QSettings::IniFormat).value(key);
}

bool CUserSession::Start(const QStringList &args)
{
    if (!QFile::exists(StorePath(QStringLiteral("Quillbrow"))))
        WriteStoredSettings({});
    QList<QByteArray> argv;
    for (const QString &arg : args)
        argv << arg.toLocal8Bit();
    m_app = std::make_unique<CQuillbrowApp>(argv);
    m_bExited = false;
    if (!m_app->InitInstance()) {
        m_app->ExitInstance();
        m_bExited = true;
        return false;
    }
    CMainFrame *frame = m_app->MainFrame();
    if (!frame || !QTest::qWaitForWindowExposed(frame))
        return false;
    frame->activateWindow();
    return QTest::qWaitForWindowActive(frame);
}

bool CUserSession::IsRunning() const
{
    return m_app && !m_bExited && m_app->MainFrame();
}

bool CUserSession::WaitForExit(int nTimeoutMs)
{
    if (!m_app || m_bExited)
        return true;
    if (!WaitFor([this] { return !m_app->MainFrame(); }, nTimeoutMs))
        return false;
    m_app->ExitInstance();
    m_bExited = true;
    return true;
}

CMainFrame *CUserSession::Frame() const
{
    return m_app ? m_app->MainFrame() : nullptr;
}

QAction *CUserSession::FindItem(const QList<QAction *> &actions, const QString &text) const
{
    for (QAction *action : actions) {
        if (!action->isSeparator() && action->isVisible() && StripMnemonic(action->text()) == text)
            return action;
    }
    return nullptr;
}

void CUserSession::CloseOpenMenus()
{
    const bool bWereOpen = !m_openMenus.isEmpty();
    for (auto it = m_openMenus.crbegin(); it != m_openMenus.crend(); ++it) {
        if (*it)
            (*it)->hide();
    }
    m_openMenus.clear();
    // A desktop gives the frame back its activation, and with it the keyboard focus
    // where it was, when a menu closes. The headless platform activates every window
    // it shows, menus too, and tells so later: the news is taken in before the frame
    // is made active again.
    CMainFrame *frame = Frame();
    if (!bWereOpen || !frame || !frame->isVisible())
        return;
    QCoreApplication::processEvents();
    const auto isActive = [frame] {
        return QApplication::activeWindow() == frame
            && QGuiApplication::focusWindow() == frame->windowHandle();
    };
    if (!isActive()) {
        frame->activateWindow();
        if (!WaitFor(isActive, 5000))
            qWarning("CUserSession: the frame did not become active after its menu closed");
    }
}

QAction *CUserSession::MenuItem(const QStringList &path)
{
    CloseOpenMenus();
    CMainFrame *frame = Frame();
    if (!frame || path.isEmpty())
        return nullptr;
    QList<QAction *> actions = frame->menuBar()->actions();
    QPoint at = frame->menuBar()->mapToGlobal(QPoint(0, frame->menuBar()->height()));
    QAction *item = nullptr;
    for (qsizetype i = 0; i < path.size(); ++i) {
        item = FindItem(actions, path.at(i));
        if (!item)
            return nullptr;
        if (i + 1 == path.size())
            break;
        QMenu *menu = item->menu();
        if (!menu)
            return nullptr;
        // Shown as on screen: the menu updates its items when it opens.
        menu->popup(at);
        if (!QTest::qWaitForWindowExposed(menu))
            return nullptr;
        m_openMenus << menu;
        at = menu->mapToGlobal(menu->rect().topRight());
        actions = menu->actions();
    }
    return item;
}

bool CUserSession::ChooseMenu(const QStringList &path)
{
    QAction *item = MenuItem(path);
    if (!item || !item->isEnabled() || m_openMenus.isEmpty()) {
        CloseOpenMenus();
        return false;
    }
    // A click on an item closes the menus and then runs its command, which on a
    // desktop finds the frame active again and the focus where it was. The headless
    // platform gives the activation back only later, after the command has run, so
    // here the menus close first and the item is triggered as the click would.
    CloseOpenMenus();
    item->trigger();
    RunQueuedCommands();
    return true;
}

bool CUserSession::IsMenuItemEnabled(const QStringList &path)
{
    QAction *item = MenuItem(path);
    const bool bEnabled = item && item->isEnabled();
    CloseOpenMenus();
    return bEnabled;
}

bool CUserSession::IsMenuItemChecked(const QStringList &path)
{
    QAction *item = MenuItem(path);
    const bool bChecked = item && item->isChecked();
    CloseOpenMenus();
    return bChecked;
}

QToolButton *CUserSession::ToolButton(const QString &toolTip) const
{
    CMainFrame *frame = Frame();
    if (!frame)
        return nullptr;
    const auto buttons = frame->ToolBar()->findChildren<QToolButton *>();
    for (QToolButton *candidate : buttons) {
        if (candidate->isVisible() && candidate->toolTip() == toolTip)
            return candidate;
    }
    return nullptr;
}

bool CUserSession::ClickToolButton(const QString &toolTip)
{
    QToolButton *button = ToolButton(toolTip);
    if (!button || !WaitFor([button] { return button->isEnabled(); }, 5000))
        return false;
    // On the button's face, away from a drop-down arrow at its right.
    QTest::mouseClick(button, Qt::LeftButton, {},
                      QPoint(button->height() / 2, button->height() / 2));
    RunQueuedCommands();
    return true;
}

void CUserSession::DragOnReBar(QPoint from, const QList<QPoint> &path)
{
    QWidget *reBar = Frame()->ReBar();
    QTest::mousePress(reBar, Qt::LeftButton, {}, from);
    for (const QPoint &to : path)
        QTest::mouseMove(reBar, to);
    QTest::mouseRelease(reBar, Qt::LeftButton, {}, path.isEmpty() ? from : path.last());
}

void CUserSession::DoubleClickOnReBar(QPoint at)
{
    QWidget *reBar = Frame()->ReBar();
    // As a real double-click arrives: press, release, double-click, release.
    QTest::mouseClick(reBar, Qt::LeftButton, {}, at);
    QTest::mouseDClick(reBar, Qt::LeftButton, {}, at);
    QTest::mouseRelease(reBar, Qt::LeftButton, {}, at);
}

QWidget *CUserSession::FocusWidget() const
{
    return QApplication::focusWidget();
}

void CUserSession::PressKey(int nKey, Qt::KeyboardModifiers modifiers)
{
    CMainFrame *frame = Frame();
    if (frame && frame->isVisible() && !QApplication::activeWindow()) {
        // A closed popup may leave no window active; the user's key goes to the frame,
        // once the widget that had the focus in it has it again. A dialog that is
        // active keeps the key.
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame))
            qWarning("the frame did not become active for a key");
        RunQueuedCommands();
    }
    QWidget *target = QApplication::focusWidget();
    if (!target)
        target = frame;
    QTest::keyClick(target, Qt::Key(nKey), modifiers);
    RunQueuedCommands();
}

void CUserSession::RunQueuedCommands()
{
    // A command runs queued after its click or key. Posted events arrive in the order
    // they were posted, so when a marker posted now arrives the command has run; and it
    // ran inside an event loop, as in the program, so the windows it closed are deleted
    // by the loops that follow.
    QEventLoop loop;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    loop.exec();
    // A click from QTest already ran the command while it flushed the events, outside
    // any loop; windows closed there would wait for a loop at that level, which a test
    // running nested loops never returns to. The program's own loop deletes them at once.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void CUserSession::TypeAddress(const QString &text)
{
    PressKey(Qt::Key_D, Qt::AltModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
    PressKey(Qt::Key_Return);
}

bool CUserSession::Visit(const QString &address)
{
    TypeAddress(address);
    return WaitForPage(address);
}

void CUserSession::HoverPage(CQuillbrowView *view, const QPoint &pos)
{
    QWidget *page = view->Engine()->Widget()->focusProxy();
    if (!page)
        page = view->Engine()->Widget();
    QTest::mouseMove(page, pos);
}

std::unique_ptr<CUserSession> CUserSession::StartAt(const QString &address)
{
    auto user = std::make_unique<CUserSession>();
    if (!user->Start({address}) || !user->WaitForPage(address))
        return nullptr;
    return user;
}

bool CUserSession::NoAnswersLeft()
{
    const bool bNone = !CConfirmDlg::HasPendingAnswers();
    CConfirmDlg::ClearNextAnswers();
    return bNone;
}

QVariant CUserSession::RunInPage(CQuillbrowView *view, const QString &script)
{
    auto *engine = static_cast<CWebEngine *>(view->Engine());
    return EngineTestUtil::RunJavaScript(engine->Page(), script);
}

QProcess *CUserSession::StartSecondCopy(const QStringList &args)
{
    auto *process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(QUILLBROW_BINARY), args);
    return process;
}

void CUserSession::TypeText(const QString &text)
{
    if (QWidget *target = QApplication::focusWidget())
        QTest::keyClicks(target, text);
}

bool CUserSession::Click(QWidget *pWidget)
{
    if (!pWidget || !pWidget->isVisible() || !pWidget->isEnabled())
        return false;
    QTest::mouseClick(pWidget, Qt::LeftButton, {}, pWidget->rect().center());
    return true;
}

void CUserSession::ClickTab(int nIndex)
{
    CWindowsBar *bar = Frame()->WindowsBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->TabRect(nIndex).center());
}

QMenu *CUserSession::RightClickTab(int nIndex)
{
    CWindowsBar *bar = Frame()->WindowsBar();
    QTest::mouseClick(bar, Qt::RightButton, {}, bar->TabRect(nIndex).center());
    QMenu *menu = bar->TabMenu();
    if (!menu || !QTest::qWaitForWindowExposed(menu))
        return nullptr;
    m_openMenus << menu;
    return menu;
}

QMenu *CUserSession::RightClickCaption()
{
    QMdiSubWindow *child = ActiveChild();
    if (!child)
        return nullptr;
    QStyleOptionTitleBar option;
    option.initFrom(child);
    const QPoint pos(child->width() / 2,
                     child->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, child) / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, child->mapToGlobal(pos));
    QApplication::sendEvent(child, &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu || !QTest::qWaitForWindowExposed(menu))
        return nullptr;
    m_openMenus << menu;
    return menu;
}

bool CUserSession::ClickInPage(const QString &selector, Qt::MouseButton button)
{
    CQuillbrowView *view = ActiveWindow();
    auto *engine = view ? dynamic_cast<CWebEngine *>(view->Engine()) : nullptr;
    if (!engine)
        return false;
    // Where the element is on screen, in the page's own pixels: the page is shown
    // unzoomed, so they are the widget's.
    const QVariant rect
        = RunInPage(view,
                    QStringLiteral("(function() { const e = document.querySelector('%1');"
                                   " if (!e) return null; e.scrollIntoView({block: 'center'});"
                                   " const r = e.getBoundingClientRect();"
                                   " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                        .arg(selector));
    const QVariantList point = rect.toList();
    QWidget *target = engine->View()->focusProxy();
    if (point.size() != 2 || !target)
        return false;
    QTest::mouseClick(target, button, {},
                      QPoint(qRound(point.at(0).toDouble()), qRound(point.at(1).toDouble())));
    return true;
}

QMenu *CUserSession::RightClickInPage(const QString &selector)
{
    if (!ClickInPage(selector, Qt::RightButton))
        return nullptr;
    QMenu *menu = nullptr;
    WaitFor(
        [&menu] {
            menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            return menu && menu->isVisible();
        },
        10000);
    if (menu)
        m_openMenus << menu;
    return menu;
}

bool CUserSession::ChoosePopupItem(QMenu *pMenu, const QString &text)
{
    QAction *item = pMenu ? FindItem(pMenu->actions(), text) : nullptr;
    if (!item || !item->isEnabled()) {
        CloseOpenMenus();
        return false;
    }
    QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(item).center());
    CloseOpenMenus();
    RunQueuedCommands();
    return true;
}

bool CUserSession::DropUrls(const QList<QUrl> &urls)
{
    CMainFrame *frame = Frame();
    if (!frame || !frame->windowHandle())
        return false;
    QMimeData data;
    data.setUrls(urls);
    // The window dispatches the drag to the widget under it that takes drops, as it
    // does for a drag from another program.
    QStatusBar *status = frame->statusBar();
    const QPointF pos = status->mapTo(frame, status->rect().center());
    QDragEnterEvent enter(pos.toPoint(), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(frame->windowHandle(), &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(pos.toPoint(), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(frame->windowHandle(), &move);
    QDropEvent drop(pos, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame->windowHandle(), &drop);
    return drop.isAccepted();
}

QWidget *CUserSession::FindWindow(const QString &objectName)
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && window->objectName() == objectName)
            return window;
    }
    return nullptr;
}

bool CUserSession::ClickButton(QWidget *pWindow, const QString &text)
{
    if (!pWindow)
        return false;
    QPushButton *button = nullptr;
    const auto buttons = pWindow->findChildren<QPushButton *>();
    for (QPushButton *candidate : buttons) {
        if (candidate->isVisible() && StripMnemonic(candidate->text()) == text)
            button = candidate;
    }
    if (!button || !WaitFor([button] { return button->isEnabled(); }, 10000))
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

QString CUserSession::Caption() const
{
    return Frame() ? Frame()->windowTitle() : QString();
}

QStringList CUserSession::Tabs() const
{
    QStringList tabs;
    if (CWindowsBar *bar = Frame() ? Frame()->WindowsBar() : nullptr) {
        for (int i = 0; i < bar->GetItemCount(); ++i)
            tabs << bar->GetTabText(i);
    }
    return tabs;
}

int CUserSession::CurrentTab() const
{
    return Frame() ? Frame()->WindowsBar()->GetCurSel() : -1;
}

int CUserSession::TabImage(int nIndex) const
{
    return Frame() ? Frame()->WindowsBar()->GetTabImage(nIndex) : -1;
}

QString CUserSession::StatusText() const
{
    return Frame() ? Frame()->statusBar()->currentMessage() : QString();
}

QString CUserSession::AddressText() const
{
    return Frame() ? Frame()->AddressBar()->Combo()->currentText() : QString();
}

QStringList CUserSession::TypedAddressList() const
{
    return Frame() ? Frame()->AddressBar()->Combo()->Items() : QStringList();
}

QList<CQuillbrowView *> CUserSession::Windows() const
{
    QList<CQuillbrowView *> windows;
    CMainFrame *frame = Frame();
    if (!frame)
        return windows;
    CWindowsBar *bar = frame->WindowsBar();
    for (int i = 0; i < bar->GetItemCount(); ++i) {
        if (auto *view = dynamic_cast<CQuillbrowView *>(bar->GetTabView(i)))
            windows << view;
    }
    return windows;
}

CQuillbrowView *CUserSession::ActiveWindow() const
{
    return Frame() ? Frame()->GetActiveHtmlView() : nullptr;
}

QMdiSubWindow *CUserSession::ActiveChild() const
{
    return Frame() ? Frame()->MdiArea()->currentSubWindow() : nullptr;
}

bool CUserSession::IsBusyAnimationPlaying() const
{
    return Frame() && Frame()->IsAnimationPlaying();
}

bool CUserSession::WaitFor(const std::function<bool()> &predicate, int nTimeoutMs)
{
    return EngineTestUtil::WaitFor(predicate, nTimeoutMs);
}

bool CUserSession::WaitForPage(const QString &address, int nTimeoutMs)
{
    return WaitFor(
        [this, &address] {
            CQuillbrowView *view = ActiveWindow();
            return view && view->GetLocationURL() == address && view->m_nProgress == 100
                && !view->m_bBusy;
        },
        nTimeoutMs);
}

CQuillbrowView *CUserSession::WaitForWindowShowing(const QString &address, int nTimeoutMs)
{
    CQuillbrowView *found = nullptr;
    WaitFor(
        [&] {
            const auto windows = Windows();
            for (CQuillbrowView *view : windows) {
                if (view->GetLocationURL() == address && view->m_nProgress == 100 && !view->m_bBusy
                    && view->GetParentFrame()->isVisible()) {
                    found = view;
                    return true;
                }
            }
            return false;
        },
        nTimeoutMs);
    return found;
}
