// grid.cpp -- the terrain: cell sprite, starting terrain, craters, drawing and mouse clicks
#include "arena/grid.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "shell/game.h"

namespace arena {

void makeBlockImage(shell::Game& game) {
    auto& canvas = game.canvas;
    // The sprite is cut from a white rectangle drawn on the back buffer, which also gives it
    // the centre handle that makes drawing a cell at its centre cover exactly that cell.
    game.blockImage = canvas.makeImage(cellSize, cellSize);
    canvas.fillRect(0, 0, 100, 100);
    canvas.copyToImage(game.blockImage, 2, 2);
    canvas.clear();
}

void makeGrid(shell::Game& game) {
    std::fill(game.grid.begin(), game.grid.end(), solidCell);
    for (int n = 0; n < 11; ++n) {
        auto r = float(game.random.integer(4, 10));
        // On a grid too small for the radius these ranges run backwards; the random source
        // takes its bounds in either order.
        std::int32_t row = game.random.integer(std::int32_t(r) + 1, game.rows - std::int32_t(r) - 1);
        std::int32_t column = game.random.integer(std::int32_t(r) + 1, game.cols - std::int32_t(r) - 1);
        blast(game, column, row, r);
    }
    blast(game, game.cols - 6, game.rows / 2, 5.0f);
    blast(game, 5, game.rows / 2, 5.0f);
}

void blast(shell::Game& game, std::int32_t cx, std::int32_t cy, float r) {
    // The scan window is worked out in doubles and 64-bit integers so that a centre far
    // outside the grid (a click after a long drag) cannot overflow; clamping it to the inner
    // cells is the same as skipping every cell outside them.
    const double reach = double(r) + 2.0;
    const double r2 = double(r) * double(r);
    const auto iFirst = std::max<std::int64_t>(std::int64_t(std::trunc(double(cx) - reach)), 1);
    const auto iLast = std::min<std::int64_t>(std::int64_t(std::trunc(double(cx) + reach)), game.cols - 2);
    const auto jFirst = std::max<std::int64_t>(std::int64_t(std::trunc(double(cy) - reach)), 1);
    const auto jLast = std::min<std::int64_t>(std::int64_t(std::trunc(double(cy) + reach)), game.rows - 2);
    for (std::int64_t i = iFirst; i <= iLast; ++i) {
        for (std::int64_t j = jFirst; j <= jLast; ++j) {
            const std::int64_t di = i - cx;
            const std::int64_t dj = j - cy;
            if (double(di * di + dj * dj) <= r2) game.cell(std::int32_t(i), std::int32_t(j)) = 0;
        }
    }
}

void drawGrid(shell::Game& game) {
    auto& canvas = game.canvas;
    canvas.setRotation(0);
    canvas.setAlpha(1.0f);
    canvas.setBlend(platform::Blend::Alpha);
    for (std::int32_t i = 0; i < game.cols; ++i) {
        for (std::int32_t j = 0; j < game.rows; ++j) {
            const std::int32_t v = game.cell(i, j);
            if (v <= 0) continue;
            const int shade = 10 * int(std::min(v, solidCell));
            canvas.setColor(shade, shade, shade);
            canvas.drawImage(game.blockImage, float(cellSize * i + 8), float(cellSize * j + 8));
        }
    }
    canvas.setColor(255, 255, 255);
}

void handleClick(shell::Game& game) {
    if (game.input.mouseHits(platform::mouseLeft) == 0) return;
    const int x = game.input.mouseX();
    const int y = game.input.mouseY();
    game.sys.writeLine(std::to_string(x));
    game.sys.writeLine(std::to_string(y));
    blast(game, x / cellSize, y / cellSize, 2.0f);
}

}  // namespace arena
