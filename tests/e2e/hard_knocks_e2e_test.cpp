// hard_knocks_e2e_test.cpp -- full-screen signals, sizes that cannot open, the tiniest windows
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "arena_view.h"
#include "game_fixture.h"

namespace e2e {
namespace {

using HardKnocks = GameFixture;

// ---------------------------------------------------------------------------
// Ctrl+C and kill on the full screen: the display is given back, then the status reports it.

struct Interrupt {
    const char* name;
    int signal;
    int code;
};

void PrintTo(const Interrupt& i, std::ostream* os) { *os << i.name << " -> " << i.code; }

class FullScreenInterrupted : public HardKnocks, public ::testing::WithParamInterface<Interrupt> {};

TEST_P(FullScreenInterrupted, ClosesCleanlyWithTheSignalsStatus) {
    startServer(800, 600);
    auto win = openWindow("800\n600\n1\n");
    ASSERT_TRUE(win) << launchProblem_;
    ASSERT_TRUE(game_->waitForOut("50\n38\n", kWindowDeadline)) << game_->out();
    ASSERT_EQ(describe(x_->clientRect(*win)), describe(Rect{0, 0, 800, 600}));

    // Mid-game, with a fighter walking and shooting.
    x_->keyDown("Left");
    x_->keyDown("j");
    std::this_thread::sleep_for(milliseconds(200));
    game_->sendSignal(GetParam().signal);
    EXPECT_TRUE(exitsWith(*game_, GetParam().code, milliseconds(3000)));
    x_->keyUp("j");
    x_->keyUp("Left");
    // A sanitizer report or a warning from closing the display would show here.
    EXPECT_EQ(game_->err(), "");
    EXPECT_EQ(game_->out(), std::string(kPrompts) + "50\n38\n");
}

INSTANTIATE_TEST_SUITE_P(Signals, FullScreenInterrupted,
                         ::testing::Values(Interrupt{"Sigint", SIGINT, 130},
                                           Interrupt{"Sigterm", SIGTERM, 143},
                                           Interrupt{"Sighup", SIGHUP, 129},
                                           Interrupt{"Sigquit", SIGQUIT, 131}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A size that cannot open fails at once after the last answer, in one line, with no window.

struct Unopenable {
    const char* name;
    const char* size;  // the first two answers
    const char* mode;
    const char* said;  // how the message names what was asked for
};

void PrintTo(const Unopenable& u, std::ostream* os) { *os << u.said; }

class UnopenableDisplay : public HardKnocks, public ::testing::WithParamInterface<Unopenable> {};

TEST_P(UnopenableDisplay, FailsWithinASecondOfTheLastAnswer) {
    const Unopenable& p = GetParam();
    startServer(1280, 1024);
    startGame(p.size);
    // All three prompts shown: the game is waiting for the mode, the last answer.
    ASSERT_TRUE(game_->waitForOut(kPrompts, kWindowDeadline)) << game_->out();
    const auto answered = Clock::now();
    game_->send(std::string(p.mode) + "\n");
    while (game_->running() && Clock::now() - answered < milliseconds(3000)) {
        std::this_thread::sleep_for(milliseconds(2));
    }
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - answered);
    RecordProperty("ms_after_last_answer", static_cast<int>(took.count()));

    EXPECT_TRUE(exitsWith(*game_, 1));
    EXPECT_LT(took.count(), 1000) << "ended " << took.count() << " ms after the last answer";
    const std::string err = game_->err();
    const std::string head = std::string("craterduel: cannot open a ") + p.said + ": ";
    EXPECT_EQ(err.substr(0, head.size()), head) << "stderr: \"" << err << "\"";
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "stderr: \"" << err << "\"";
    EXPECT_TRUE(!err.empty() && err.back() == '\n') << "stderr: \"" << err << "\"";
    EXPECT_EQ(game_->out(), kPrompts);
    EXPECT_TRUE(x_->takeMappedWindows().empty()) << "a window was opened";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, UnopenableDisplay,
    ::testing::Values(Unopenable{"ZeroWidth", "0\n600\n", "0", "0x600 window"},
                      Unopenable{"HugeBothWays", "100000\n100000\n", "0", "100000x100000 window"},
                      Unopenable{"WidestInt", "2147483647\n1\n", "0", "2147483647x1 window"},
                      Unopenable{"WidestIntFullScreen", "2147483647\n1\n", "1", "2147483647x1 full screen"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Windows smaller than a fighter, or than one cell, still play: both fighters pushed against
// a wall that lies mostly outside the grid, shots and clicks at the very edge.

struct Tiny {
    int width, height;
};

void PrintTo(const Tiny& t, std::ostream* os) { *os << t.width << "x" << t.height; }

class TinyWindow : public HardKnocks, public ::testing::WithParamInterface<Tiny> {};

const char* const kAllGameKeys[] = {"Left", "Right", "Up", "Down", "j", "i", "l", "k",
                                    "f",    "h",     "t",  "g",    "a", "w", "d", "s"};

TEST_P(TinyWindow, PlaysASecondWithEveryKeyHeldAndEndsCleanly) {
    const Tiny t = GetParam();
    startServer(1280, 1024);
    auto win = openWindow(std::to_string(t.width) + "\n" + std::to_string(t.height) + "\n0\n");
    ASSERT_TRUE(win) << launchProblem_;
    auto client = x_->clientRect(*win);
    ASSERT_TRUE(client);
    EXPECT_EQ(client->width, t.width);
    EXPECT_EQ(client->height, t.height);
    const std::string grid =
        std::to_string((t.width + 15) / 16) + "\n" + std::to_string((t.height + 15) / 16) + "\n";
    ASSERT_TRUE(game_->waitForOut(grid, kWindowDeadline)) << game_->out();

    // The first click brings the pointer in before any key is down; the others stay inside.
    const std::vector<Point> clicks{{t.width / 2, t.height / 2}, {0, 0}, {t.width - 1, t.height - 1}};
    ASSERT_TRUE(clickAll(*x_, *win, *game_, {clicks[0]}));
    for (const char* key : kAllGameKeys) x_->keyDown(key);
    std::this_thread::sleep_for(milliseconds(300));
    ASSERT_TRUE(clickAll(*x_, *win, *game_, {clicks[1], clicks[2]}));
    std::this_thread::sleep_for(milliseconds(600));
    for (const char* key : kAllGameKeys) x_->keyUp(key);

    ASSERT_TRUE(game_->running()) << "stderr: \"" << game_->err() << "\"";
    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
    EXPECT_EQ(game_->err(), "");
    std::string printed;
    for (const Point& c : clicks) printed += coordinates(c);
    EXPECT_EQ(game_->out(), std::string(kPrompts) + grid + printed);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TinyWindow,
                         ::testing::Values(Tiny{1, 1}, Tiny{16, 16}, Tiny{33, 33}, Tiny{97, 31}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

}  // namespace
}  // namespace e2e
