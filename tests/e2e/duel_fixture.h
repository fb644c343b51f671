// duel_fixture.h -- an 800x600 duel with a corridor between the fighters, and where they stand
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "arena_view.h"
#include "game_fixture.h"

namespace e2e {

class DuelFixture : public GameFixture {
protected:
    // The game in an 800x600 window on a 1280x1024 screen, focused, with rows 17-19 open from
    // wall to wall. With `xterm` a second window that can take the focus is up first.
    std::optional<Window> openDuel(bool xterm = false) {
        startServer(1280, 1024);
        if (xterm && !x_->startXterm(kWindowDeadline)) {
            launchProblem_ = "no xterm window";
            return std::nullopt;
        }
        auto win = openWindow("800\n600\n0\n");
        if (!win) return win;
        if (!game_->waitForOut("50\n38\n", kWindowDeadline)) {
            launchProblem_ = "grid size never printed; stdout: \"" + game_->out() + "\"";
            return std::nullopt;
        }
        if (auto cleared = clearCorridor(*x_, *win, *game_); !cleared) {
            launchProblem_ = cleared.message();
            return std::nullopt;
        }
        return win;
    }

    // Where a fighter stands now, or (-1, -1) when its cross is not drawn.
    Point fighter(Window w, uint32_t colour) {
        auto img = x_->grab(w);
        if (!img) return Point{-1, -1};
        return findCross(*img, colour).value_or(Point{-1, -1});
    }

    // Waits until the fighter has left `from`, as it does once a held key is seen.
    Point waitUntilMoved(Window w, uint32_t colour, Point from, milliseconds deadline) {
        auto img = x_->waitForPixels(
            w,
            [&](const Image& i) {
                auto at = findCross(i, colour);
                return at && !(*at == from);
            },
            deadline);
        if (!img) return from;
        return findCross(*img, colour).value_or(from);
    }
};

}  // namespace e2e
