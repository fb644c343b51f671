// grid_test.cpp -- starting terrain, craters, the cell sprite, drawing and clicks
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include "arena/grid.h"
#include "support/test_game.h"

namespace {

using testing_support::TestGame;

int emptyCells(const shell::Game& g) {
    int n = 0;
    for (auto v : g.grid) n += v == 0;
    return n;
}

void expectBorderIntactAndValuesClean(const shell::Game& g) {
    for (std::int32_t i = 0; i < g.cols; ++i) {
        for (std::int32_t j = 0; j < g.rows; ++j) {
            const bool border = i == 0 || j == 0 || i == g.cols - 1 || j == g.rows - 1;
            const auto v = g.cell(i, j);
            if (border) { ASSERT_EQ(v, 10) << "border cell " << i << "," << j; }
            ASSERT_TRUE(v == 0 || v == 10) << i << "," << j << " is " << v;
        }
    }
}

TEST(MakeGrid, BorderRingSurvivesOnEveryShapeOfGrid) {
    // Pixel sizes, from roomy to grids narrower than the crater ranges (3x3, 5x40, 40x5 cells).
    const std::pair<int, int> sizes[] = {{800, 600}, {1920, 1080}, {48, 48}, {80, 640}, {640, 80},
                                         {16, 16},   {1, 1},       {97, 31}, {33, 33}};
    for (auto [w, h] : sizes) {
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            TestGame t(w, h, seed);
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " seed " + std::to_string(seed));
            expectBorderIntactAndValuesClean(t.game);
        }
    }
}

TEST(MakeGrid, ClearsBothStartingAreasWhole) {
    // Every inner cell within radius 5 of (cols - 6, rows / 2) and of (5, rows / 2): the fighters
    // stand in them. Random craters clear cells too, so a clearing off by one column shows only
    // in the ring at its edge, and only on the seeds whose craters miss that ring.
    for (auto [w, h] : {std::pair{800, 600}, std::pair{333, 257}, std::pair{1920, 1080}}) {
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            TestGame t(w, h, seed);
            const auto& g = t.game;
            for (const std::int32_t ci : {g.cols - 6, 5})
                for (std::int32_t di = -5; di <= 5; ++di)
                    for (std::int32_t dj = -5; dj <= 5; ++dj) {
                        const std::int32_t i = ci + di, j = g.rows / 2 + dj;
                        if (di * di + dj * dj > 25 || i < 1 || j < 1 || i > g.cols - 2 || j > g.rows - 2)
                            continue;
                        ASSERT_EQ(g.cell(i, j), 0)
                            << w << "x" << h << " seed " << seed << " cell " << i << "," << j;
                    }
        }
    }
}

struct BlastCase {
    std::int32_t cx, cy;
    float r;
    int emptied;
};

class BlastCount : public ::testing::TestWithParam<BlastCase> {};

TEST_P(BlastCount, EmptiesTheInnerCellsWithinTheRadius) {
    const auto c = GetParam();
    TestGame t(800, 600);  // 50 x 38 cells
    std::fill(t.game.grid.begin(), t.game.grid.end(), 10);
    arena::blast(t.game, c.cx, c.cy, c.r);
    EXPECT_EQ(emptyCells(t.game), c.emptied);
    expectBorderIntactAndValuesClean(t.game);
}

INSTANTIATE_TEST_SUITE_P(
    Radii, BlastCount,
    ::testing::Values(BlastCase{20, 20, 1.0f, 5}, BlastCase{20, 20, 2.0f, 13}, BlastCase{20, 20, 5.0f, 81},
                      // The shot radii: squared distances up to 1, 2 and 4.
                      BlastCase{20, 20, std::nextafter(std::sqrt(2.0f), 0.0f), 5},
                      BlastCase{20, 20, std::nextafter(2.0f, 0.0f), 9}, BlastCase{20, 20, 2.0999999f, 13},
                      BlastCase{20, 20, 0.5f, 1}, BlastCase{20, 20, 0.0f, 1},
                      // On the border and beyond it only inner cells within reach go.
                      BlastCase{0, 20, 2.0f, 4}, BlastCase{-1, 20, 2.0f, 1}, BlastCase{-3, 20, 2.0f, 0},
                      BlastCase{49, 37, 2.0f, 1}, BlastCase{1, 1, 2.0f, 6}, BlastCase{55, 20, 5.0f, 0},
                      BlastCase{INT32_MAX, INT32_MIN, 10.0f, 0}, BlastCase{INT32_MIN, INT32_MAX, 10.0f, 0},
                      // Every radius a float can hold: past the grid a radius clears every inner
                      // cell (48 x 36), from any centre; far below zero, or NaN, it clears none. A
                      // small negative radius still has a window (r + 2 cells) and a disc (r^2).
                      BlastCase{20, 20, INFINITY, 48 * 36}, BlastCase{20, 20, 1e30f, 48 * 36},
                      BlastCase{20, 20, 9.3e18f, 48 * 36}, BlastCase{INT32_MIN, INT32_MAX, FLT_MAX, 48 * 36},
                      BlastCase{INT32_MIN, INT32_MIN, 4e9f, 48 * 36}, BlastCase{20, 20, -INFINITY, 0},
                      BlastCase{20, 20, -1e30f, 0}, BlastCase{20, 20, -1.0f, 5}, BlastCase{20, 20, -3.0f, 0},
                      BlastCase{20, 20, NAN, 0}));

