#include "EngineTestUtil.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>

#include <memory>

namespace EngineTestUtil {

void PrepareEngineForTests()
{
    // Qt WebEngine shares its GL context with the widgets; the attribute only counts
    // before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    // Chromium runs as root in CI, without a GPU, and must not phone home: every
    // request but loopback goes to a proxy port nothing listens on, and the
    // background services that would fetch components or field trials stay off.
    // Flags someone set to debug a test are kept in front of ours.
    const QByteArray ours = "--disable-gpu --no-sandbox --disable-background-networking"
                            " --disable-component-update --no-first-run"
                            " --disable-sync --disable-default-apps"
                            " --proxy-server=127.0.0.1:9"
                            " --disable-features=Translate,OptimizationHints,MediaRouter,"
                            "AutofillServerCommunication,CertificateTransparencyComponentUpdater";
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").trimmed();
    flags = flags.isEmpty() ? ours : flags + ' ' + ours;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

bool WaitFor(const std::function<bool()> &predicate, int nTimeoutMs)
{
    if (predicate())
        return true;
    QEventLoop loop;
    QTimer check;
    // The check waits while the predicate runs: a predicate that waits in turn (for a
    // script's result) would otherwise be entered again from its own wait.
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        check.stop();
        if (predicate())
            loop.quit();
        else
            check.start();
    });
    check.start(5);
    QTimer::singleShot(nTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return predicate();
}

QVariant RunJavaScript(QWebEnginePage *pPage, const QString &script, int nTimeoutMs)
{
    // The callback may come after this function gave up; it must then find nothing
    // of this frame to write into.
    struct SResult
    {
        bool bDone = false;
        QVariant value;
    };
    auto result = std::make_shared<SResult>();
    pPage->runJavaScript(script, [result](const QVariant &value) {
        result->value = value;
        result->bDone = true;
    });
    WaitFor([&result] { return result->bDone; }, nTimeoutMs);
    return result->value;
}

} // namespace EngineTestUtil
