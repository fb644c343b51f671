// game_process.h -- the game binary as a child: answers on stdin, captured stdout/stderr, exit status
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "child_process.h"

namespace e2e {

// What the game prints before it opens the display.
inline constexpr std::string_view kPrompts =
    "Graphics Width: Graphics Height: Graphics Mode (0 = windowed, 1 = full screen) : ";

// How the game is started beyond its display and answers.
struct Launch {
    std::map<std::string, std::string> env;  // set on top of the display's; "" removes a name
    std::vector<int> ignoredSignals;         // see SpawnRequest
};

class GameProcess {
public:
    // Starts the game on X display `display` ("" for none) and writes `answers` to its stdin.
    // With `endInput` the game's stdin is closed right after the answers.
    GameProcess(const std::string& display, std::string_view answers, bool endInput = false,
                const Launch& launch = {});
    ~GameProcess();  // a game still running here is killed
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Writes more of stdin, e.g. the last answer once the game is seen waiting for it.
    void send(std::string_view text);
    void closeInput();
    // Stops reading the game's stdout and closes it, as a reader that goes away does
    // (`craterduel | head`); what the game writes after that fails.
    void closeOutput();
    void sendSignal(int sig);

    std::string out();
    std::string err();
    // Waits until stdout contains `text`; false at the deadline.
    bool waitForOut(std::string_view text, milliseconds deadline);

    bool running();
    // The wait status once the game has ended; at the deadline the game is
    // killed so a stuck run never hangs the suite, and nullopt is returned.
    std::optional<int> waitExit(milliseconds deadline);

private:
    void readOutput();
    // Lets the reader finish on its own for up to `grace`, then stops it.
    void stopReader(milliseconds grace);

    pid_t pid_ = -1;
    bool reaped_ = false;
    std::optional<int> status_;  // empty after a reap if the game had to be killed
    int stdin_ = -1, stdout_ = -1, stderr_ = -1;
    std::mutex mutex_;
    std::condition_variable grew_;
    std::string out_, err_;
    bool stopReading_ = false;
    bool dropOut_ = false;
    bool readerDone_ = false;
    std::thread reader_;
};

// Passes when the game exits normally with `code` before the deadline; the
// failure message carries what happened instead and what the game wrote to stderr.
::testing::AssertionResult exitsWith(GameProcess& game, int code, milliseconds deadline = milliseconds(5000));

}  // namespace e2e