TEST(BlockImage, IsOpaqueWhiteWithACentreHandleAndLeavesTheBufferBlackAtEverySize) {
    // Under 18 pixels the block it is cut from reaches past the back buffer.
    const std::pair<int, int> sizes[] = {{800, 600}, {18, 18}, {17, 40}, {40, 17},
                                         {16, 16},   {1, 1},   {3, 100}};
    for (auto [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        TestGame t(w, h);
        const auto& img = t.game.blockImage;
        ASSERT_EQ(img.width, 16);
        ASSERT_EQ(img.height, 16);
        EXPECT_EQ(img.handleX, 8.0f);
        EXPECT_EQ(img.handleY, 8.0f);
        for (auto p : img.pixels) ASSERT_EQ(p, 0xFFFFFFFFu);
        // The white rectangle it was cut from is gone before the first frame.
        const auto& c = t.game.canvas;
        for (int y = 0; y < std::min(h, 120); ++y)
            for (int x = 0; x < std::min(w, 120); ++x)
                ASSERT_EQ(c.at(x, y), platform::rgb(0, 0, 0)) << x << "," << y;
    }
}

TEST(DrawGrid, EveryCellIsSolidGreyOnATinyDisplay) {
    TestGame t(17, 40);  // 2 x 3 cells, all border
    t.game.canvas.clear();
    arena::drawGrid(t.game);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 17; ++x)
            ASSERT_EQ(t.game.canvas.at(x, y), platform::rgb(100, 100, 100)) << x << "," << y;
}

TEST(DrawGrid, SolidCellsAreGreySquaresExactlyOnTheirCells) {
    TestGame t(800, 600);
    t.clearInside();
    t.game.cell(10, 10) = 10;
    t.game.cell(11, 10) = 3;   // other values have their own shade
    t.game.cell(12, 10) = 99;  // above 10 draws like 10
    t.game.canvas.clear();
    arena::drawGrid(t.game);
    const auto& c = t.game.canvas;
    const auto grey = platform::rgb(100, 100, 100);
    for (int x = 150; x < 210; ++x) {
        for (int y = 150; y < 180; ++y) {
            platform::Pixel want = platform::rgb(0, 0, 0);
            if (y >= 160 && y < 176) {
                if (x >= 160 && x < 176) want = grey;
                if (x >= 176 && x < 192) want = platform::rgb(30, 30, 30);
                if (x >= 192 && x < 208) want = grey;
            }
            ASSERT_EQ(c.at(x, y), want) << x << "," << y;
        }
    }
    // Row 37 of an 800x600 display is only half visible: pixels 592..599.
    EXPECT_EQ(c.at(400, 592), grey);
    EXPECT_EQ(c.at(400, 599), grey);
    EXPECT_EQ(c.at(0, 0), grey);
    EXPECT_EQ(c.at(799, 300), grey);
    EXPECT_EQ(c.red(), 255) << "the colour goes back to white";
    EXPECT_EQ(c.blend(), platform::Blend::Alpha);
}

TEST(Click, PrintsThePointerAndBlastsThere) {
    struct ClickCase {
        int x, y;
        int emptied;               // cells emptied on a full grid of 50 x 38
    } cases[] = {{325, 330, 13},   // (20, 20)
                 {5, 330, 4},      // on the border column: only the inner cells next to it
                 {-40, 330, 0},    // dragged out past the left edge: -40 / 16 = -2 (truncating)
                 {-20, 330, 1},    // -20 / 16 = -1: reaches column 1 only
                 {900, 9000, 0}};  // beyond the size, used as it is
    for (const auto& c : cases) {
        TestGame t(800, 600);
        std::fill(t.game.grid.begin(), t.game.grid.end(), 10);
        t.game.input.pointerMoved(c.x, c.y);
        t.game.input.buttonEvent(platform::mouseLeft, true);
        t.game.input.buttonEvent(platform::mouseLeft, false);
        t.game.input.buttonEvent(platform::mouseLeft, true);  // two presses, one click handled
        arena::handleClick(t.game);
        EXPECT_EQ(t.sys.out, std::to_string(c.x) + "\n" + std::to_string(c.y) + "\n");
        EXPECT_EQ(emptyCells(t.game), c.emptied) << c.x << "," << c.y;
        expectBorderIntactAndValuesClean(t.game);
        t.sys.out.clear();
        arena::handleClick(t.game);
        EXPECT_EQ(t.sys.out, "") << "no press since the last frame, no click";
    }
}

}  // namespace
