// arena_e2e_test.cpp -- the terrain in a real window: opening arena, click craters, wall, drags
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "arena_view.h"
#include "game_fixture.h"

namespace e2e {
namespace {

const std::string kGridLines = "50\n38\n";

class ArenaE2E : public GameFixture {
protected:
    // An 800x600 window on a 1280x1024 screen, showing its arena.
    std::optional<Window> openArena() {
        startServer(1280, 1024);
        auto win = openWindow("800\n600\n0\n");
        if (win && !game_->waitForOut(kGridLines, kWindowDeadline)) {
            launchProblem_ = "grid size never printed; stdout: \"" + game_->out() + "\"";
            win.reset();
        }
        return win;
    }

    // The window's pixels once a frame with terrain has been presented over the initial black.
    std::optional<Image> arenaImage(Window w) {
        return x_->waitForPixels(
            w, [](const Image& img) { return countColour(img, kGrey) > 0; }, kWindowDeadline);
    }

    // Everything printed after the grid size: the clicks.
    std::string clicksPrinted() {
        const std::string head = std::string(kPrompts) + kGridLines;
        const std::string out = game_->out();
        if (out.compare(0, head.size(), head) != 0) return "unexpected start: " + out;
        return out.substr(head.size());
    }
};

// Cells other than `except` whose pixels differ between the two images.
std::string changedCells(const Image& before, const Image& after, const std::vector<Cell>& except) {
    std::string changed;
    for (int i = 0; i < 50; ++i) {
        for (int j = 0; j < 38; ++j) {
            const Cell c{i, j};
            if (std::find(except.begin(), except.end(), c) != except.end()) continue;
            const Rect r = cellRect(before, c);
            bool same = true;
            for (int y = r.y; y < r.y + r.height && same; ++y) {
                for (int x = r.x; x < r.x + r.width && same; ++x) same = before.at(x, y) == after.at(x, y);
            }
            if (!same) changed += describe(c) + " ";
        }
    }
    return changed;
}

TEST_F(ArenaE2E, OpensOnWalledTerrainWithBothStartsCleared) {
    auto win = openArena();
    ASSERT_TRUE(win) << launchProblem_;
    auto img = arenaImage(*win);
    ASSERT_TRUE(img) << "no terrain was ever drawn";

    EXPECT_EQ(brokenBorder(*img), "");

    // A cell is drawn whole or not at all, and nothing but terrain and the two fighters shows.
    std::string mixed, strange;
    int innerSolid = 0;
    for (int i = 0; i < 50; ++i) {
        for (int j = 0; j < 38; ++j) {
            const Cell c{i, j};
            const Rect r = cellRect(*img, c);
            const int grey = countColour(*img, r, kGrey);
            if (grey != 0 && grey != r.width * r.height) mixed += describe(c) + " ";
            if (grey != 0 && i > 0 && i < 49 && j > 0 && j < 37) ++innerSolid;
            const int known = grey + countColour(*img, r, kBlack) + countColour(*img, r, kRed) +
                              countColour(*img, r, kCyan);
            if (known != r.width * r.height) strange += describe(c) + " ";
        }
    }
    EXPECT_EQ(mixed, "") << "cells partly solid";
    EXPECT_EQ(strange, "") << "cells with colours that are neither terrain nor a fighter";
    EXPECT_GT(innerSolid, 0) << "no terrain inside the wall";

    // Each start is a crater of radius 5 cells around (cols - 6, rows / 2) and (5, rows / 2);
    // with 38 rows that is row 19, just below the fighters' own row 18.
    for (const Cell centre : {Cell{44, 19}, Cell{5, 19}}) {
        std::string solid;
        for (int di = -5; di <= 5; ++di) {
            for (int dj = -5; dj <= 5; ++dj) {
                const Cell c{centre.i + di, centre.j + dj};
                if (di * di + dj * dj > 25 || c.i < 1 || c.i > 48) continue;
                if (countColour(*img, cellRect(*img, c), kGrey) != 0) solid += describe(c) + " ";
            }
        }
        EXPECT_EQ(solid, "") << "solid cells in the start crater around " << describe(centre);
    }

    EXPECT_EQ(describe(findCross(*img, kRed).value_or(Point{-1, -1})), describe(kRedStart));
    EXPECT_EQ(describe(findCross(*img, kCyan).value_or(Point{-1, -1})), describe(kCyanStart));
    // Both start with the same health written above them.
    const auto redText = maskOf(*img, healthTextArea(kRedStart), kRed);
    EXPECT_GT(std::count(redText.begin(), redText.end(), true), 10) << "no health over the red fighter";
    EXPECT_TRUE(redText == maskOf(*img, healthTextArea(kCyanStart), kCyan))
        << "the two fighters show different health at the start";

    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

// A solid block of cells away from the wall, so that a radius-2 crater in its middle shows
// both the cells it must open and cells it must leave alone: a 5x5 block holds the crater and
// the 12 cells that any larger or shifted crater would take. A 7x7 one is preferred when the
// random terrain has one, as it also shows the cells three away.
std::optional<Cell> solidPatch(const Image& img) {
    for (const int reach : {3, 2}) {
        for (int i = 1 + reach; i <= 48 - reach; ++i) {
            for (int j = 1 + reach; j <= 36 - reach; ++j) {
                bool solid = true;
                for (int di = -reach; di <= reach && solid; ++di) {
                    for (int dj = -reach; dj <= reach && solid; ++dj) {
                        solid = cellIs(img, Cell{i + di, j + dj}, kGrey);
                    }
                }
                if (solid) return Cell{i, j};
            }
        }
    }
    return std::nullopt;
}

TEST_F(ArenaE2E, ClickPrintsItsPositionAndOpensThirteenCellsAroundIt) {
    auto win = openArena();
    ASSERT_TRUE(win) << launchProblem_;
    auto before = arenaImage(*win);
    ASSERT_TRUE(before);
    auto target = solidPatch(*before);
    ASSERT_TRUE(target) << "this arena has no solid 5x5 block to blast into";

    // Off the cell's centre, towards its lower right: a rounding game would blast the next cell.
    const Point at{target->i * kCellSize + 13, target->j * kCellSize + 11};
    x_->click(*win, at.x, at.y);
    std::vector<Cell> crater;
    for (int di = -2; di <= 2; ++di) {
        for (int dj = -2; dj <= 2; ++dj) {
            if (di * di + dj * dj <= 4) crater.push_back(Cell{target->i + di, target->j + dj});
        }
    }
    ASSERT_EQ(crater.size(), 13u);
    auto open = [&](const Image& img) {
        return std::all_of(crater.begin(), crater.end(), [&](Cell c) { return cellIs(img, c, kBlack); });
    };
    auto after = x_->waitForPixels(*win, open, milliseconds(2000));
    EXPECT_TRUE(after) << "the crater around " << describe(*target) << " never opened";
    if (!after) after = x_->grab(*win);
    ASSERT_TRUE(after);

    EXPECT_EQ(changedCells(*before, *after, crater), "") << "cells outside the crater changed";
    game_->waitForOut(coordinates(at), milliseconds(1000));
    EXPECT_EQ(clicksPrinted(), coordinates(at));
}

struct WallClick {
    const char* where;
    Point at;
    std::vector<Cell> opened;  // the inner cells within two cells of the clicked one
};

TEST_F(ArenaE2E, ClicksOnTheWallPrintButLeaveItWhole) {
    const WallClick clicks[] = {
        {"left wall", {5, 150}, {{1, 8}, {1, 9}, {1, 10}, {2, 9}}},
        {"top wall", {400, 2}, {{24, 1}, {25, 1}, {26, 1}, {25, 2}}},
        {"right wall", {795, 500}, {{48, 30}, {48, 31}, {48, 32}, {47, 31}}},
        {"bottom wall, in its half-shown row", {300, 597}, {{17, 36}, {18, 36}, {19, 36}, {18, 35}}},
        {"top-left corner", {3, 3}, {{1, 1}}},
    };
    auto win = openArena();
    ASSERT_TRUE(win) << launchProblem_;
    for (const WallClick& click : clicks) {
        SCOPED_TRACE(click.where);
        auto before = arenaImage(*win);
        ASSERT_TRUE(before);
        const std::string earlier = clicksPrinted();
        x_->click(*win, click.at.x, click.at.y);
        EXPECT_TRUE(game_->waitForOut(earlier + coordinates(click.at), milliseconds(1000)));
        EXPECT_EQ(clicksPrinted().substr(earlier.size()), coordinates(click.at));
        auto open = [&](const Image& img) {
            return std::all_of(click.opened.begin(), click.opened.end(),
                               [&](Cell c) { return cellIs(img, c, kBlack); });
        };
        auto after = x_->waitForPixels(*win, open, milliseconds(2000));
        EXPECT_TRUE(after) << "the inner cells next to the click did not open";
        if (!after) after = x_->grab(*win);
        ASSERT_TRUE(after);
        EXPECT_EQ(brokenBorder(*after), "");
        EXPECT_EQ(changedCells(*before, *after, click.opened), "");
    }
}

struct Drag {
    const char* name;
    Point from, to;  // window coordinates; `to` is outside the window
    milliseconds beforeMove;
    Point printed;
};

// The game reads the pointer in the frame that sees the press: a drag that leaves the window
// within that frame prints where it went, as the window saw it; a slower one, where it began.
TEST_F(ArenaE2E, DragsOutOfTheWindowPrintWhereThePointerWas) {
    const Drag drags[] = {
        {"left of the window", {400, 188}, {-30, 188}, milliseconds(0), {-30, 188}},
        {"below the window", {400, 300}, {400, 700}, milliseconds(0), {400, 700}},
        {"right of the window", {600, 100}, {830, 100}, milliseconds(0), {830, 100}},
        {"above the window", {200, 100}, {200, -40}, milliseconds(0), {200, -40}},
        {"slowly, left of the window", {300, 200}, {-30, 200}, milliseconds(100), {300, 200}},
    };
    auto win = openArena();
    ASSERT_TRUE(win) << launchProblem_;
    for (const Drag& d : drags) {
        SCOPED_TRACE(d.name);
        const std::string earlier = clicksPrinted();
        x_->drag(*win, d.from, d.to, d.beforeMove, milliseconds(100));
        game_->waitForOut(earlier + coordinates(d.printed), milliseconds(1000));
        // Frames without a click follow: letting go outside must print nothing more.
        std::this_thread::sleep_for(milliseconds(100));
        EXPECT_EQ(clicksPrinted().substr(earlier.size()), coordinates(d.printed));
    }
    auto img = arenaImage(*win);
    ASSERT_TRUE(img);
    EXPECT_EQ(brokenBorder(*img), "") << "a blast centred outside the window reached the wall";
    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
}

}  // namespace
}  // namespace e2e
