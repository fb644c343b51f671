// shell_e2e_test.cpp -- start-up questions, window placement and the ways a run ends, in a real X window
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <regex>
#include <thread>

#include "game_fixture.h"

namespace e2e {
namespace {

using ShellE2E = GameFixture;

// ---------------------------------------------------------------------------
// A windowed run sits centred (each half truncated) and cannot be resized.

struct Placement {
    int width, height;
    int left, top;                    // expected on a 1280x1024 screen
    std::optional<const char*> grid;  // the columns and rows printed, where this case checks them
};

void PrintTo(const Placement& p, std::ostream* os) {
    *os << p.width << "x" << p.height << " at (" << p.left << ", " << p.top << ")";
}

class WindowPlacement : public ShellE2E, public ::testing::WithParamInterface<Placement> {};

TEST_P(WindowPlacement, IsCentredAndFixedWithGridPrinted) {
    const Placement p = GetParam();
    startServer(1280, 1024);
    auto win = openWindow(std::to_string(p.width) + "\n" + std::to_string(p.height) + "\n0\n");
    ASSERT_TRUE(win) << launchProblem_;

    EXPECT_EQ(describe(x_->clientRect(*win)), describe(Rect{p.left, p.top, p.width, p.height}));
    auto limits = x_->sizeLimits(*win);
    ASSERT_TRUE(limits) << "the window does not give both a minimum and a maximum size";
    EXPECT_EQ(describe(limits->first), describe(Rect{0, 0, p.width, p.height}));
    EXPECT_EQ(describe(limits->second), describe(Rect{0, 0, p.width, p.height}));

    if (p.grid) {
        game_->waitForOut(*p.grid, kWindowDeadline);
        EXPECT_EQ(game_->out(), std::string(kPrompts) + *p.grid);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowPlacement,
                         ::testing::Values(Placement{800, 600, 240, 212, "50\n38\n"},
                                           Placement{640, 480, 320, 272, "40\n30\n"},
                                           Placement{333, 257, 474, 384, std::nullopt}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

// ---------------------------------------------------------------------------
// Escape, Ctrl+C, kill, a closed terminal and SIGQUIT each end the run with its own status, printing
// nothing more.

struct Ending {
    const char* name;
    std::function<void(XServer&, GameProcess&)> act;
    int code;
};

void PrintTo(const Ending& e, std::ostream* os) { *os << e.name << " -> " << e.code; }

class RunEnding : public ShellE2E, public ::testing::WithParamInterface<Ending> {};

TEST_P(RunEnding, ExitsWithItsStatus) {
    startServer(1280, 1024);
    auto win = openWindow("800\n600\n0\n");
    ASSERT_TRUE(win) << launchProblem_;
    ASSERT_TRUE(game_->waitForOut("50\n38\n", kWindowDeadline)) << game_->out();

    GetParam().act(*x_, *game_);
    EXPECT_TRUE(exitsWith(*game_, GetParam().code));
    EXPECT_EQ(game_->out(), std::string(kPrompts) + "50\n38\n");
}

INSTANTIATE_TEST_SUITE_P(
    Ways, RunEnding,
    ::testing::Values(Ending{"Escape",
                             [](XServer& x, GameProcess&) { x.holdKey("Escape", milliseconds(100)); }, 0},
                      Ending{"Sigint", [](XServer&, GameProcess& g) { g.sendSignal(SIGINT); }, 130},
                      Ending{"Sigterm", [](XServer&, GameProcess& g) { g.sendSignal(SIGTERM); }, 143},
                      Ending{"Sighup", [](XServer&, GameProcess& g) { g.sendSignal(SIGHUP); }, 129},
                      Ending{"Sigquit", [](XServer&, GameProcess& g) { g.sendSignal(SIGQUIT); }, 131}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellE2E, CloseRequestLeavesTheRunGoing) {
    startServer(1280, 1024);
    auto win = openWindow("800\n600\n0\n");
    ASSERT_TRUE(win) << launchProblem_;

    x_->requestClose(*win);
    std::this_thread::sleep_for(milliseconds(500));
    ASSERT_TRUE(game_->running()) << "the close request ended the run; stderr: " << game_->err();
    EXPECT_TRUE(x_->isViewable(*win)) << "the close request took the window down";

    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

// ---------------------------------------------------------------------------
// Input that ends before an answer's line feed is an error, before any window.

struct CutInput {
    const char* name;
    const char* sent;  // then stdin is closed
};

void PrintTo(const CutInput& c, std::ostream* os) { *os << ::testing::PrintToString(c.sent); }

class CutShortInput : public ShellE2E, public ::testing::WithParamInterface<CutInput> {};

TEST_P(CutShortInput, FailsWith255AndNoWindow) {
    startServer(1280, 1024);
    startGame(GetParam().sent, /*endInput=*/true);
    EXPECT_TRUE(exitsWith(*game_, 255));
    EXPECT_EQ(game_->err(), "Error reading from stream");
    EXPECT_TRUE(x_->takeMappedWindows().empty()) << "a window was opened";
}

INSTANTIATE_TEST_SUITE_P(Inputs, CutShortInput,
                         ::testing::Values(CutInput{"NothingAtAll", ""},
                                           CutInput{"AfterTwoAnswers", "800\n600\n"},
                                           CutInput{"LastAnswerWithoutLineFeed", "800\n600\n0"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A size the display cannot give is one line on stderr naming it, status 1, no window.

struct BadSize {
    const char* name;
    const char* answers;
    const char* size;  // as it must appear in the message
};

void PrintTo(const BadSize& b, std::ostream* os) { *os << ::testing::PrintToString(b.answers); }

class UnopenableSize : public ShellE2E, public ::testing::WithParamInterface<BadSize> {};

// "0x600" also occurs inside "800x600", so the size must stand on its own.
bool namesSize(const std::string& text, const std::string& size) {
    return std::regex_search(text, std::regex("(^|[^0-9-])" + size + "([^0-9]|$)"));
}

TEST_P(UnopenableSize, FailsWithOneLineNamingIt) {
    const BadSize p = GetParam();
    startServer(1280, 1024);
    startGame(p.answers);
    EXPECT_TRUE(exitsWith(*game_, 1));
    const std::string err = game_->err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "stderr: \"" << err << "\"";
    EXPECT_TRUE(!err.empty() && err.back() == '\n') << "stderr: \"" << err << "\"";
    EXPECT_TRUE(namesSize(err, p.size)) << "stderr: \"" << err << "\" does not name " << p.size;
    EXPECT_EQ(game_->out(), kPrompts) << "grid printed for a display that never opened";
    EXPECT_TRUE(x_->takeMappedWindows().empty()) << "a window was opened";
}

INSTANTIATE_TEST_SUITE_P(Sizes, UnopenableSize,
                         ::testing::Values(BadSize{"ZeroWidth", "0\n600\n0\n", "0x600"},
                                           BadSize{"ZeroHeight", "800\n0\n0\n", "800x0"},
                                           BadSize{"NegativeWidth", "-16\n600\n0\n", "-16x600"},
                                           BadSize{"AbsurdWidth", "100000\n600\n0\n", "100000x600"},
                                           // The screen is 1280x1024 and Xvfb has no other mode.
                                           BadSize{"FullScreenModeMissing", "800\n600\n1\n", "800x600"},
                                           BadSize{"AnyNonZeroModeIsFullScreen", "800\n600\n2\n", "800x600"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

TEST_F(ShellE2E, FullScreenCoversTheScreenAndCentresThePointer) {
    startServer(800, 600);
    // Xvfb starts with the pointer at its centre already; move it off so the check means something.
    x_->movePointer(17, 23);
    auto win = openWindow("800\n600\n1\n");
    ASSERT_TRUE(win) << launchProblem_;

    EXPECT_EQ(describe(x_->clientRect(*win)), describe(Rect{0, 0, 800, 600}));
    const auto end = Clock::now() + kWindowDeadline;
    while (!(x_->pointer() == Point{400, 300}) && Clock::now() < end) {
        std::this_thread::sleep_for(milliseconds(10));
    }
    EXPECT_EQ(describe(x_->pointer()), describe(Point{400, 300}));
    game_->waitForOut("50\n38\n", kWindowDeadline);
    EXPECT_EQ(game_->out(), std::string(kPrompts) + "50\n38\n");

    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

}  // namespace
}  // namespace e2e
