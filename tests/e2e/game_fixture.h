// game_fixture.h -- a fresh Xvfb and a game on it for each test, with the launch sequence every test shares
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "game_process.h"
#include "x_server.h"

namespace e2e {

inline constexpr milliseconds kWindowDeadline{5000};

// SDL reports focus-gained about 200 ms after X moves the focus, and the game drops presses
// it has not read yet when focus changes; nothing outside shows when that has happened, so
// this is the one wait that cannot poll.
inline constexpr milliseconds kFocusSettle{350};

class GameFixture : public ::testing::Test {
protected:
    void startServer(int width, int height) { x_ = std::make_unique<XServer>(width, height); }

    void startGame(std::string_view answers, bool endInput = false) {
        game_ = std::make_unique<GameProcess>(x_->name(), answers, endInput);
    }

    // Starts the game and waits until its window is up, settled and focused, so keys
    // reach it. On failure `launchProblem_` says which step failed, with the game's stderr.
    std::optional<Window> openWindow(std::string_view answers) {
        startGame(answers);
        auto win = x_->waitForSettledWindowOf(game_->pid(), milliseconds(300), kWindowDeadline);
        if (!win) {
            launchProblem_ = std::string("no settled window (the game is ") +
                             (game_->running() ? "running" : "gone") + ", and has " +
                             (x_->findWindowOf(game_->pid()) ? "a" : "no") + " viewable window)";
        } else if (!focusGame(*win)) {
            launchProblem_ = "the window never took the focus";
            win.reset();
        }
        if (!win) launchProblem_ += "; stderr: \"" + game_->err() + "\"";
        return win;
    }

    // Gives the game's window the focus and waits until the game has taken it in.
    bool focusGame(Window win) {
        if (!x_->focus(win, kWindowDeadline)) return false;
        std::this_thread::sleep_for(kFocusSettle);
        return true;
    }

    void pressEscape() { x_->holdKey("Escape", milliseconds(100)); }

    std::unique_ptr<XServer> x_;  // declared first so the game goes before its server
    std::unique_ptr<GameProcess> game_;
    std::string launchProblem_;
};

inline std::string describe(const std::optional<Rect>& r) {
    if (!r) return "no window";
    return std::to_string(r->width) + "x" + std::to_string(r->height) + " at (" + std::to_string(r->x) +
           ", " + std::to_string(r->y) + ")";
}

inline std::string describe(const Rect& r) { return describe(std::optional<Rect>(r)); }

inline std::string describe(const Point& p) {
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}

}  // namespace e2e
