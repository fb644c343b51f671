// layer.h -- the terrain kept as drawn, and where each frame drew over it, for the fast frame
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/canvas.h"
#include "platform/rect_list.h"

namespace shell {
struct Game;
}

namespace arena {

struct Layer {
    platform::Canvas terrain;         // the buffer as clear and drawGrid leave it
    std::vector<std::int32_t> cells;  // the grid that terrain shows
    platform::RectList drawnLast;     // where the last frame drew over the terrain
    platform::RectList drawn;         // where this frame has drawn so far (the canvas records it)
    platform::RectList changed;       // what differs from the frame shown before
    bool fresh = true;                // nothing painted yet: the next frame paints and shows all
};

// Makes the layer for the display and grid just set up, taking its memory now rather than in the
// first frame, and from then on the back buffer tells the layer where it is drawn on.
void setUpLayer(shell::Game& game);
// The fast frame's first step, in place of clearing the buffer and drawing the terrain: leaves the
// buffer and the drawing state exactly as those two would, touching only what the last frame drew
// over and the cells that changed since.
void restoreTerrain(shell::Game& game);
// Every pixel that may differ from the frame shown before, once the frame is drawn.
std::span<const platform::Rect> changedRects(shell::Game& game);

}  // namespace arena
