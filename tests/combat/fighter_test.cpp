// fighter_test.cpp -- walking, push-out, drawing and the defeat check
#include <gtest/gtest.h>

#include <string>

#include "combat/fighter.h"
#include "platform/input.h"
#include "shell/frame.h"
#include "support/test_game.h"

namespace {

using testing_support::TestGame;
namespace vk = platform::vk;

// Holds the keys, runs the red fighter's turn the given number of times, lets go.
void walkRed(TestGame& t, std::initializer_list<int> keys, int turns) {
    for (int k : keys) t.hold(k);
    for (int n = 0; n < turns; ++n) combat::updatePlayer1(t.game);
    for (int k : keys) t.release(k);
}

struct WalkCase {
    const char* name;
    std::initializer_list<int> keys;
    std::int32_t startX, startY;
    std::int32_t endX, endY;
    int turns = 60;
};

TEST(Fighter, WalksAndStopsAgainstTerrainAndTheWall) {
    // One solid cell at (20, 20), centre (328, 328), in an otherwise open arena of 50 x 38.
    const WalkCase cases[] = {
        {"left into the cell stops 24 right of its centre", {vk::left}, 388, 328, 352, 328},
        {"right into the cell", {vk::right}, 268, 328, 304, 328},
        {"up into the cell", {vk::up}, 328, 388, 328, 352},
        {"down into the cell", {vk::down}, 328, 268, 328, 304},
        {"left to the border wall", {vk::left}, 200, 100, 32, 100},
        {"right to the border wall", {vk::right}, 600, 100, 768, 100},
        {"up to the border wall", {vk::up}, 100, 200, 100, 32},
        {"down to the border wall (half-visible row)", {vk::down}, 100, 400, 100, 576},
        {"opposite keys cancel", {vk::left, vk::right}, 200, 100, 200, 100},
        {"two keys walk diagonally", {vk::left, vk::up}, 200, 200, 120, 120, 10},
    };
    for (const auto& c : cases) {
        TestGame t(800, 600);
        t.clearInside();
        t.game.cell(20, 20) = 10;
        t.game.p1x = c.startX;
        t.game.p1y = c.startY;
        walkRed(t, c.keys, c.turns);
        EXPECT_EQ(t.game.p1x, c.endX) << c.name;
        EXPECT_EQ(t.game.p1y, c.endY) << c.name;
    }
}

TEST(Fighter, APushAtOneCellCountsForTheCellsTestedAfterIt) {
    TestGame t(800, 600);
    t.clearInside();
    // After a left step to x = 320 the push from cell 19 puts the fighter at 336, where it
    // now overlaps cell 21 too (it did not at 320): the second push takes it on to 368.
    t.game.cell(19, 18) = 10;
    t.game.cell(21, 18) = 10;
    t.game.p1x = 328;
    t.game.p1y = 296;
    walkRed(t, {vk::left}, 1);
    EXPECT_EQ(t.game.p1x, 368);
}

TEST(Fighter, OpposingKeysPushOutOfWhatWasTouchedOnTheWay) {
    TestGame t(800, 600);
    t.clearInside();
    t.game.cell(20, 20) = 10;  // centre (328, 328)
    t.game.p1x = 356;          // the left step reaches 348, inside the 24-pixel reach
    t.game.p1y = 328;
    walkRed(t, {vk::left, vk::right}, 1);
    EXPECT_EQ(t.game.p1x, 360) << "pushed to 352 by the left step, then 8 right";
}

TEST(Fighter, OnTinyDisplaysTheScanNeverReadsOutsideTheGrid) {
    // The 3x3 scan reaches past the grid here. Cells outside count as solid and are never
    // read: the grid accessor asserts its bounds in test builds, so a stray read aborts.
    const std::pair<int, int> sizes[] = {{1, 1},   {16, 16},  {33, 33}, {97, 31},
                                         {96, 32}, {48, 600}, {800, 20}};
    for (auto [w, h] : sizes) {
        TestGame t(w, h);
        const auto terrain = t.game.grid;
        for (int key : {vk::left, vk::right, vk::up, vk::down, int('F'), int('H'), int('T'), int('G')}) {
            t.hold(key);
            for (int n = 0; n < 20; ++n) {
                shell::runFrame(t.game);
                shell::presentFrame(t.game);
            }
            t.release(key);
        }
        EXPECT_EQ(t.game.grid, terrain) << w << "x" << h << ": walking never changes the terrain";
    }
}

// Pixels of a red fighter drawn alone on a black buffer.
TEST(Fighter, CrossDiscAndHealthAreDrawnInPlace) {
    TestGame t(800, 600);
    const int X = 400, Y = 300;
    t.game.p1x = X;
    t.game.p1y = Y;
    t.game.canvas.clear();
    combat::updatePlayer1(t.game);
    const auto& c = t.game.canvas;
    const auto red = platform::rgb(255, 0, 0), black = platform::rgb(0, 0, 0);
    struct Probe {
        int dx, dy;
        bool lit;
    } probes[] = {
        {-16, 0, true},  {-17, 0, false}, {16, 0, true},    {17, 0, false},   // horizontal bar ends
        {-16, -2, true}, {-16, 2, true},  {-16, -3, false}, {-16, 3, false},  // its height
        {0, -16, true},  {0, -17, false}, {0, 16, true},    {0, 17, false},   // vertical bar ends
        {-2, -16, true}, {2, -16, true},  {-3, -16, false}, {3, -16, false},  // its width
        {6, 6, true},    {7, 7, false},   {-5, -5, true},   {-6, -6, false},  // disc centred at (X+1, Y+1)
        {9, 3, true},    {10, 3, false},  {-8, 3, true},    {-9, 3, false},
    };
    for (const auto& p : probes)
        EXPECT_EQ(c.at(X + p.dx, Y + p.dy), p.lit ? red : black) << p.dx << "," << p.dy;

    // The health text: exactly what the font draws for "100" with its top-left at (X-15, Y-30).
    platform::Canvas expected(800, 600);
    expected.setColor(255, 0, 0);
    expected.drawText(X - 15, Y - 30, "100");
    // Rows above the top of the cross hold nothing but the text.
    int lit = 0;
    for (int y = Y - 40; y < Y - 16; ++y)
        for (int x = X - 30; x < X + 30; ++x) {
            ASSERT_EQ(c.at(x, y), expected.at(x, y)) << x << "," << y;
            if (c.at(x, y) != red) continue;
            ++lit;
            EXPECT_TRUE(x >= X - 15 && x <= X + 8 && y >= Y - 30) << x << "," << y;
        }
    EXPECT_GT(lit, 10);
    EXPECT_EQ(c.red(), 255);
    EXPECT_EQ(c.green(), 255) << "colour back to white";
}

struct DefeatCase {
    std::int32_t p1, p2, winnerBefore;
    std::int32_t p1After, p2After, winnerAfter;
};

TEST(DefeatCheck, OrderAndOutcomes) {
    const DefeatCase cases[] = {
        {100, 100, 0, 100, 100, 0}, {0, 50, 0, 0, 50, 2}, {-7, 50, 0, 0, 50, 2},
        {50, -3, 0, 50, 0, 1},      {-1, -1, 0, 0, 0, 1},  // both out: cyan's loss is decided last
        {0, -4, 2, 0, 0, 1},                               // red, out before, is back in play when cyan falls
    };
    for (const auto& c : cases) {
        TestGame t;
        t.game.p1health = c.p1;
        t.game.p2health = c.p2;
        t.game.winner = c.winnerBefore;
        combat::defeatCheck(t.game);
        EXPECT_EQ(t.game.p1health, c.p1After);
        EXPECT_EQ(t.game.p2health, c.p2After);
        EXPECT_EQ(t.game.winner, c.winnerAfter);
    }
}

TEST(DefeatCheck, AFighterAtZeroStillTakesTheRestOfItsFrameThenDropsOut) {
    TestGame t(800, 600);
    t.clearInside();
    t.game.p2health = -4;
    t.hold('H');
    shell::runFrame(t.game);
    EXPECT_EQ(t.game.p2x, 88) << "the cyan fighter still walked this frame";
    // It was drawn with its negative health.
    platform::Canvas expected(800, 600);
    expected.setColor(0, 255, 255);
    expected.drawText(80 - 15, 300 - 30, "-4");
    for (int x = 60; x < 90; ++x) ASSERT_EQ(t.game.canvas.at(x, 275), expected.at(x, 275)) << x;
    EXPECT_EQ(t.game.p2health, 0);
    EXPECT_EQ(t.game.winner, 1);

    shell::runFrame(t.game);
    EXPECT_EQ(t.game.p2x, 88) << "out of play: no longer moves";
    EXPECT_EQ(t.game.canvas.at(88, 300), platform::rgb(0, 0, 0)) << "nor drawn";
}

}  // namespace
