#pragma once

#include "EngineTestUtil.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class CMainFrame;
class CQuillbrowApp;
class CQuillbrowView;
class QAction;
class QMdiSubWindow;
class QMenu;
class QProcess;
class QToolButton;
class QUrl;

// The whole program as main() builds it (the application object, its start-up, the
// real settings files in the test's own folders, the real engine) with a user in
// front of it. Tests act only through what this class offers: menus opened and
// items clicked by their text, toolbar buttons clicked by their tooltip, keys sent to
// whatever has the focus, text typed into the address bar. They read back what a
// user sees (captions, tabs, the status bar, the address bar) or what the program
// wrote to disk. Questions are answered in advance with CConfirmDlg::SetNextAnswer.
class CUserSession : public QObject
{
    Q_OBJECT
public:
    explicit CUserSession(QObject *parent = nullptr);
    // Ends a program still running as a logout would: no question, settings saved.
    ~CUserSession() override;

    // Values written into the program's settings file before it starts, by their
    // keys in the file ("Settings/StartMode"). A fresh folder is a first start; the
    // default-browser question is switched off here unless a test sets it.
    static void WriteStoredSettings(const QVariantMap &values);
    // A value of the program's settings file as it is on disk now.
    static QVariant StoredSetting(const QString &key);
    // The same for the engine's own store (typed addresses, start page).
    static QVariant StoredEngineSetting(const QString &key);

    // Starts the program with these command-line arguments (after the program's
    // name) and waits until its frame is shown and active. False when start-up
    // ended the program (the caller then checks why).
    bool Start(const QStringList &args = {});
    // A session started at address, once its page has loaded; null when it did not.
    static std::unique_ptr<CUserSession> StartAt(const QString &address);
    // True when every question answered in advance was asked; forgets the rest.
    static bool NoAnswersLeft();
    // The program has ended: the frame closed and the exit code collected.
    bool IsRunning() const;
    // Waits for the frame to go after the user closed it, then finishes the exit as
    // main() does (the application saves its settings).
    bool WaitForExit(int nTimeoutMs = 30000);

    CQuillbrowApp *App() const { return m_app.get(); }
    CMainFrame *Frame() const;

    // Opens each menu of the path in turn (so their items are updated as on
    // screen) and clicks the last item. Texts are compared without their '&'.
    // False when an item is missing or disabled. The command has run when this returns
    // (so has that of a key or a toolbar button below).
    bool ChooseMenu(const QStringList &path);
    // The item at the end of the path, its menus opened; null when missing.
    QAction *MenuItem(const QStringList &path);
    bool IsMenuItemEnabled(const QStringList &path);
    bool IsMenuItemChecked(const QStringList &path);
    // Clicks the toolbar button with this tooltip once it is enabled.
    bool ClickToolButton(const QString &toolTip);
    // The visible toolbar button with this tooltip; null when there is none.
    QToolButton *ToolButton(const QString &toolTip) const;
    // The left button pressed on the rebar at from, the pointer moved through the
    // points, released at the last; points in the rebar's coordinates.
    void DragOnReBar(QPoint from, const QList<QPoint> &path);
    void DoubleClickOnReBar(QPoint at);
    // A key to the widget with the focus, or to the frame when nothing has it.
    void PressKey(int nKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Alt+D, the text typed, Enter.
    void TypeAddress(const QString &text);
    // Types the address, presses Enter and waits until its page has loaded.
    bool Visit(const QString &address);
    // The mouse pointer moved over a point of a window's page (page coordinates).
    void HoverPage(CQuillbrowView *view, const QPoint &pos);
    // Runs script in a window's page and returns its result (what a user would see
    // there: an element's place, a text).
    static QVariant RunInPage(CQuillbrowView *view, const QString &script);
    // Starts the real program in a process of its own with the same folders, as a
    // second start from a terminal or the desktop would. The caller owns the process.
    static QProcess *StartSecondCopy(const QStringList &args);
    // Text typed into the widget with the focus.
    void TypeText(const QString &text);
    // A left click in the middle of a visible widget (a button, a check box).
    bool Click(QWidget *pWidget);
    // The tabs of the Windows Bar, by index from the left.
    void ClickTab(int nIndex);
    // Right-clicks a tab and returns the popup it opened (null when none).
    QMenu *RightClickTab(int nIndex);
    // Right-clicks the active window's title bar and returns the popup it opened.
    QMenu *RightClickCaption();
    // Clicks the item of an open popup menu (text without '&' and keys); false when
    // the item is missing or disabled.
    bool ChoosePopupItem(QMenu *pMenu, const QString &text);
    // Drags urls (files, or a link's address) from another program and drops them on
    // the frame, over its status bar. False when the frame refused the drag.
    bool DropUrls(const QList<QUrl> &urls);
    // Clicks the middle of the first element of the active window's page that matches
    // the CSS selector, as a mouse would. False when the page has no such element.
    bool ClickInPage(const QString &selector, Qt::MouseButton button = Qt::LeftButton);
    // Right-clicks the element and returns the context menu the page opened.
    QMenu *RightClickInPage(const QString &selector);
    // The visible top-level window with this object name, null when none is shown.
    static QWidget *FindWindow(const QString &objectName);
    // Clicks the push button of window with this text (without '&') once it is enabled.
    static bool ClickButton(QWidget *pWindow, const QString &text);

    QString Caption() const;
    QStringList Tabs() const;
    int CurrentTab() const;
    // The tab's picture: 0..8 the loading pie, 9 idle.
    int TabImage(int nIndex) const;
    QString StatusText() const;
    QString AddressText() const;
    // The drop-down list of typed addresses, newest first.
    QStringList TypedAddressList() const;
    // Visible browser windows in tab order, and the active one.
    QList<CQuillbrowView *> Windows() const;
    CQuillbrowView *ActiveWindow() const;
    QMdiSubWindow *ActiveChild() const;
    bool IsBusyAnimationPlaying() const;
    // The widget that has the keyboard focus.
    QWidget *FocusWidget() const;

    // Waits, with the event loop running, until predicate holds.
    static bool WaitFor(const std::function<bool()> &predicate, int nTimeoutMs = 30000);
    // Waits until the active window shows the address, its page loaded.
    bool WaitForPage(const QString &address, int nTimeoutMs = 30000);
    // Waits until some visible window shows the address, its page loaded.
    CQuillbrowView *WaitForWindowShowing(const QString &address, int nTimeoutMs = 30000);

private:
    static void RunQueuedCommands();
    QAction *FindItem(const QList<QAction *> &actions, const QString &text) const;
    void CloseOpenMenus();

    std::unique_ptr<CQuillbrowApp> m_app;
    QList<QPointer<QMenu>> m_openMenus;
    bool m_bExited = false;
};

// QTEST_MAIN for end-to-end tests: the engine set up for headless runs, as the
// program's own main() does before its application object exists.
#define QUILLBROW_E2E_TEST_MAIN(TestObject) QUILLBROW_ENGINE_TEST_MAIN(TestObject)
