// present_e2e_test.cpp -- what reaches a real window when the game shows only what changed
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <thread>

#include "arena_view.h"
#include "game_fixture.h"

namespace e2e {
namespace {

class PresentE2E : public GameFixture {
protected:
    // An 800x600 window on a 1280x1024 screen, showing a steady arena.
    std::optional<Image> openArena(Window& win) {
        startServer(1280, 1024);
        auto w = openWindow("800\n600\n0\n");
        if (!w) return std::nullopt;
        win = *w;
        if (!x_->waitForPixels(
                win, [](const Image& img) { return countColour(img, kGrey) > 0; }, kWindowDeadline))
            return std::nullopt;
        std::this_thread::sleep_for(milliseconds(300));
        return x_->grab(win);
    }

    int differingPixels(const Image& a, const Image& b) {
        if (a.width != b.width || a.height != b.height) return -1;
        int n = 0;
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) n += a.at(x, y) != b.at(x, y);
        return n;
    }
};

// A window laid over the game and taken away again leaves the uncovered part to be drawn anew; an
// idle arena sends only its fighters each frame, so the rest must come from a whole frame sent
// on the expose.
TEST_F(PresentE2E, AnUncoveredWindowShowsTheWholeFrameAgain) {
    Window win = 0;
    const auto before = openArena(win);
    ASSERT_TRUE(before) << launchProblem_;
    const auto area = x_->clientRect(win);
    ASSERT_TRUE(area);

    Display* dpy = x_->display();
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(dpy, DefaultScreen(dpy));
    const Window cover = XCreateWindow(dpy, x_->root(), area->x, area->y, unsigned(area->width),
                                       unsigned(area->height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(dpy, cover);
    XSync(dpy, False);
    std::this_thread::sleep_for(milliseconds(300));
    XUnmapWindow(dpy, cover);
    XDestroyWindow(dpy, cover);
    XSync(dpy, False);
    std::this_thread::sleep_for(milliseconds(300));

    const auto after = x_->grab(win);
    ASSERT_TRUE(after);
    EXPECT_EQ(countColour(*after, 0xFFFFFF), 0) << "the cover is still shown where the game did not redraw";
    EXPECT_EQ(differingPixels(*before, *after), 0) << "an idle arena looks the same before and after";

    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

// Each frame must also send where the fighter was, or its old positions stay on the screen.
TEST_F(PresentE2E, AWalkingFighterLeavesNoTrail) {
    Window win = 0;
    const auto before = openArena(win);
    ASSERT_TRUE(before) << launchProblem_;
    const int redAtStart = countColour(*before, kRed);
    ASSERT_GT(redAtStart, 0);

    x_->holdKey("Up", milliseconds(250));
    std::this_thread::sleep_for(milliseconds(200));
    const auto after = x_->grab(win);
    ASSERT_TRUE(after);
    const auto at = findCross(*after, kRed);
    ASSERT_TRUE(at);
    EXPECT_LT(at->y, kRedStart.y) << "the red fighter never walked up";
    // The health text stays 100, so the fighter is drawn with as many red pixels wherever it stands.
    EXPECT_EQ(countColour(*after, kRed), redAtStart) << "red pixels left behind at " << describe(*at);

    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

}  // namespace
}  // namespace e2e
