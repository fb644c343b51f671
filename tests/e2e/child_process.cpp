// child_process.cpp -- fork/exec with a parent-death signal, and waits that always end
#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

std::vector<char*> pointersTo(const std::vector<std::string>& strings) {
    std::vector<char*> out;
    out.reserve(strings.size() + 1);
    for (const auto& s : strings) out.push_back(const_cast<char*>(s.c_str()));
    out.push_back(nullptr);
    return out;
}

// Only async-signal-safe calls between fork and exec: the runner has threads.
[[noreturn]] void becomeChild(const SpawnRequest& request, char* const* argv, char* const* envp,
                              pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(126);
    signal(SIGPIPE, SIG_DFL);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        bool ignored = false;
        for (int i : request.ignoredSignals) ignored = ignored || i == sig;
        signal(sig, ignored ? SIG_IGN : SIG_DFL);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);

    int devNull = open("/dev/null", O_RDWR);
    int fds[3] = {request.stdinFd, request.stdoutFd, request.stderrFd};
    for (int i = 0; i < 3; ++i) {
        if (dup2(fds[i] >= 0 ? fds[i] : devNull, i) < 0) _exit(126);
    }
    if (request.fd3 >= 0) {
        if (request.fd3 == 3) {
            fcntl(3, F_SETFD, 0);
        } else if (dup2(request.fd3, 3) < 0) {
            _exit(126);
        }
    }
    execve(argv[0], argv, envp);
    _exit(127);
}

// Resolved before fork, since a PATH search is not safe in the child.
std::string resolve(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    throw std::runtime_error("spawn: " + program + " not found on PATH");
}

}  // namespace

pid_t spawn(const SpawnRequest& request) {
    if (request.argv.empty()) throw std::runtime_error("spawn: empty argv");
    std::vector<std::string> args = request.argv;
    args[0] = resolve(args[0]);
    auto argv = pointersTo(args);
    auto envp = pointersTo(request.env);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) becomeChild(request, argv.data(), envp.data(), parent);
    return pid;
}

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        if (overrides.count(name) == 0) env.push_back(entry);
    }
    for (const auto& [name, value] : overrides) {
        if (!value.empty()) env.push_back(name + "=" + value);
    }
    return env;
}

std::optional<int> waitForExit(pid_t pid, milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return status;
        if (r < 0 && errno != EINTR) return std::nullopt;
        if (Clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(milliseconds(5));
    }
}

void stopProcess(pid_t pid, int first) {
    if (pid <= 0) return;
    kill(pid, first);
    if (first != SIGKILL && waitForExit(pid, milliseconds(2000))) return;
    kill(pid, SIGKILL);
    waitForExit(pid, milliseconds(5000));
}

std::string describeStatus(int status) {
    if (WIFEXITED(status)) return "exited with " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return "wait status " + std::to_string(status);
}

}  // namespace e2e
