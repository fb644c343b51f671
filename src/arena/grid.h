// grid.h -- the terrain: cell sprite, starting terrain, craters, drawing and mouse clicks
#pragma once

#include <cstdint>

namespace shell {
struct Game;
}

namespace arena {

constexpr int cellSize = 16;
constexpr std::int32_t solidCell = 10;

// The white 16x16 sprite every solid cell and every shot is drawn with.
void makeBlockImage(shell::Game& game);
// Fills the grid and blasts eleven random craters and the two starting areas.
void makeGrid(shell::Game& game);
// Empties every inner cell within r cells of cell (cx, cy); the border ring never changes.
// Any centre is safe, however far outside the grid.
void blast(shell::Game& game, std::int32_t cx, std::int32_t cy, float r);
void drawGrid(shell::Game& game);
// A left click since the last frame prints where the pointer is and blasts a crater there.
void handleClick(shell::Game& game);

}  // namespace arena
