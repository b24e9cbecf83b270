#pragma once

#include <QEventLoop>
#include <QGuiApplication>
#include <QList>
#include <QMetaObject>
#include <QTimer>
#include <QWindow>

#include <functional>

// What a test does with the next run of a dialog, queued before the command that opens
// it: the script runs once the dialog is shown and acts on it as a user would (typing,
// clicking, keys). A dialog the script leaves open is cancelled, so no test ever waits
// on a modal window. One queue per dialog class.
template<class TDialog> class CDialogScript
{
public:
    using Script = std::function<void(TDialog &)>;

    static void Add(Script script) { Queue().append(std::move(script)); }
    static bool HasPending() { return !Queue().isEmpty(); }
    static void Clear() { Queue().clear(); }

    // Called by the dialog's exec() before its modal loop: the next script, if any,
    // runs from inside that loop.
    static void ScheduleNext(TDialog *pDialog, int nCancelResult)
    {
        if (Queue().isEmpty())
            return;
        QMetaObject::invokeMethod(
            pDialog,
            [pDialog, nCancelResult, script = Queue().takeFirst()] {
                WaitForFocus(pDialog);
                script(*pDialog);
                if (pDialog->isVisible())
                    pDialog->done(nCancelResult);
            },
            Qt::QueuedConnection);
    }

private:
    // A user acts on a dialog once it has the keyboard focus, which the window system
    // may hand it only after the dialog is shown.
    static void WaitForFocus(TDialog *pDialog)
    {
        if (QGuiApplication::focusWindow() == pDialog->windowHandle())
            return;
        QEventLoop loop;
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &loop,
                         [&loop, pDialog](QWindow *pWindow) {
                             if (pWindow == pDialog->windowHandle())
                                 loop.quit();
                         });
        QTimer::singleShot(kFocusTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }

    static constexpr int kFocusTimeoutMs = 5000;

    static QList<Script> &Queue()
    {
        static QList<Script> queue;
        return queue;
    }
};
