// The harness that starts real and scripted servers for the interop tests.

#include "tests/servers/ServerProcess.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <string>

namespace
{

const char* const kPython = "/usr/bin/python3";

// A server that listens on argv[1] and exits on nothing but SIGKILL.
const char* const kStubbornServer = R"(
import signal, socket, sys, time
signal.signal(signal.SIGTERM, signal.SIG_IGN)
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1])))
s.listen(4)
print("stubborn server up", flush=True)
while True:
    s.accept()
)";

bool IsGone(pid_t pid)
{
    return ::kill(pid, 0) == -1 && errno == ESRCH;
}

TEST(ServerProcess, StartsInItsFolderAndStops)
{
    const int port = FreeTcpPort();
    ASSERT_NE(port, 0);
    CServerProcess server;
    ASSERT_TRUE(
        server.Start({kPython, TW_SERVERS_DIR "/tcp_modes_server.py", std::to_string(port), "echo"}, port));
    EXPECT_TRUE(server.IsRunning());
    const pid_t pid = server.Pid();
    server.Stop();
    EXPECT_FALSE(server.IsRunning());
    EXPECT_TRUE(IsGone(pid)); // reaped, not left a zombie
    server.Stop();            // twice is harmless
}

TEST(ServerProcess, EarlyExitFailsWithTheLog)
{
    // A freed port could be taken by another test's server meanwhile, which
    // would make this one look ready.
    const CDeadTcpPort port;
    ASSERT_NE(port.Port(), 0);
    CServerProcess server;
    const std::string script = "import os, sys; print('cwd=' + os.getcwd()); sys.exit(3)";
    bool started = true;
    EXPECT_NONFATAL_FAILURE(started = server.Start({kPython, "-c", script}, port.Port()),
                            "exited before it was ready");
    EXPECT_FALSE(started);
    EXPECT_FALSE(server.IsRunning());
    // stdout went to the log, and the program ran in the server's folder.
    EXPECT_EQ(server.Log(), "cwd=" + server.Folder().Path() + "\n");
}

TEST(ServerProcess, MissingProgramFails)
{
    CServerProcess server;
    bool started = true;
    EXPECT_NONFATAL_FAILURE(started = server.Start({"/nonexistent/server"}, 1), "/nonexistent/server");
    EXPECT_FALSE(started);
}

// A server deaf to SIGTERM is killed after the grace period.
TEST(ServerProcess, StopKillsAServerThatIgnoresSigterm)
{
    const int port = FreeTcpPort();
    ASSERT_NE(port, 0);
    CServerProcess server;
    ASSERT_TRUE(server.Start({kPython, "-c", kStubbornServer, std::to_string(port)}, port));
    const pid_t pid = server.Pid();
    server.Stop();
    EXPECT_TRUE(IsGone(pid));
    EXPECT_NE(server.Log().find("stubborn server up"), std::string::npos) << server.Log();
}

} // namespace
