#pragma once
// Running a helper program of the desktop (such as update-mime-database) and
// waiting for it: found through PATH, started directly (never through a
// shell, so no argument is ever interpreted), with standard input and output
// on /dev/null so it cannot block on or write into the program's own.

#include <chrono>
#include <string>
#include <vector>

inline constexpr int kProgramNotStarted = -1; // missing, or could not be started
inline constexpr int kProgramTimedOut = -2;   // still running after the bound; killed
inline constexpr int kProgramKilled = -3;     // ended by a signal

// Runs argv (argv[0] a name looked up in PATH, or a path) and waits at most
// bound for it to end. Returns its exit status (0 to 255) or one of the
// negative results above. The child is always reaped.
int RunProgramAndWait(const std::vector<std::string>& argv, std::chrono::milliseconds bound);
