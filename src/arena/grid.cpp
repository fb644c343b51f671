// grid.cpp -- the terrain: cell sprite, starting terrain, craters, drawing and mouse clicks
#include "arena/grid.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "shell/game.h"

namespace arena {

namespace {

// Where the sprite is cut from the white rectangle: inside it, clear of its edges.
constexpr int cutFrom = 2;

__extension__ typedef __int128 i128;

}  // namespace

void makeBlockImage(shell::Game& game) {
    auto& canvas = game.canvas;
    // The sprite is cut from a white rectangle drawn on the back buffer, which also gives it
    // the centre handle that makes drawing a cell at its centre cover exactly that cell.
    game.blockImage = canvas.makeImage(cellSize, cellSize);
    canvas.fillRect(0, 0, 100, 100);
    if (canvas.width() >= cutFrom + cellSize && canvas.height() >= cutFrom + cellSize) {
        canvas.copyToImage(game.blockImage, cutFrom, cutFrom);
    } else {
        // On a display under 18 pixels the block reaches past the back buffer, where a copy
        // reads black and every cell would show a black stripe; the same white rectangle on a
        // buffer large enough gives the sprite its full size.
        platform::Canvas roomy(cutFrom + cellSize, cutFrom + cellSize);
        roomy.fillRect(0, 0, 100, 100);
        roomy.copyToImage(game.blockImage, cutFrom, cutFrom);
    }
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
    // A NaN radius compares false with every distance: no cell is within it.
    if (std::isnan(r)) return;
    // The scan window is worked out in doubles and clamped to the inner cells before it becomes
    // an integer, so neither a centre far outside the grid (a click after a long drag) nor any
    // radius a float can hold, infinity included, can overflow. A window wholly off the inner
    // cells comes out empty (first past last).
    const double reach = double(r) + 2.0;
    const auto inside = [](double v, std::int32_t low, std::int32_t high) {
        return std::int32_t(std::max(double(low), std::min(std::trunc(v), double(high))));
    };
    const std::int32_t iFirst = inside(double(cx) - reach, 1, game.cols - 1);
    const std::int32_t iLast = inside(double(cx) + reach, 0, game.cols - 2);
    const std::int32_t jFirst = inside(double(cy) - reach, 1, game.rows - 1);
    const std::int32_t jLast = inside(double(cy) + reach, 0, game.rows - 2);
    // r * r is exact in a double (a float has 24 significant bits). Distances from a centre far
    // off the grid square to more than 64 bits, so they are summed in 128; only whole numbers
    // are compared, and a bound past any possible sum lets every cell in the window through.
    const double r2 = double(r) * double(r);
    const bool everything = r2 >= 0x1p126;
    const auto bound = everything ? i128(0) : i128(std::floor(r2));
    for (std::int32_t i = iFirst; i <= iLast; ++i) {
        for (std::int32_t j = jFirst; j <= jLast; ++j) {
            const i128 di = i128(i) - cx;
            const i128 dj = i128(j) - cy;
            if (everything || di * di + dj * dj <= bound) game.cell(i, j) = 0;
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
