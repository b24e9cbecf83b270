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

signals:
    void terminateRequested(int nSignal);

private:
    QSocketNotifier *m_pNotifier = nullptr;
};
