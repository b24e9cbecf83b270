#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in a terminal) into a Qt signal
// on the GUI thread, so the program can close its frame and save its settings
// instead of dying with them unsaved. The handler only writes a byte to a pipe.
class CTermSignals : public QObject
{
    Q_OBJECT
public:
    explicit CTermSignals(QObject *parent = nullptr);
    ~CTermSignals() override;

    // Holds the signals back (they stay pending) until a CTermSignals catches them, so
    // one that comes early in start-up is not the default action's sudden death. Call
    // it before any child process starts: they would inherit the mask.
    static void HoldUntilCaught();

signals:
    void terminateRequested(int nSignal);

private:
    QSocketNotifier *m_pNotifier = nullptr;
};
