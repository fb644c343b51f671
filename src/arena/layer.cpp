// layer.cpp -- the terrain kept as drawn, and where each frame drew over it, for the fast frame
//
// The full frame clears the buffer and draws every cell before the fighters and shots. Only a few
// thousand pixels of that change from one frame to the next, so the fast frame keeps the cleared
// and drawn terrain as a layer of its own, and the back buffer records the bounding box of every
// drawing operation. A frame then starts by repainting into the layer the cells whose value
// differs from what the layer shows, and copying back from the layer what the last frame drew over
// plus those cells; after that the buffer is what clear and drawGrid would have left, and the rest
// of the frame draws as usual. A clear (the full frame, the sprite's making) records the whole
// buffer, so the next fast frame copies all of it back. The same rectangles, with this frame's
// drawing, are what the display has to show anew.
#include "arena/layer.h"

#include <algorithm>

#include "arena/grid.h"
#include "shell/game.h"

namespace arena {
namespace {

// One cell as drawGrid draws it onto a cleared buffer. The sprite covers exactly its own cell, so
// a cell never touches its neighbours and can be drawn alone.
void paintCell(shell::Game& game, std::int32_t i, std::int32_t j) {
    auto& terrain = game.layer.terrain;
    terrain.setColor(0, 0, 0);
    terrain.fillRect(cellSize * i, cellSize * j, cellSize, cellSize);
    const std::int32_t v = game.cell(i, j);
    if (v <= 0) return;
    const int shade = 10 * int(std::min(v, solidCell));
    terrain.setColor(shade, shade, shade);
    terrain.drawImage(game.blockImage, float(cellSize * i + 8), float(cellSize * j + 8));
}

// Room for the rectangles of a busy frame, so that frames do not allocate as the game warms up.
constexpr std::size_t usualRects = 64;

}  // namespace

void setUpLayer(shell::Game& game) {
    auto& layer = game.layer;
    layer.terrain = platform::Canvas(game.canvas.width(), game.canvas.height());
    layer.terrain.setRotation(0);
    layer.terrain.setAlpha(1.0f);
    layer.terrain.setBlend(platform::Blend::Alpha);
    layer.cells.assign(game.grid.size(), 0);
    for (auto* list : {&layer.drawnLast, &layer.drawn, &layer.changed}) list->reserve(usualRects);
    layer.fresh = true;
    game.canvas.recordDrawing(&layer.drawn);
}

void restoreTerrain(shell::Game& game) {
    auto& layer = game.layer;
    auto& canvas = game.canvas;
    std::swap(layer.drawnLast, layer.drawn);
    layer.drawn.clear();
    layer.changed.clear();
    canvas.recordDrawing(&layer.drawn);
    // The terrain is drawn with whatever scale is set, and the layer holds it drawn unscaled: the
    // game always leaves the scale at 1, but should a frame start otherwise, it is drawn in full.
    if (canvas.scaleX() != 1.0f || canvas.scaleY() != 1.0f) {
        canvas.clear();
        drawGrid(game);
        return;
    }

    // The first frame, a new buffer or a grid of another size: every cell is painted afresh and
    // all is shown.
    if (layer.terrain.width() != canvas.width() || layer.terrain.height() != canvas.height() ||
        layer.cells.size() != game.grid.size())
        setUpLayer(game);
    const bool fresh = layer.fresh;
    layer.fresh = false;
    const platform::Rect whole{0, 0, canvas.width(), canvas.height()};
    if (fresh) layer.changed.add(whole);
    const bool cellsChanged = fresh || layer.cells != game.grid;  // most frames: one compare, no walk
    for (std::int32_t i = 0; i < game.cols && cellsChanged; ++i) {
        for (std::int32_t j = 0; j < game.rows; ++j) {
            const std::size_t k = game.cellIndex(i, j);
            if (!fresh && layer.cells[k] == game.grid[k]) continue;
            layer.cells[k] = game.grid[k];
            paintCell(game, i, j);
            const int x = cellSize * i, y = cellSize * j;  // the last column and row may hang over the edge
            layer.changed.add(
                {x, y, std::min(cellSize, whole.width - x), std::min(cellSize, whole.height - y)});
        }
    }
    layer.changed.add(layer.drawnLast.rects());
    for (const platform::Rect& r : layer.changed.rects()) canvas.copyRect(layer.terrain, r);

    // The drawing state drawGrid leaves behind, which the fighters and shots draw with.
    canvas.setRotation(0);
    canvas.setAlpha(1.0f);
    canvas.setBlend(platform::Blend::Alpha);
    canvas.setColor(255, 255, 255);
}

std::span<const platform::Rect> changedRects(shell::Game& game) {
    game.layer.changed.add(game.layer.drawn.rects());
    return game.layer.changed.rects();
}

}  // namespace arena
