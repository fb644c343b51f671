// mode_switch_e2e_test.cpp -- the full screen on a server that really switches modes, and every way back
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <thread>

#include "arena_view.h"
#include "xorg_fixture.h"

namespace e2e {
namespace {

using ModeSwitch = XorgFixture;

std::string grid(int width, int height) {
    return std::to_string((width + 15) / 16) + "\n" + std::to_string((height + 15) / 16) + "\n";
}

std::string answers(int width, int height) {
    return std::to_string(width) + "\n" + std::to_string(height) + "\n1\n";
}

// Polls until both fighters are drawn where they start; says where they were seen otherwise.
::testing::AssertionResult showsBothFighters(XServer& x, Window win, int width, int height) {
    const Point red{width - 80, height / 2}, cyan{80, height / 2};
    std::optional<Point> seenRed, seenCyan;
    auto img = x.waitForPixels(
        win,
        [&](const Image& i) {
            seenRed = findCross(i, kRed);
            seenCyan = findCross(i, kCyan);
            return seenRed == red && seenCyan == cyan;
        },
        kWindowDeadline);
    if (img) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "red at " << (seenRed ? describe(*seenRed) : "nowhere")
                                         << ", cyan at " << (seenCyan ? describe(*seenCyan) : "nowhere");
}

// ---------------------------------------------------------------------------
// The screen shows exactly the mode asked, the window covers it from its origin, the pointer
// starts at its centre; Escape gives the desktop its own mode back.

struct Screen {
    int width, height;
    bool windowManager;
};

void PrintTo(const Screen& s, std::ostream* os) {
    *os << s.width << "x" << s.height << (s.windowManager ? " under openbox" : " alone");
}

class FullScreenMode : public ModeSwitch, public ::testing::WithParamInterface<Screen> {};

TEST_P(FullScreenMode, CoversTheScreenInExactlyThatModeAndGivesItBack) {
    const Screen s = GetParam();
    startXorg(s.windowManager);
    ASSERT_EQ(mode(), kDesktopMode);
    x_->movePointer(17, 23);
    auto win = openWindow(answers(s.width, s.height));
    ASSERT_TRUE(win) << launchProblem_;

    const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
    EXPECT_EQ(mode(), size);
    EXPECT_EQ(describe(x_->clientRect(*win)), describe(Rect{0, 0, s.width, s.height}));
    const Point centre{s.width / 2, s.height / 2};
    const auto end = Clock::now() + kWindowDeadline;
    while (!(x_->pointer() == centre) && Clock::now() < end) std::this_thread::sleep_for(milliseconds(10));
    EXPECT_EQ(describe(x_->pointer()), describe(centre));
    ASSERT_TRUE(game_->waitForOut(grid(s.width, s.height), kWindowDeadline)) << game_->out();
    EXPECT_TRUE(showsBothFighters(*x_, *win, s.width, s.height));

    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
    EXPECT_EQ(waitForMode(kDesktopMode), kDesktopMode);
    EXPECT_EQ(game_->err(), "");
    EXPECT_EQ(game_->out(), std::string(kPrompts) + grid(s.width, s.height));
}

INSTANTIATE_TEST_SUITE_P(Modes, FullScreenMode,
                         ::testing::Values(Screen{800, 600, false}, Screen{1024, 768, false},
                                           Screen{640, 480, false}, Screen{1920, 1080, false},
                                           Screen{800, 600, true}, Screen{1920, 1080, true}),
                         [](const auto& info) {
                             const Screen& s = info.param;
                             return std::to_string(s.width) + "x" + std::to_string(s.height) +
                                    (s.windowManager ? "UnderOpenbox" : "Alone");
                         });

// ---------------------------------------------------------------------------
// Escape and each stop signal end the run with its own status, the desktop mode put back first.

struct Ending {
    const char* name;
    int signal;  // 0 for Escape
    int code;
};

void PrintTo(const Ending& e, std::ostream* os) { *os << e.name << " -> " << e.code; }

class FullScreenEnding : public ModeSwitch, public ::testing::WithParamInterface<Ending> {};

TEST_P(FullScreenEnding, PutsTheDesktopModeBack) {
    const Ending e = GetParam();
    startXorg(false);
    auto win = openWindow(answers(800, 600));
    ASSERT_TRUE(win) << launchProblem_;
    ASSERT_TRUE(game_->waitForOut(grid(800, 600), kWindowDeadline)) << game_->out();
    ASSERT_EQ(mode(), "800x600");

    x_->keyDown("Left");
    std::this_thread::sleep_for(milliseconds(100));
    if (e.signal == 0) {
        pressEscape();
    } else {
        game_->sendSignal(e.signal);
    }
    EXPECT_TRUE(exitsWith(*game_, e.code));
    x_->keyUp("Left");
    // The game is gone, so nothing but the game itself can have put the mode back.
    EXPECT_EQ(mode(), kDesktopMode);
    EXPECT_EQ(game_->err(), "");
}

INSTANTIATE_TEST_SUITE_P(Ways, FullScreenEnding,
                         ::testing::Values(Ending{"Escape", 0, 0}, Ending{"Sigint", SIGINT, 130},
                                           Ending{"Sigterm", SIGTERM, 143}, Ending{"Sighup", SIGHUP, 129},
                                           Ending{"Sigquit", SIGQUIT, 131}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

TEST_F(ModeSwitch, AModeTheScreenLacksFailsInOneLineAndLeavesTheDesktopAlone) {
    startXorg(false);
    startGame("1000\n700\n1\n");
    EXPECT_TRUE(exitsWith(*game_, 1));
    EXPECT_EQ(mode(), kDesktopMode);
    const std::string err = game_->err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "stderr: \"" << err << "\"";
    EXPECT_EQ(err.rfind("craterduel: cannot open a 1000x700 full screen: ", 0), 0u)
        << "stderr: \"" << err << "\"";
    EXPECT_EQ(game_->out(), kPrompts);
    EXPECT_TRUE(x_->takeMappedWindows().empty()) << "a window was opened";
}

TEST_F(ModeSwitch, AnotherWindowTakingTheFocusGivesTheDesktopBackUntilTheGameReturns) {
    startXorg(true);
    auto win = openWindow(answers(800, 600));
    ASSERT_TRUE(win) << launchProblem_;
    ASSERT_EQ(mode(), "800x600");

    auto term = x_->startXterm(kWindowDeadline);
    ASSERT_TRUE(term) << "no xterm";
    activate(*term);
    EXPECT_EQ(waitForMode(kDesktopMode), kDesktopMode) << "the desktop stayed in the game's mode";
    // The game steps aside (it is minimized); asked back before that is done, it would be
    // minimized again after coming back.
    const auto end = Clock::now() + kWindowDeadline;
    while (x_->isViewable(*win) && Clock::now() < end) std::this_thread::sleep_for(milliseconds(20));
    ASSERT_FALSE(x_->isViewable(*win)) << "the game's window stayed on the screen";

    activate(*win);
    EXPECT_EQ(waitForMode("800x600"), "800x600") << "the game came back without its mode";
    ASSERT_TRUE(focusGame(*win));
    EXPECT_EQ(describe(x_->clientRect(*win)), describe(Rect{0, 0, 800, 600}));
    EXPECT_TRUE(showsBothFighters(*x_, *win, 800, 600)) << "the arena was not drawn again";
    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
    EXPECT_EQ(mode(), kDesktopMode);
}

// `craterduel | head -c 5`: the reader goes, the game plays on, drops the lines it cannot write,
// and still ends with the desktop's own mode.
TEST_F(ModeSwitch, AConsoleReaderThatGoesAwayLeavesTheGamePlaying) {
    startXorg(false);
    auto win = openWindow(answers(800, 600));
    ASSERT_TRUE(win) << launchProblem_;
    ASSERT_TRUE(game_->waitForOut(grid(800, 600), kWindowDeadline)) << game_->out();

    game_->closeOutput();
    x_->click(*win, 400, 300);  // its position is the next line written
    std::this_thread::sleep_for(milliseconds(300));
    ASSERT_TRUE(game_->running()) << "the click's line ended the run";
    EXPECT_EQ(mode(), "800x600");
    x_->click(*win, 200, 200);
    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
    EXPECT_EQ(mode(), kDesktopMode);
    EXPECT_EQ(game_->err(), "");
}

}  // namespace
}  // namespace e2e
