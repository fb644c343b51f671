// focus_e2e_test.cpp -- held keys across focus changes, and window events that are none
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <thread>

#include "duel_fixture.h"

namespace e2e {
namespace {

using FocusE2E = DuelFixture;

// Left is held all the way through: the red fighter walks, stops when the xterm takes the
// keyboard, stays put when the game gets it back, and walks only on a fresh press.
TEST_F(FocusE2E, KeyHeldAcrossAFocusRoundTripIsDeadUntilPressedAgain) {
    auto win = openDuel(/*xterm=*/true);
    ASSERT_TRUE(win) << launchProblem_;
    auto term = x_->startXterm(kWindowDeadline);
    ASSERT_TRUE(term);

    x_->keyDown("Left");
    const Point walking = waitUntilMoved(*win, kRed, kRedStart, milliseconds(2000));
    ASSERT_FALSE(walking == kRedStart) << "holding Left never walked the red fighter";

    ASSERT_TRUE(x_->focus(*term, kWindowDeadline));
    std::this_thread::sleep_for(kFocusSettle);
    const Point away = fighter(*win, kRed);
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(describe(fighter(*win, kRed)), describe(away)) << "walked on while the xterm had the keyboard";
    // Well short of the wall at x = 32, so it was the focus and not the wall that stopped it.
    EXPECT_GT(away.x, 200) << describe(away);

    ASSERT_TRUE(focusGame(*win));
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(describe(fighter(*win, kRed)), describe(away))
        << "the key held through the focus change walked once the game had the focus back";

    x_->keyUp("Left");
    std::this_thread::sleep_for(milliseconds(50));
    x_->holdKey("Left", milliseconds(150));
    std::this_thread::sleep_for(milliseconds(100));
    const Point again = fighter(*win, kRed);
    EXPECT_LT(again.x, away.x) << "a fresh press after letting go did not walk; at " << describe(again);
    EXPECT_EQ(again.y, away.y);

    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

// Hands the keyboard to the xterm and back; returns once X says the game has it again.
// The game takes stock of the keys already down at that moment; anything pressed after it is
// a real press, however soon, and must count from the first frame on.
::testing::AssertionResult focusAwayAndBack(XServer& x, Window game) {
    auto term = x.startXterm(kWindowDeadline);
    if (!term) return ::testing::AssertionFailure() << "no xterm window";
    if (!x.focus(*term, kWindowDeadline)) return ::testing::AssertionFailure() << "xterm not focused";
    std::this_thread::sleep_for(kFocusSettle);
    if (!x.focus(game, kWindowDeadline)) return ::testing::AssertionFailure() << "game not focused";
    return ::testing::AssertionSuccess();
}

TEST_F(FocusE2E, EscapePressedTwentyMillisecondsAfterTheFocusReturnsEndsTheRun) {
    auto win = openDuel(/*xterm=*/true);
    ASSERT_TRUE(win) << launchProblem_;
    ASSERT_TRUE(focusAwayAndBack(*x_, *win));
    std::this_thread::sleep_for(milliseconds(20));
    x_->holdKey("Escape", milliseconds(50));
    EXPECT_TRUE(exitsWith(*game_, 0, milliseconds(3000)));
}

// Held from 20 ms after the focus returns for almost half a second: a game that took stock of
// the held keys any later than the focus change itself (SDL may announce it late) would count
// this key as held through the change, and the fighter would stop while it is still down.
TEST_F(FocusE2E, KeyPressedJustAfterTheFocusReturnsKeepsWalking) {
    auto win = openDuel(/*xterm=*/true);
    ASSERT_TRUE(win) << launchProblem_;
    ASSERT_TRUE(focusAwayAndBack(*x_, *win));
    std::this_thread::sleep_for(milliseconds(20));
    x_->keyDown("Left");
    std::this_thread::sleep_for(milliseconds(280));
    const Point a = fighter(*win, kRed);
    std::this_thread::sleep_for(milliseconds(150));
    const Point b = fighter(*win, kRed);
    x_->keyUp("Left");
    EXPECT_LT(a.x, kRedStart.x) << "the press did not walk";
    EXPECT_LT(b.x, a.x) << "stopped at " << describe(a) << " with Left still held";
    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

struct Disturbance {
    const char* name;
    std::function<void(XServer&, Window, const Rect&)> before;  // while no key is down
    std::function<void(XServer&, Window, const Rect&)> during;  // while Left is held
};

void PrintTo(const Disturbance& d, std::ostream* os) { *os << d.name; }

class NotAFocusChange : public DuelFixture, public ::testing::WithParamInterface<Disturbance> {};

// Only the keyboard focus moving away forgets held keys; a close request or the pointer
// crossing the window's edge must leave a walking fighter walking.
TEST_P(NotAFocusChange, LeavesHeldKeysHeld) {
    const Disturbance& d = GetParam();
    auto win = openDuel();
    ASSERT_TRUE(win) << launchProblem_;
    auto client = x_->clientRect(*win);
    ASSERT_TRUE(client);
    d.before(*x_, *win, *client);
    std::this_thread::sleep_for(milliseconds(50));

    x_->keyDown("Left");
    const Point walking = waitUntilMoved(*win, kRed, kRedStart, milliseconds(2000));
    ASSERT_FALSE(walking == kRedStart) << "holding Left never walked the red fighter";
    d.during(*x_, *win, *client);
    std::this_thread::sleep_for(milliseconds(100));
    const Point a = fighter(*win, kRed);
    std::this_thread::sleep_for(milliseconds(150));
    const Point b = fighter(*win, kRed);
    x_->keyUp("Left");
    EXPECT_LT(b.x, a.x) << "stopped at " << describe(a) << " with Left still held";

    ASSERT_TRUE(game_->running()) << "stderr: " << game_->err();
    EXPECT_TRUE(x_->isViewable(*win));
    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

const Point kOffWindow{100, 900};  // root coordinates outside the centred 800x600 window

void nothing(XServer&, Window, const Rect&) {}
void pointerOutside(XServer& x, Window, const Rect&) { x.movePointer(kOffWindow.x, kOffWindow.y); }
void pointerInside(XServer& x, Window, const Rect& r) { x.movePointer(r.x + 400, r.y + 500); }

INSTANTIATE_TEST_SUITE_P(
    Events, NotAFocusChange,
    ::testing::Values(Disturbance{"CloseRequest", nothing,
                                  [](XServer& x, Window w, const Rect&) { x.requestClose(w); }},
                      Disturbance{"PointerLeavesTheWindow", pointerInside, pointerOutside},
                      Disturbance{"PointerEntersTheWindow", pointerOutside, pointerInside}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
