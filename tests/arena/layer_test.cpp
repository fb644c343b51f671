// layer_test.cpp -- the fast frame's first step against clearing and drawing the terrain in full
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "arena/grid.h"
#include "arena/layer.h"
#include "platform/canvas.h"
#include "shell/frame.h"
#include "support/test_game.h"

namespace {

using testing_support::TestGame;

bool samePixels(const platform::Canvas& a, const platform::Canvas& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::equal(a.data(), a.data() + std::size_t(a.width()) * std::size_t(a.height()), b.data());
}

std::string stateOf(const platform::Canvas& c) {
    return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue()) +
           " alpha " + std::to_string(c.alpha()) + " blend " + std::to_string(int(c.blend())) + " scale " +
           std::to_string(c.scaleX()) + "x" + std::to_string(c.scaleY()) + " rotation " +
           std::to_string(c.rotation());
}

struct StartState {
    const char* name;
    int r, g, b;
    float alpha;
    platform::Blend blend;
    float scaleX, scaleY, rotation;
};

// Whatever drawing state a frame starts in, the fast first step leaves the pixels and the state as
// clearing and drawing the terrain do, since the fighters and shots draw on with that state.
TEST(TerrainLayer, RestoringLeavesWhatClearingAndDrawingTheTerrainLeave) {
    const StartState states[] = {
        {"as the game leaves it", 255, 255, 0, 1.0f, platform::Blend::Alpha, 1.0f, 1.0f, 0.0f},
        {"odd colour, alpha, blend and rotation", 1, 2, 3, 0.25f, platform::Blend::Mask, 1.0f, 1.0f, 30.0f},
        {"a scale left set", 9, 9, 9, 1.0f, platform::Blend::Alpha, 2.0f, 0.5f, 0.0f},
    };
    for (const auto& s : states) {
        SCOPED_TRACE(s.name);
        TestGame fast(333, 257, 3), full(333, 257, 3);
        for (int frame = 0; frame < 3; ++frame) shell::runFrame(fast.game), shell::runFullFrame(full.game);
        for (auto* c : {&fast.game.canvas, &full.game.canvas}) {
            c->setColor(s.r, s.g, s.b);
            c->setAlpha(s.alpha);
            c->setBlend(s.blend);
            c->setScale(s.scaleX, s.scaleY);
            c->setRotation(s.rotation);
        }
        arena::restoreTerrain(fast.game);
        full.game.canvas.clear();
        arena::drawGrid(full.game);
        EXPECT_TRUE(samePixels(fast.game.canvas, full.game.canvas));
        EXPECT_EQ(stateOf(fast.game.canvas), stateOf(full.game.canvas));
    }
}

// Cells written by anything, not only a blast, are repainted: a crater filled in, a cell emptied,
// a cell of another shade, and a cell in the last column, which hangs over the display's edge.
TEST(TerrainLayer, CellsChangedBetweenFramesByAnyMeansAreRepainted) {
    TestGame fast(333, 257, 4), full(333, 257, 4);
    shell::runFrame(fast.game);
    shell::runFullFrame(full.game);
    for (auto* g : {&fast.game, &full.game}) {
        g->cell(3, 3) = 0;
        g->cell(5, 5) = arena::solidCell;
        g->cell(6, 5) = 3;
        g->cell(g->cols - 1, 2) = 0;
    }
    shell::runFrame(fast.game);
    shell::runFullFrame(full.game);
    EXPECT_TRUE(samePixels(fast.game.canvas, full.game.canvas));
    EXPECT_EQ(fast.game.canvas.at(3 * 16 + 8, 3 * 16 + 8), platform::rgb(0, 0, 0));
    EXPECT_EQ(fast.game.canvas.at(6 * 16 + 8, 5 * 16 + 8), platform::rgb(30, 30, 30));
}

}  // namespace
