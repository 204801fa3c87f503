#include "shell/QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
volatile sig_atomic_t g_writeFd = -1;

void OnStopSignal(int)
{
    const char byte = 1;
    if (g_writeFd >= 0)
        (void)!::write(g_writeFd, &byte, 1);
}
} // namespace

CQuitOnSignal::CQuitOnSignal()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_fds) != 0)
        return;
    g_writeFd = m_fds[0];
    m_notifier = new QSocketNotifier(m_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(m_fds[1], buffer, sizeof buffer) > 0)
        {
        }
        QCoreApplication::quit();
    });
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &m_oldTerm);
    ::sigaction(SIGINT, &action, &m_oldInt);
}

CQuitOnSignal::~CQuitOnSignal()
{
    if (m_fds[0] < 0)
        return;
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    g_writeFd = -1;
    delete m_notifier;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}
