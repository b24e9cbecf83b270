#include "CTermSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_fds[2] = {-1, -1};

void SetMask(int nHow)
{
    sigset_t set;
    sigemptyset(&set);
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, nSignal);
    ::sigprocmask(nHow, &set, nullptr);
}

void OnSignal(int nSignal)
{
    const char byte = char(nSignal);
    // Nothing but an async-signal-safe write here; the rest runs in the event loop.
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
}
} // namespace

void CTermSignals::HoldUntilCaught()
{
    SetMask(SIG_BLOCK);
}

CTermSignals::CTermSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0) {
        SetMask(SIG_UNBLOCK);
        return;
    }
    ::fcntl(g_fds[0], F_SETFL, O_NONBLOCK);
    m_pNotifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(g_fds[1], &byte, 1) == 1)
            emit terminateRequested(int(byte));
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(nSignal, &action, nullptr);
    // One held back since start-up arrives now, at the handler.
    SetMask(SIG_UNBLOCK);
}

CTermSignals::~CTermSignals()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(nSignal, &action, nullptr);
    delete m_pNotifier;
    for (int &fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}
