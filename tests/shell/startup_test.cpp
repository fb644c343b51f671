// startup_test.cpp -- the console dialogue, opening the display and the starting state
#include <gtest/gtest.h>

#include <string>

#include "platform/input.h"
#include "shell/game.h"
#include "shell/startup.h"
#include "support/scripted_system.h"

namespace {

using testing_support::ScriptedSystem;

const std::string allPrompts =
    "Graphics Width: Graphics Height: Graphics Mode (0 = windowed, 1 = full screen) : ";

// Presses Escape before the first frame, so run() returns right after start-up.
void escapeAtOnce(ScriptedSystem& sys) {
    sys.events = [](platform::Input& in) { in.keyEvent(platform::vk::escape, true, false); };
}

TEST(Startup, TranscriptOfAWindowedStart) {
    ScriptedSystem sys("800\n600\n0\n");
    escapeAtOnce(sys);
    EXPECT_EQ(shell::run(sys), 0);
    EXPECT_EQ(sys.out, allPrompts + "50\n38\n");
    EXPECT_EQ(sys.err, "");
    EXPECT_FALSE(sys.fullScreen);
    EXPECT_TRUE(sys.presentTimes.empty())
        << "Escape before the first frame ends the run before anything is shown";
    EXPECT_EQ(sys.closes, 1) << "the display is closed before the program ends";
    EXPECT_TRUE(sys.pointerMoves.empty()) << "a window leaves the pointer alone";
}

TEST(Startup, FullScreenForAnyModeButZeroWithThePointerCentred) {
    for (const char* mode : {"1", "2", "-1"}) {
        ScriptedSystem sys(std::string("801\n601\n") + mode + "\n");
        escapeAtOnce(sys);
        EXPECT_EQ(shell::run(sys), 0);
        EXPECT_TRUE(sys.fullScreen) << mode;
        ASSERT_EQ(sys.pointerMoves.size(), 1u);
        EXPECT_EQ(sys.pointerMoves[0], std::make_pair(400, 300));
    }
}

struct EndOfInputCase {
    const char* input;
    std::string promptsSeen;
};

class EndOfInput : public ::testing::TestWithParam<EndOfInputCase> {};

TEST_P(EndOfInput, StopsWithTheMessageAndMinusOne) {
    ScriptedSystem sys(GetParam().input);
    EXPECT_EQ(shell::run(sys), 255);
    EXPECT_EQ(sys.err, "Error reading from stream") << "no line break after the message";
    EXPECT_EQ(sys.out, GetParam().promptsSeen);
    EXPECT_EQ(sys.opens, 0);
}

INSTANTIATE_TEST_SUITE_P(AtEachPrompt, EndOfInput,
                         ::testing::Values(EndOfInputCase{"", "Graphics Width: "},
                                           EndOfInputCase{"800", "Graphics Width: "},
                                           EndOfInputCase{"800\n", "Graphics Width: Graphics Height: "},
                                           EndOfInputCase{"800\n600\n", allPrompts},
                                           EndOfInputCase{"800\n600\n0", allPrompts}));

struct BadSizeCase {
    const char* input;
    const char* named;
};

class BadSize : public ::testing::TestWithParam<BadSizeCase> {};

TEST_P(BadSize, OneClearLineAndStatusOneWithoutAskingTheDisplay) {
    ScriptedSystem sys(GetParam().input);
    EXPECT_EQ(shell::run(sys), 1);
    EXPECT_NE(sys.err.find(GetParam().named), std::string::npos) << sys.err;
    EXPECT_EQ(sys.err.find('\n'), sys.err.size() - 1) << "exactly one line: " << sys.err;
    EXPECT_EQ(sys.opens, 0);
    EXPECT_TRUE(sys.presentTimes.empty());
    EXPECT_EQ(sys.out, allPrompts) << "no grid size for a display that never opened";
}

INSTANTIATE_TEST_SUITE_P(Sizes, BadSize,
                         ::testing::Values(BadSizeCase{"abc\n600\n0\n", "0x600 window"},
                                           BadSizeCase{"800\n0\n0\n", "800x0 window"},
                                           BadSizeCase{"-5\n600\n1\n", "-5x600 full screen"},
                                           BadSizeCase{"100000\n100000\n0\n", "100000x100000 window"},
                                           BadSizeCase{"2147483647\n1\n0\n", "2147483647x1 window"},
                                           BadSizeCase{"$FFFFFFFF\n10\n0\n", "-1x10 window"}));

TEST(Startup, ADisplayThatRefusesGivesItsReasonAndNothingIsDrawn) {
    ScriptedSystem sys("800\n600\n1\n");
    sys.openProblem = "the screen has no 800x600 mode";
    EXPECT_EQ(shell::run(sys), 1);
    EXPECT_EQ(sys.err, "craterduel: cannot open a 800x600 full screen: the screen has no 800x600 mode\n");
    EXPECT_TRUE(sys.presentTimes.empty());
    EXPECT_TRUE(sys.pointerMoves.empty());
}

struct GridSizeCase {
    int width, height;
    int cols, rows;
};

class GridSize : public ::testing::TestWithParam<GridSizeCase> {};

TEST_P(GridSize, RoundsUpAndPlacesTheFighters) {
    const auto c = GetParam();
    ScriptedSystem sys(std::to_string(c.width) + "\n" + std::to_string(c.height) + "\n0\n");
    sys.clock = 123456;
    shell::Game game(sys);
    ASSERT_EQ(shell::openDisplay(game, {c.width, c.height, 0}), "");
    shell::setUp(game);
    EXPECT_EQ(sys.out, std::to_string(c.cols) + "\n" + std::to_string(c.rows) + "\n");
    EXPECT_EQ(game.cols, c.cols);
    EXPECT_EQ(game.rows, c.rows);
    EXPECT_EQ(game.grid.size(), std::size_t(c.cols * c.rows));
    EXPECT_EQ(game.p1x, c.width - 80);
    EXPECT_EQ(game.p2x, 80);
    EXPECT_EQ(game.p1y, c.height / 2);
    EXPECT_EQ(game.p2y, c.height / 2);
    EXPECT_EQ(game.p1health, 100);
    EXPECT_EQ(game.p2health, 100);
    EXPECT_EQ(game.p1shot, 123456);
    EXPECT_EQ(game.p2shot, 123456);
    EXPECT_EQ(game.winner, 0);
    EXPECT_TRUE(game.bulletList.empty());
}

INSTANTIATE_TEST_SUITE_P(Displays, GridSize,
                         ::testing::Values(GridSizeCase{800, 600, 50, 38}, GridSizeCase{816, 601, 51, 38},
                                           GridSizeCase{817, 608, 52, 38}, GridSizeCase{1, 1, 1, 1},
                                           GridSizeCase{97, 31, 7, 2}, GridSizeCase{1920, 1080, 120, 68}));

}  // namespace
