#pragma once
// Real servers for interop tests: a program started on 127.0.0.1 with its
// own temporary folder and a free port, waited for until it accepts
// connections, and stopped (SIGTERM, then SIGKILL) when the object goes.
// A program that is missing or never gets ready fails the test; it is never
// skipped silently.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

#include "tests/support/TempFolder.h"

// A TCP port on 127.0.0.1 that was free a moment ago (bound to port 0 and
// released). 0 when none could be had.
int FreeTcpPort();

// A TCP port on 127.0.0.1 that is bound, and never listened on, while the
// object lives: a connection there is refused, and no other test's server
// can take the port meanwhile (as it can a FreeTcpPort one). Port() is 0
// when none could be had.
class CDeadTcpPort
{
public:
    CDeadTcpPort();
    ~CDeadTcpPort();
    CDeadTcpPort(const CDeadTcpPort&) = delete;
    CDeadTcpPort& operator=(const CDeadTcpPort&) = delete;
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

class CServerProcess
{
public:
    CServerProcess() = default;
    ~CServerProcess();
    CServerProcess(const CServerProcess&) = delete;
    CServerProcess& operator=(const CServerProcess&) = delete;

    // Starts argv (argv[0] an absolute path) in Folder() as working folder,
    // stdout and stderr going to Folder()/server.log, and waits until
    // 127.0.0.1:readyPort accepts a TCP connection. False (with a gtest
    // failure naming the program and the log's tail) when the program is
    // missing, exits early or is not ready within readyTimeout.
    bool Start(const std::vector<std::string>& argv, int readyPort,
               std::chrono::milliseconds readyTimeout = std::chrono::seconds(15));

    // SIGTERM, wait up to five seconds, then SIGKILL; always reaps the
    // child. Safe to call twice.
    void Stop();

    bool IsRunning() const;
    pid_t Pid() const { return m_pid; }

    // The server's own temporary folder: configs, certificates, logs.
    const CTempFolder& Folder() const { return m_folder; }

    // What the server wrote to stdout and stderr so far.
    std::string Log() const;

private:
    CTempFolder m_folder;
    pid_t m_pid = -1;
};
