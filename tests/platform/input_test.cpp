// input_test.cpp -- press counting, auto-repeat and focus changes
#include <gtest/gtest.h>

#include <vector>

#include "platform/input.h"

namespace {

using platform::Input;

TEST(Input, CountsPressesUntilAskedAndIgnoresRepeat) {
    Input in;
    in.keyEvent('J', true, false);
    in.keyEvent('J', true, true);  // auto-repeat while held
    in.keyEvent('J', true, true);
    EXPECT_TRUE(in.keyDown('J'));
    in.keyEvent('J', false, false);
    EXPECT_FALSE(in.keyDown('J'));
    in.keyEvent('J', true, false);
    in.keyEvent('J', false, false);
    EXPECT_EQ(in.keyHits('J'), 2);
    EXPECT_EQ(in.keyHits('J'), 0) << "asking clears the count";
    EXPECT_EQ(in.keyHits('K'), 0) << "counts are per key";
}

TEST(Input, ADownEventForAKeyAlreadyHeldIsNotANewPress) {
    Input in;
    in.keyEvent(27, true, false);
    in.keyEvent(27, true, false);
    EXPECT_EQ(in.keyHits(27), 1);
}

TEST(Input, AnAutoRepeatForAKeyNotHeldIsNoPress) {
    // Escape held down while the window opens reaches the game only as repeats: no quit.
    Input in;
    in.keyEvent(27, true, true);
    in.keyEvent(27, true, true);
    EXPECT_EQ(in.keyHits(27), 0);
    EXPECT_FALSE(in.keyDown(27));
    in.keyEvent(27, false, false);
    in.keyEvent(27, true, false);
    EXPECT_EQ(in.keyHits(27), 1) << "a real press after it counts";
}

TEST(Input, MouseButtonsAndPointer) {
    Input in;
    EXPECT_EQ(in.mouseX(), 0);
    EXPECT_EQ(in.mouseY(), 0);
    in.pointerMoved(-40, 9000);  // a drag far outside the display
    in.buttonEvent(1, true);
    in.buttonEvent(1, false);
    in.buttonEvent(1, true);
    EXPECT_TRUE(in.mouseDown(1));
    EXPECT_EQ(in.mouseHits(1), 2);
    EXPECT_EQ(in.mouseHits(1), 0);
    EXPECT_EQ(in.mouseX(), -40);
    EXPECT_EQ(in.mouseY(), 9000);
}

TEST(Input, OutOfRangeCodesAreHarmless) {
    Input in;
    for (int code : {-1, 256, 100000}) {
        in.keyEvent(code, true, false);
        in.buttonEvent(code, true);
        EXPECT_FALSE(in.keyDown(code));
        EXPECT_EQ(in.keyHits(code), 0);
        EXPECT_EQ(in.mouseHits(code), 0);
    }
}

TEST(Input, FocusChangeForgetsEverythingAndAKeyStillDownStaysDeadUntilLetGo) {
    Input in;
    in.keyEvent(37, true, false);
    in.keyEvent('J', true, false);
    in.buttonEvent(1, true);
    const std::vector<int> stillDown{37};
    in.focusChanged(stillDown);
    EXPECT_FALSE(in.keyDown(37));
    EXPECT_FALSE(in.keyDown('J'));
    EXPECT_FALSE(in.mouseDown(1));
    EXPECT_EQ(in.keyHits('J'), 0);
    EXPECT_EQ(in.mouseHits(1), 0);

    // The backend reports the held key as pressed again when focus returns: it must not count.
    in.keyEvent(37, true, false);
    EXPECT_FALSE(in.keyDown(37));
    EXPECT_EQ(in.keyHits(37), 0);

    // Let go and pressed again, it is a key like any other.
    in.keyEvent(37, false, false);
    in.keyEvent(37, true, false);
    EXPECT_TRUE(in.keyDown(37));
    EXPECT_EQ(in.keyHits(37), 1);

    // A key that was not down at the change works at once.
    in.keyEvent('J', true, false);
    EXPECT_TRUE(in.keyDown('J'));
}

TEST(Input, EveryQueryFirstHandsOverPendingEvents) {
    Input in;
    int pumps = 0;
    in.setPump([&] {
        if (++pumps == 1) in.keyEvent(27, true, false);
    });
    EXPECT_EQ(in.keyHits(27), 1) << "an event pending before the query is seen by that query";
    in.keyDown(1);
    in.mouseHits(1);
    in.mouseX();
    EXPECT_EQ(pumps, 4);
}

}  // namespace
