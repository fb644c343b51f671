// arena_view.h -- reading cells, fighters and shots back from a grab of the game's window
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "game_process.h"
#include "x_server.h"

namespace e2e {

inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kGrey = 0x646464;  // a solid cell
inline constexpr uint32_t kRed = 0xFF0000;
inline constexpr uint32_t kCyan = 0x00FFFF;
inline constexpr uint32_t kYellow = 0xFFFF00;  // a shot
inline constexpr int kCellSize = 16;

// Where both fighters start on an 800x600 arena.
inline constexpr Point kRedStart{720, 300};
inline constexpr Point kCyanStart{80, 300};

struct Cell {
    int i = 0, j = 0;
    bool operator==(const Cell&) const = default;
};

inline std::string describe(const Cell& c) {
    return "cell (" + std::to_string(c.i) + ", " + std::to_string(c.j) + ")";
}

// The part of the window a cell covers; the bottom row of a 600-pixel arena shows only 8 rows.
inline Rect visibleRect(const Image& img, Rect r) {
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    const int x1 = std::min(r.x + r.width, img.width), y1 = std::min(r.y + r.height, img.height);
    return Rect{x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

inline Rect cellRect(const Image& img, Cell c) {
    return visibleRect(img, Rect{c.i * kCellSize, c.j * kCellSize, kCellSize, kCellSize});
}

inline int countColour(const Image& img, Rect area, uint32_t colour) {
    const Rect r = visibleRect(img, area);
    int n = 0;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) n += img.at(x, y) == colour ? 1 : 0;
    }
    return n;
}

inline int countColour(const Image& img, uint32_t colour) {
    return countColour(img, Rect{0, 0, img.width, img.height}, colour);
}

inline bool cellIs(const Image& img, Cell c, uint32_t colour) {
    const Rect r = cellRect(img, c);
    return r.width > 0 && countColour(img, r, colour) == r.width * r.height;
}

// The cells of an 800x600 arena that make up its unbreakable outer ring.
inline std::vector<Cell> borderCells() {
    std::vector<Cell> ring;
    for (int i = 0; i < 50; ++i) ring.insert(ring.end(), {Cell{i, 0}, Cell{i, 37}});
    for (int j = 1; j < 37; ++j) ring.insert(ring.end(), {Cell{0, j}, Cell{49, j}});
    return ring;
}

// Border cells that are not solid grey, as text; empty when the ring is whole.
inline std::string brokenBorder(const Image& img) {
    std::string broken;
    for (const Cell& c : borderCells()) {
        if (!cellIs(img, c, kGrey)) broken += describe(c) + " ";
    }
    return broken;
}

// A fighter's centre: its two 33-pixel bars are the only runs that long in its colour
// (the disc is 18 wide, the health text 24), so digits and shots nearby do not mislead it.
inline std::optional<Point> findCross(const Image& img, uint32_t colour) {
    constexpr int kBar = 33;
    int rowLo = img.height, rowHi = -1, colLo = img.width, colHi = -1;
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0, run = 0; x < img.width; ++x) {
            run = img.at(x, y) == colour ? run + 1 : 0;
            if (run >= kBar) {
                rowLo = std::min(rowLo, y);
                rowHi = std::max(rowHi, y);
            }
        }
    }
    for (int x = 0; x < img.width; ++x) {
        for (int y = 0, run = 0; y < img.height; ++y) {
            run = img.at(x, y) == colour ? run + 1 : 0;
            if (run >= kBar) {
                colLo = std::min(colLo, x);
                colHi = std::max(colHi, x);
            }
        }
    }
    if (rowHi < 0 || colHi < 0) return std::nullopt;
    return Point{(colLo + colHi) / 2, (rowLo + rowHi) / 2};
}

// The pixels of one colour inside an area, as a mask: equal masks mean the same text.
inline std::vector<bool> maskOf(const Image& img, Rect area, uint32_t colour) {
    const Rect r = visibleRect(img, area);
    std::vector<bool> mask;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) mask.push_back(img.at(x, y) == colour);
    }
    return mask;
}

// Where the health of a fighter centred at `p` is written.
inline Rect healthTextArea(Point p) { return Rect{p.x - 15, p.y - 30, 24, 16}; }

inline std::string coordinates(Point p) { return std::to_string(p.x) + "\n" + std::to_string(p.y) + "\n"; }

// Clicks each point in turn (window coordinates), waiting after each until the game has printed
// it, which it does in the frame that blasts the crater: two presses that reach one frame count
// as one click, and on a loaded machine no fixed pause keeps clicks a frame apart.
inline ::testing::AssertionResult clickAll(XServer& x, Window w, GameProcess& game,
                                           const std::vector<Point>& points) {
    std::string printed = game.out();
    for (const Point& p : points) {
        x.click(w, p.x, p.y);
        printed += coordinates(p);
        if (!game.waitForOut(printed, milliseconds(3000))) {
            return ::testing::AssertionFailure()
                   << "click at " << p.x << "," << p.y << " not printed; stdout: \"" << game.out() << "\"";
        }
    }
    return ::testing::AssertionSuccess();
}

// Opens cell rows 17 to 19 (y = 272..319) from one start crater to the other by clicking
// along y = 300, so the fighters can walk and shoot the whole width of the arena.
inline ::testing::AssertionResult clearCorridor(XServer& x, Window w, GameProcess& game) {
    std::vector<Point> along;
    for (int px = 120; px <= 680; px += 32) along.push_back(Point{px, 300});
    if (auto clicked = clickAll(x, w, game, along); !clicked) return clicked;
    auto open = [](const Image& img) {
        for (int i = 1; i < 49; ++i) {
            for (int j = 17; j <= 19; ++j) {
                if (countColour(img, cellRect(img, Cell{i, j}), kGrey) != 0) return false;
            }
        }
        return true;
    };
    if (!x.waitForPixels(w, open, milliseconds(2000))) {
        return ::testing::AssertionFailure() << "rows 17-19 still have solid cells after the clicks";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace e2e
