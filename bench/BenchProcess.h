#pragma once
// What the process-comparing benchmarks share: a scratch folder on /dev/shm,
// free loopback ports, an nginx started from a configuration of our own, and
// running programs as fresh processes, each timed from its start to its exit
// with the peak of its resident memory read at that exit.

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

// A new empty folder on /dev/shm (or /tmp when that fails), readable by
// everyone (nginx's workers and tools that drop their rights may run as
// another user); empty on failure.
std::filesystem::path MakeScratchFolder(const std::string& prefix);

// A port free on 127.0.0.1 at the time of the call; 0 when none is found.
int FreePort();
// Whether host:port accepts a connection.
bool Accepts(const char* host, int port);
// Waits up to five seconds for host:port to accept.
bool AwaitListening(const char* host, int port);

// Starts argv with stdout and stderr to `log`; -1 on failure.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& log);
// Sends SIGTERM to a child and reaps it.
void EndChild(pid_t pid);

// A "Field: N kB" line of a /proc status file; 0 when missing.
long ProcStatusKb(const std::string& file, const char* field);

// Starts nginx in the foreground from `folder`, with four workers and
// temporary paths inside `folder`; `http` is the inside of its http block
// (servers, logs). -1 on failure.
pid_t StartNginx(const std::filesystem::path& folder, const std::string& http);

struct CRunFigures
{
    double m_seconds = 0;
    double m_cpuSeconds = 0;
    long m_peakKb = 0;
    int m_failedProcesses = 0;
    // Instructions retired by the processes and every thread they started,
    // counted from their exec to their exit: user and kernel, or user only
    // where the system lets no one count the kernel (perf_event_paranoid 2;
    // the same for every side of one run); -1 when the system does not let
    // us count them (no perf events).
    double m_instructions = -1;
};

// Runs the commands side by side to completion, stdout and stderr to
// /dev/null. Time runs from before the first fork to the last exit; the CPU
// time is the sum of the processes' own; the peak is the sum of each
// process's VmHWM at its exit. A process that exits non-zero counts as
// failed, unless its code is listed in `acceptedCodes`. `server` is a child
// of the caller that must not die meanwhile (its death counts as a failure).
// Instructions are counted per process by a hardware counter opened on it
// at its first stop after exec, inherited by its threads. With the variable
// TW_BENCH_WRAP set, each command runs under the program and arguments it
// holds (separated by spaces, the program by its full path), e.g.
// "/usr/bin/valgrind --tool=callgrind" on a machine
// whose processor offers no instruction counter.
CRunFigures RunProcesses(std::vector<std::vector<std::string>> commands, pid_t server,
                         const std::vector<int>& acceptedCodes = {});
