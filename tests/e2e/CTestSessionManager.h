#pragma once

#include <QObject>
#include <QString>

#include <memory>

// A desktop session manager for tests: it speaks the X session management protocol
// (XSMP, over ICE) to the programs given its address in SESSION_MANAGER, as the
// desktop's own does at a logout. One client at a time is enough for the tests.
class CTestSessionManager : public QObject
{
    Q_OBJECT
public:
    explicit CTestSessionManager(QObject *parent = nullptr);
    ~CTestSessionManager() override;

    // Starts listening; false when ICE could not. Address() is then the value for
    // SESSION_MANAGER.
    bool Listen();
    QString Address() const;

    bool HasClient() const;
    // Asks the client to save, as before a logout (shutdown) or for a checkpoint.
    // Nobody may be asked anything: the session goes on unattended.
    void SaveYourself(bool bShutdown);
    // How many saves the client has reported done.
    int SavesDone() const;
    // Tells the client to end.
    void Die();

    struct SState;

private:
    std::unique_ptr<SState> m_state;
};
