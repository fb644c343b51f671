// game_process.cpp -- launching the game binary with piped stdio and reading it without deadlocks
#include "game_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#ifndef CRATERDUEL_BIN
#error "CRATERDUEL_BIN must name the game binary"
#endif

namespace e2e {

namespace {

void makePipe(int fds[2]) {
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

}  // namespace

GameProcess::GameProcess(const std::string& display, std::string_view answers, bool endInput,
                         const Launch& launch) {
    // A game that quits before reading all its answers must not kill the runner.
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    makePipe(in);
    makePipe(out);
    makePipe(err);
    SpawnRequest request;
    request.argv = {CRATERDUEL_BIN};
    // Only the private server counts, whatever the caller's session has set.
    std::map<std::string, std::string> env{
        {"DISPLAY", display}, {"SDL_VIDEODRIVER", ""}, {"WAYLAND_DISPLAY", ""}};
    for (const auto& [name, value] : launch.env) env[name] = value;
    request.env = environmentWith(env);
    request.ignoredSignals = launch.ignoredSignals;
    request.stdinFd = in[0];
    request.stdoutFd = out[1];
    request.stderrFd = err[1];
    pid_ = spawn(request);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    stderr_ = err[0];
    reader_ = std::thread([this] { readOutput(); });

    send(answers);
    if (endInput) closeInput();
}

void GameProcess::send(std::string_view text) {
    // Answers are tiny, far below the pipe's buffer, so this write never blocks.
    while (!text.empty() && stdin_ >= 0) {
        ssize_t n = write(stdin_, text.data(), text.size());
        if (n <= 0) break;
        text.remove_prefix(static_cast<size_t>(n));
    }
}

GameProcess::~GameProcess() {
    if (!reaped_) stopProcess(pid_, SIGKILL);
    closeInput();
    stopReader(milliseconds(0));
    close(stdout_);
    close(stderr_);
}

void GameProcess::stopReader(milliseconds grace) {
    {
        std::unique_lock lock(mutex_);
        grew_.wait_for(lock, grace, [&] { return readerDone_; });
        stopReading_ = true;
    }
    if (reader_.joinable()) reader_.join();
}

void GameProcess::readOutput() {
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        {
            std::lock_guard lock(mutex_);
            if (stopReading_) return;
            if (dropOut_ && outOpen) {
                close(stdout_);
                stdout_ = -1;
                outOpen = false;
                grew_.notify_all();
            }
        }
        pollfd fds[2] = {{outOpen ? stdout_ : -1, POLLIN, 0}, {errOpen ? stderr_ : -1, POLLIN, 0}};
        if (poll(fds, 2, 50) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            std::lock_guard lock(mutex_);
            if (n <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
            } else {
                (i == 0 ? out_ : err_).append(buf, static_cast<size_t>(n));
            }
            grew_.notify_all();
        }
    }
    std::lock_guard lock(mutex_);
    readerDone_ = true;
    grew_.notify_all();
}

void GameProcess::closeInput() {
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
}

void GameProcess::closeOutput() {
    std::unique_lock lock(mutex_);
    dropOut_ = true;
    // The reader closes it between two polls, so no poll ever sees a descriptor reused.
    grew_.wait_for(lock, milliseconds(2000), [&] { return stdout_ < 0 || readerDone_; });
}

void GameProcess::sendSignal(int sig) {
    if (!reaped_) kill(pid_, sig);
}

std::string GameProcess::out() {
    std::lock_guard lock(mutex_);
    return out_;
}

std::string GameProcess::err() {
    std::lock_guard lock(mutex_);
    return err_;
}

bool GameProcess::waitForOut(std::string_view text, milliseconds deadline) {
    std::unique_lock lock(mutex_);
    return grew_.wait_for(lock, deadline, [&] { return out_.find(text) != std::string::npos; });
}

bool GameProcess::running() {
    if (reaped_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
        reaped_ = true;
    }
    return !reaped_;
}

std::optional<int> GameProcess::waitExit(milliseconds deadline) {
    if (!reaped_) {
        status_ = waitForExit(pid_, deadline);
        if (!status_) stopProcess(pid_, SIGKILL);
        reaped_ = true;
    }
    // The pipes close when the game ends; let the reader take in what is left.
    stopReader(milliseconds(2000));
    return status_;
}

::testing::AssertionResult exitsWith(GameProcess& game, int code, milliseconds deadline) {
    auto status = game.waitExit(deadline);
    if (!status) {
        return ::testing::AssertionFailure() << "still running after " << deadline.count()
                                             << " ms (killed); stderr: \"" << game.err() << "\"";
    }
    if (WIFEXITED(*status) && WEXITSTATUS(*status) == code) { return ::testing::AssertionSuccess(); }
    return ::testing::AssertionFailure() << describeStatus(*status) << ", wanted exit code " << code
                                         << "; stderr: \"" << game.err() << "\"";
}

}  // namespace e2e
