// combat_e2e_test.cpp -- walking and shooting on the real keyboard, read back from the pixels
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <thread>
#include <vector>

#include "duel_fixture.h"

namespace e2e {
namespace {

struct Step {
    const char* key;
    int dx, dy;  // the way it must walk
    milliseconds hold;
};

struct Walker {
    const char* name;
    uint32_t colour;
    Point start;
    std::vector<Step> steps;  // the long walk first, along the corridor, away from the near wall
};

void PrintTo(const Walker& w, std::ostream* os) { *os << w.name; }

class Walking : public DuelFixture, public ::testing::WithParamInterface<Walker> {};

// 8 px a frame while the key is down: a hold covers at most its frames' worth plus the few
// that pass before the release is read, and at least half of them even if frames are dropped.
TEST_P(Walking, EachKeyWalksItsWayInWholeStepsAndStopsOnRelease) {
    const Walker& walker = GetParam();
    auto win = openDuel();
    ASSERT_TRUE(win) << launchProblem_;
    Point at = fighter(*win, walker.colour);
    ASSERT_EQ(describe(at), describe(walker.start));

    for (const Step& s : walker.steps) {
        SCOPED_TRACE(s.key);
        // Open the way ahead, so that the key and not a wall decides how far it goes.
        std::vector<Point> ahead;
        for (int k = 1; k <= 4; ++k) {
            const Point p{at.x + s.dx * 32 * k, at.y + s.dy * 32 * k};
            if (p.x > 0 && p.x < 800 && p.y > 0 && p.y < 600) ahead.push_back(p);
        }
        ASSERT_TRUE(clickAll(*x_, *win, *game_, ahead));

        x_->holdKey(s.key, s.hold);
        std::this_thread::sleep_for(milliseconds(100));
        const Point end = fighter(*win, walker.colour);
        std::this_thread::sleep_for(milliseconds(200));
        EXPECT_EQ(describe(fighter(*win, walker.colour)), describe(end))
            << "still walking after the key was let go";

        const int along = (end.x - at.x) * s.dx + (end.y - at.y) * s.dy;
        const int across = s.dx != 0 ? end.y - at.y : end.x - at.x;
        const int frames = static_cast<int>(s.hold.count() * 60 / 1000);
        EXPECT_EQ(across, 0) << "from " << describe(at) << " to " << describe(end);
        EXPECT_EQ(along % 8, 0) << "from " << describe(at) << " to " << describe(end);
        EXPECT_GE(along, 8 * (frames / 2)) << "from " << describe(at) << " to " << describe(end);
        EXPECT_LE(along, 8 * (frames + 6)) << "from " << describe(at) << " to " << describe(end);
        at = end;
    }
}

INSTANTIATE_TEST_SUITE_P(Fighters, Walking,
                         ::testing::Values(Walker{"Red",
                                                  kRed,
                                                  kRedStart,
                                                  {{"Left", -1, 0, milliseconds(500)},
                                                   {"Right", 1, 0, milliseconds(150)},
                                                   {"Up", 0, -1, milliseconds(150)},
                                                   {"Down", 0, 1, milliseconds(150)}}},
                                           Walker{"Cyan",
                                                  kCyan,
                                                  kCyanStart,
                                                  {{"h", 1, 0, milliseconds(500)},
                                                   {"f", -1, 0, milliseconds(150)},
                                                   {"t", 0, -1, milliseconds(150)},
                                                   {"g", 0, 1, milliseconds(150)}}}),
                         [](const auto& info) { return std::string(info.param.name); });

using CombatE2E = DuelFixture;

// Red fires left along the open corridor; every shot meets the cyan fighter at x = 80.
TEST_F(CombatE2E, HeldFireWearsTheOtherFighterDownUntilItDropsOut) {
    auto win = openDuel();
    ASSERT_TRUE(win) << launchProblem_;
    auto start = x_->grab(*win);
    ASSERT_TRUE(start);
    const auto redHealth = maskOf(*start, healthTextArea(kRedStart), kRed);
    const auto cyanHealth = maskOf(*start, healthTextArea(kCyanStart), kCyan);
    const Rect between{120, 280, 560, 40};

    bool sawShot = false, sawGone = false;
    // Each health the standing fighter showed after the first hit, as the pixels of its text.
    std::set<std::vector<bool>> woundedHealths;
    x_->keyDown("j");
    const auto end = Clock::now() + milliseconds(10000);
    while (!sawGone && Clock::now() < end) {
        auto img = x_->grab(*win);
        if (!img) break;
        sawShot = sawShot || countColour(*img, between, kYellow) > 0;
        sawGone = countColour(*img, kCyan) == 0;
        auto health = maskOf(*img, healthTextArea(kCyanStart), kCyan);
        if (!sawGone && health != cyanHealth) woundedHealths.insert(std::move(health));
    }
    x_->keyUp("j");
    EXPECT_TRUE(sawShot) << "no shot seen in flight between the fighters";
    // 5 to 10 a hit from 100 takes at least ten hits, each shown for several frames; a few
    // blows that each take a large share would show only one or two values.
    EXPECT_GE(woundedHealths.size(), 5u) << "the cyan fighter did not lose its health a little at a time";
    ASSERT_TRUE(sawGone) << "the cyan fighter was still drawn after 10 s of fire";

    // Once the last shots have struck the wall, a fallen fighter stays gone and cannot shoot.
    auto settled = x_->waitForPixels(
        *win, [](const Image& img) { return countColour(img, kYellow) == 0; }, milliseconds(2000));
    ASSERT_TRUE(settled) << "shots still in flight 2 s after the fire key was let go";
    x_->keyDown("d");
    int shotsFromTheFallen = 0, cyanPixels = 0;
    for (int n = 0; n < 10; ++n) {
        std::this_thread::sleep_for(milliseconds(40));
        auto img = x_->grab(*win);
        ASSERT_TRUE(img);
        shotsFromTheFallen += countColour(*img, kYellow);
        cyanPixels += countColour(*img, kCyan);
    }
    x_->keyUp("d");
    EXPECT_EQ(shotsFromTheFallen, 0) << "the fallen cyan fighter fired";
    EXPECT_EQ(cyanPixels, 0) << "the fallen cyan fighter was drawn again";

    auto last = x_->grab(*win);
    ASSERT_TRUE(last);
    EXPECT_EQ(describe(findCross(*last, kRed).value_or(Point{-1, -1})), describe(kRedStart));
    EXPECT_TRUE(maskOf(*last, healthTextArea(kRedStart), kRed) == redHealth)
        << "the red fighter lost health without being shot at";

    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

}  // namespace
}  // namespace e2e
