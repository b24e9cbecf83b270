#pragma once

// Helpers for tests that run the real engine.

#include <QString>
#include <QVariant>

#include <functional>

class QWebEnginePage;

namespace EngineTestUtil {
// Sets the engine up for headless tests (no GPU, no network but loopback); call in
// main before QApplication is made. Used by QUILLBROW_ENGINE_TEST_MAIN.
void PrepareEngineForTests();

// Waits until predicate holds, at most nTimeoutMs; returns its last value. Unlike
// QTest::qWaitFor and QTRY_VERIFY, which sleep between their checks, this keeps the
// event loop waiting for events, so the engine's many small hops through the GUI
// thread are not slowed down ten milliseconds each.
bool WaitFor(const std::function<bool()> &predicate, int nTimeoutMs = 30000);

// Runs script in the page's main world and waits for its result; an invalid
// QVariant when the page gave none within the timeout.
QVariant RunJavaScript(QWebEnginePage *pPage, const QString &script, int nTimeoutMs = 30000);
} // namespace EngineTestUtil

// QTEST_MAIN for tests that use Qt WebEngine.
#define QUILLBROW_ENGINE_TEST_MAIN(TestObject)                                                     \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        EngineTestUtil::PrepareEngineForTests();                                                   \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
