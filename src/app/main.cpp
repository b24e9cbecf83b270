#include "CCommandLine.h"
#include "CEarlyHandOver.h"
#include "CEngineSandbox.h"
#include "CEventLoopWatch.h"
#include "CGraphicsBackend.h"
#include "CQuillbrowApp.h"
#include "CTermSignals.h"

#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>
#include <QSessionManager>

#include <cstdio>

int main(int argc, char **argv)
{
    // Answered before Qt looks for a display, so they work on a bare terminal.
    if (WantsHelpOrVersion(argc, argv)) {
        const CCommandLineInfo info = ParseCommandLine({argv + 1, argv + argc});
        std::fputs(qPrintable(info.m_bShowHelp ? HelpText() : VersionText()), stdout);
        return 0;
    }

    // From here a logout or Ctrl+C waits for the handler below instead of killing.
    CTermSignals::HoldUntilCaught();
    EngineSandbox::Apply();

    // A start that only hands its address to a running copy ends here, before Qt
    // connects to the display.
    if (const std::optional<int> code = EarlyHandOver::Run({argv + 1, argv + argc}))
        return *code;

    // Qt WebEngine shares its GL contexts with the widgets; this must precede QApplication.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine's start-up report is for its own developers, not for the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QApplication qapp(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationVersion(QStringLiteral(QUILLBROW_VERSION));
    // The installed theme icon when the desktop has one, else the picture built in.
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("quillbrow"), QIcon(QStringLiteral(":/quillbrow/quillbrow.svg"))));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillbrow"));
    // Idle unless its logging category is on.
    CEventLoopWatch loopWatch;

    // QApplication has taken its own options out of argv.
    const QList<QByteArray> args(argv + 1, argv + argc);
    const CCommandLineInfo cmdInfo = ParseCommandLine(args);
    for (const QString &bad : cmdInfo.m_badValues)
        qWarning("quillbrow: %s: the mode is auto, software or gpu; choosing by itself",
                 qPrintable(bad));
    GraphicsBackend::Apply(cmdInfo.m_nGraphics);

    CQuillbrowApp app(args);
    // Ended from outside, the program still saves what the user set. Caught before
    // start-up, so that a logout during it waits for the frame and ends it in order.
    CTermSignals termSignals;
    bool bEndRequested = false;
    QObject::connect(&termSignals, &CTermSignals::terminateRequested, &qapp,
                     [&app, &bEndRequested] {
                         bEndRequested = true;
                         // Nobody is there to answer the exit question.
                         if (CMainFrame *frame = app.MainFrame())
                             frame->SetAskBeforeClose(false);
                         QApplication::quit();
                     });
    QObject::connect(
        &qapp, &QGuiApplication::commitDataRequest, &app,
        [&app](QSessionManager &) { app.OnCommitData(); }, Qt::DirectConnection);
    if (!app.InitInstance())
        return app.ExitInstance();
    // A signal taken while start-up waited in a dialog of its own found no loop to end.
    const int code = bEndRequested ? 0 : QApplication::exec();
    const int exitCode = app.ExitInstance();
    return code != 0 ? code : exitCode;
}
