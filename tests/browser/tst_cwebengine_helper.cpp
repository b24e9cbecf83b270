// Runs one engine in a process of its own for tst_cwebengine, which starts it twice to
// see what survives a restart: loads the address given, runs the script given in the
// page, prints the script's result and ends as the program does.

#include "CWebEngine.h"
#include "CWebPage.h"
#include "EngineTestUtil.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    EngineTestUtil::PrepareEngineForTests();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 2;

    CWebEngine engine;
    bool bLoaded = false;
    QObject::connect(engine.Page(), &QWebEnginePage::loadFinished,
                     [&bLoaded](bool bOk) { bLoaded = bOk; });
    engine.Navigate2(args[1]);
    if (!EngineTestUtil::WaitFor([&bLoaded] { return bLoaded; }))
        return 3;
    const QVariant result = EngineTestUtil::RunJavaScript(engine.Page(), args[2]);
    std::fputs(result.toString().toUtf8().constData(), stdout);
    return 0;
}
