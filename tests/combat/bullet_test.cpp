// bullet_test.cpp -- the fire step, the shot pass and a replayed game
#include <gtest/gtest.h>

#include <climits>

#include "combat/bullet.h"
#include "combat/fighter.h"
#include "shell/frame.h"
#include "support/test_game.h"

namespace {

using combat::bullet;
using testing_support::TestGame;

int emptyCells(const shell::Game& g) {
    int n = 0;
    for (auto v : g.grid) n += v == 0;
    return n;
}

struct FireCase {
    const char* name;
    std::uint32_t now;
    std::int32_t lastShot;
    bool fires;
};

TEST(FireStep, WaitsStrictlyMoreThanTheDelayAndSurvivesClockWrap) {
    const FireCase cases[] = {
        {"101 ms after the last shot", 5101, 5000, true},
        {"exactly 100 ms", 5100, 5000, false},
        {"just fired", 5000, 5000, false},
        {"clock wrapped past 2^31, 32 ms later", 0x80000010u, INT32_MAX - 15, false},
        {"clock wrapped past 2^31, 101 ms later", 0x80000055u, INT32_MAX - 15, true},
        {"clock wrapped past 2^32, 32 ms later", 16u, -16, false},
        {"clock wrapped past 2^32, 101 ms later", 85u, -16, true},
        {"clock reads behind the last shot", 4000u, 5000, true},
        {"over 2^31 ms since the last shot", 0x80001000u, 0x800, true},
    };
    for (const auto& c : cases) {
        TestGame t;
        t.clearInside();
        t.sys.clock = c.now;
        t.game.p1shot = c.lastShot;
        t.hold('J');
        combat::updatePlayer1(t.game);
        EXPECT_EQ(t.game.bulletList.size(), c.fires ? 1u : 0u) << c.name;
        EXPECT_EQ(t.game.p1shot, c.fires ? std::int32_t(c.now) : c.lastShot) << c.name;
    }
}

TEST(FireStep, FirstHeldKeyInOrderLeftUpRightDownFires) {
    struct {
        std::initializer_list<int> keys;
        std::int32_t dx, dy;
    } cases[] = {{{'J', 'I'}, -16, 0}, {{'I', 'L', 'K'}, 0, -16}, {{'L', 'K'}, 16, 0}, {{'K'}, 0, 16}};
    for (const auto& c : cases) {
        TestGame t;
        t.clearInside();
        t.sys.clock += 1000;
        for (int k : c.keys) t.hold(k);
        combat::updatePlayer1(t.game);
        ASSERT_EQ(t.game.bulletList.size(), 1u);
        const bullet& b = t.game.bulletList[0];
        EXPECT_EQ(b.dx, c.dx);
        EXPECT_EQ(b.dy, c.dy);
        EXPECT_EQ(b.x, t.game.p1x);
        EXPECT_EQ(b.y, t.game.p1y);
        EXPECT_EQ(b.color, 1);
    }
}

TEST(FireStep, HoldingAFireKeyGivesASteadyStream) {
    TestGame t;
    t.clearInside();
    t.hold('A');  // the cyan fighter fires left into the wall 64 px away
    std::vector<std::uint32_t> shotTimes;
    for (int frame = 0; frame < 120; ++frame) {
        const auto before = t.game.p2shot;
        shell::runFrame(t.game);
        shell::presentFrame(t.game);
        if (t.game.p2shot != before) shotTimes.push_back(std::uint32_t(t.game.p2shot));
    }
    ASSERT_GE(shotTimes.size(), 15u);
    for (std::size_t n = 1; n < shotTimes.size(); ++n) {
        EXPECT_GT(shotTimes[n] - shotTimes[n - 1], 100u);
        EXPECT_LE(shotTimes[n] - shotTimes[n - 1], 117u) << "the next frame after the delay fires";
    }
}

TEST(ShotPass, AShotMovesBeforeItIsFirstDrawnAsAYellowBar) {
    TestGame t;
    t.clearInside();
    bullet::Create(t.game, 400, 300, -16, 0, 1);
    t.game.canvas.clear();
    bullet::update(t.game);
    ASSERT_EQ(t.game.bulletList.size(), 1u);
    EXPECT_EQ(t.game.bulletList[0].x, 384);
    const auto& c = t.game.canvas;
    const auto yellow = platform::rgb(255, 255, 0), black = platform::rgb(0, 0, 0);
    // 16 x 3.2 centred on (384, 300): columns 376..391, the rows whose centres lie within 1.6.
    for (int y = 295; y < 305; ++y)
        for (int x = 370; x < 398; ++x)
            ASSERT_EQ(c.at(x, y), (x >= 376 && x <= 391 && y >= 298 && y <= 301) ? yellow : black)
                << x << "," << y;
    EXPECT_EQ(c.scaleY(), 1.0f) << "scale back to 1 after the shot";

    bullet::Create(t.game, 200, 300, 0, 16, 2);  // a vertical one
    t.game.canvas.clear();
    bullet::update(t.game);
    EXPECT_EQ(c.at(200, 316), yellow);
    EXPECT_EQ(c.at(198, 316), yellow);
    EXPECT_EQ(c.at(197, 316), black);
    EXPECT_EQ(c.at(200, 307), black);
    EXPECT_EQ(c.at(200, 308), yellow);
}

struct HitCase {
    const char* name;
    std::int32_t color;
    std::int32_t offsetX, offsetY;  // from the cyan fighter, after the shot's move
    bool hurtsCyan;
};

TEST(ShotPass, HitsTheOtherTeamWithinSixteenPixels) {
    const HitCase cases[] = {
        {"squared distance 256", 1, 16, 0, true},
        {"squared distance 257", 1, 16, 1, false},
        {"right on top", 1, 0, 0, true},
        {"cyan's own shot", 2, 0, 0, false},
    };
    for (const auto& c : cases) {
        TestGame t;
        t.clearInside();
        t.game.p2x = 300;
        t.game.p2y = 200;
        bullet::Create(t.game, 300 + c.offsetX - 16, 200 + c.offsetY, 16, 0, c.color);
        bullet::update(t.game);
        if (c.hurtsCyan) {
            EXPECT_GE(t.game.p2health, 90) << c.name;
            EXPECT_LE(t.game.p2health, 95) << c.name;
            EXPECT_TRUE(t.game.bulletList.empty()) << c.name;
        } else {
            EXPECT_EQ(t.game.p2health, 100) << c.name;
            EXPECT_EQ(t.game.bulletList.size(), 1u) << c.name;
        }
        EXPECT_EQ(t.game.p1health, 100) << c.name;
    }
}

TEST(ShotPass, FarFlungCoordinatesDoNotOverflowIntoAHit) {
    TestGame t;
    t.clearInside();
    // 65536^2 + 0 wraps to 0 in 32 bits; in 64 it is far out of reach.
    t.game.p2x = -65536 + 300;
    t.game.p2y = 200;
    bullet::Create(t.game, 284, 200, 16, 0, 1);
    bullet::update(t.game);
    EXPECT_EQ(t.game.p2health, 100);
}

TEST(ShotPass, StrikingTerrainNextToTheTargetBlastsAndHurtsInOneFrame) {
    TestGame t;
    t.clearInside();
    t.game.p2x = 330;
    t.game.p2y = 328;
    t.game.cell(20, 20) = 10;  // centre (328, 328)
    bullet::Create(t.game, 312, 328, 16, 0, 1);
    bullet::update(t.game);
    EXPECT_EQ(t.game.cell(20, 20), 0);
    EXPECT_LT(t.game.p2health, 100);
    EXPECT_TRUE(t.game.bulletList.empty());
}

TEST(ShotPass, DroppedOnTheFrameItReachesTheBorder) {
    TestGame t;
    t.clearInside();
    bullet::Create(t.game, 40, 300, -16, 0, 1);
    bullet::update(t.game);  // 24: still over inner column 1
    ASSERT_EQ(t.game.bulletList.size(), 1u);
    bullet::update(t.game);  // 8: over the border column 0
    EXPECT_TRUE(t.game.bulletList.empty());
    EXPECT_EQ(t.game.cell(0, 18), 10);

    bullet::Create(t.game, 4, 300, -16, 0, 1);  // -12: floor division puts it in column -1
    bullet::update(t.game);
    EXPECT_TRUE(t.game.bulletList.empty());
}

TEST(ShotPass, RemovalDuringTheWalkHandlesEveryOtherShotExactlyOnce) {
    TestGame t;
    t.clearInside();
    t.game.cell(10, 5) = 10;
    t.game.cell(10, 9) = 10;
    // Shots 1 and 3 strike terrain, shot 4 hits the cyan fighter; 0, 2 and 5 fly on.
    t.game.p2x = 500;
    t.game.p2y = 500;
    const std::int32_t starts[][2] = {{100, 40}, {152, 88}, {100, 120}, {152, 152}, {484, 500}, {100, 200}};
    for (auto [x, y] : starts) bullet::Create(t.game, x, y, 16, 0, 1);
    bullet::update(t.game);
    ASSERT_EQ(t.game.bulletList.size(), 3u);
    EXPECT_EQ(t.game.bulletList[0].y, 40);
    EXPECT_EQ(t.game.bulletList[1].y, 120);
    EXPECT_EQ(t.game.bulletList[2].y, 200);
    for (const auto& b : t.game.bulletList) EXPECT_EQ(b.x, 116) << "moved exactly once";
    EXPECT_LT(t.game.p2health, 100);
}

TEST(ShotPass, DamageAndCratersStayInTheirRanges) {
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        TestGame t(800, 600, seed);
        std::fill(t.game.grid.begin(), t.game.grid.end(), 10);
        t.game.p2x = 328;
        t.game.p2y = 328;
        bullet::Create(t.game, 312, 328, 16, 0, 1);  // strikes cell (20, 20) beside the target
        bullet::update(t.game);
        const int craters = emptyCells(t.game);
        EXPECT_TRUE(craters == 5 || craters == 9 || craters == 13) << craters;
        EXPECT_GE(t.game.p2health, 90);
        EXPECT_LE(t.game.p2health, 95);
    }
}

TEST(ShotPass, ShotsFlyAndHurtAfterTheWinnerIsDecided) {
    TestGame t;
    t.clearInside();
    t.game.winner = 2;  // red is out
    t.game.p1health = 0;
    t.game.p2health = 5;
    t.game.p2x = 300;
    t.game.p2y = 200;
    bullet::Create(t.game, 284, 200, 16, 0, 1);  // red's last shot
    shell::runFrame(t.game);
    EXPECT_LE(t.game.p2health, 0) << "the hit lands after this frame's defeat check";
    EXPECT_EQ(t.game.winner, 2);
    shell::runFrame(t.game);
    EXPECT_EQ(t.game.p2health, 0);
    EXPECT_EQ(t.game.winner, 1) << "cyan falls last, so red is back in play";
}

}  // namespace
