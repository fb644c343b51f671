// child_process.h -- starting, waiting for and ending the processes a real-window test needs
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

struct SpawnRequest {
    std::vector<std::string> argv;
    std::vector<std::string> env;  // the whole environment, "NAME=value"
    int stdinFd = -1;              // -1 means /dev/null
    int stdoutFd = -1;
    int stderrFd = -1;
    int fd3 = -1;  // handed to the child as descriptor 3 when set
    // Of SIGINT, SIGTERM, SIGHUP and SIGQUIT, those the child starts with ignored (as under nohup);
    // the others start at their default, whatever the runner was given.
    std::vector<int> ignoredSignals;
};

// Forks and execs. The child is killed if the test runner dies, so a crashed
// or timed-out test never leaves an X server or a game behind. Throws on failure.
pid_t spawn(const SpawnRequest& request);

// The caller's environment with `overrides` applied; an empty value removes the name.
std::vector<std::string> environmentWith(const std::map<std::string, std::string>& overrides);

// Reaps `pid` if it ends before the deadline and returns its wait status.
std::optional<int> waitForExit(pid_t pid, milliseconds deadline);

// Sends `first`, waits briefly, then SIGKILL; always reaps.
void stopProcess(pid_t pid, int first);

// "exited with 3", "killed by signal 9", for failure messages.
std::string describeStatus(int status);

}  // namespace e2e
