// options_e2e_test.cpp -- the built program's command line: what it prints, where, and its status
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "child_process.h"

#ifndef CRATERDUEL_VERSION
#error "CRATERDUEL_VERSION must be the project's version"
#endif

namespace e2e {
namespace {

struct Outcome {
    std::string out, err;
    std::optional<int> status;
};

std::string drain(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(n));
    close(fd);
    return text;
}

// Runs the game with `args` and no display it could open, its answers already waiting on stdin: a run
// that started playing would print its prompts and then fail to open the display.
Outcome runGame(const std::vector<std::string>& args) {
    int in[2], out[2], err[2];
    for (int* fds : {in, out, err}) {
        if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    }
    const std::string answers = "800\n600\n0\n";
    if (write(in[1], answers.data(), answers.size()) != ssize_t(answers.size()))
        throw std::runtime_error("write");
    close(in[1]);

    SpawnRequest request;
    request.argv = {CRATERDUEL_BIN};
    request.argv.insert(request.argv.end(), args.begin(), args.end());
    // SDL falls back to other drivers without DISPLAY; a driver that does not exist cannot open.
    request.env = environmentWith({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", "none"}});
    request.stdinFd = in[0];
    request.stdoutFd = out[1];
    request.stderrFd = err[1];
    const pid_t pid = spawn(request);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // The texts are far smaller than a pipe holds, so reading after the exit cannot block it.
    Outcome outcome;
    const auto status = waitForExit(pid, milliseconds(10000));
    if (!status) stopProcess(pid, SIGKILL);
    outcome.out = drain(out[0]);
    outcome.err = drain(err[0]);
    if (status && WIFEXITED(*status)) outcome.status = WEXITSTATUS(*status);
    return outcome;
}

TEST(OptionsE2E, HelpGoesToStandardOutput) {
    const Outcome run = runGame({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: craterduel [--help | --version]\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("man 6 craterduel\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(OptionsE2E, VersionIsTheProjectVersion) {
    const Outcome run = runGame({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "craterduel (Crater Duel) " CRATERDUEL_VERSION "\n");
    EXPECT_EQ(run.err, "");
}

TEST(OptionsE2E, AnythingElseIsRefusedBeforeAnyPrompt) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    for (const Case& c : {Case{{"--fullscreen"}, "--fullscreen"}, Case{{"800", "600"}, "800"},
                          Case{{"--help", "-x"}, "-x"}}) {
        const Outcome run = runGame(c.args);
        EXPECT_EQ(run.status, 2) << c.named;
        EXPECT_EQ(run.out, "") << "nothing on standard output, no prompt";
        EXPECT_EQ(run.err, "craterduel: unknown argument '" + c.named + "'; try 'craterduel --help'\n");
    }
}

TEST(OptionsE2E, WithoutArgumentsItStillAsksFirst) {
    const Outcome run = runGame({});
    EXPECT_EQ(run.status, 1) << "no display here, so the run ends after the dialogue";
    EXPECT_EQ(run.out, "Graphics Width: Graphics Height: Graphics Mode (0 = windowed, 1 = full screen) : ");
    EXPECT_EQ(run.err.rfind("craterduel: cannot open a 800x600 window: ", 0), 0u) << run.err;
}

}  // namespace
}  // namespace e2e
