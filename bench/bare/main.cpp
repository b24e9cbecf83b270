// The engine's own cost, as the yardstick for Quillbrow: a main window with an MDI
// area and one web view per address, nothing else. Addresses come from the command
// line and, one a line, from standard input, so a running copy can be handed more
// without a second process.

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSocketNotifier>
#include <QUrl>
#include <QWebEngineView>

#include <unistd.h>

namespace {
void OpenView(QMdiArea *mdi, const QString &address)
{
    auto *view = new QWebEngineView;
    QMdiSubWindow *window = mdi->addSubWindow(view);
    // The same share of the area as a Quillbrow window, so both paint as many pixels.
    window->resize(mdi->viewport()->size().expandedTo(QSize(800, 560)) * 3 / 4);
    window->show();
    view->load(QUrl::fromUserInput(address));
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QMainWindow window;
    auto *mdi = new QMdiArea;
    window.setCentralWidget(mdi);
    window.resize(1024, 720);
    // Quillbrow too makes its first window before its frame is shown.
    for (const QString &address : QApplication::arguments().mid(1))
        OpenView(mdi, address);
    window.show();

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString address = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (!address.isEmpty())
                OpenView(mdi, address);
        }
    });
    return app.exec();
}
