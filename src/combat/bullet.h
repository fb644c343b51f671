// bullet.h -- one live shot, and the pass that moves, draws and resolves them all
#pragma once

#include <cstdint>

namespace shell {
struct Game;
}

namespace combat {

struct bullet {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t color = 0;  // team of the fighter that fired it: 1 red, 2 cyan

    // Appends a shot to the game's bulletList and returns it.
    static bullet& Create(shell::Game& game, std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy,
                          std::int32_t color);
    // The shot pass: every live shot, oldest first, moves, is drawn, strikes terrain or its
    // target, and leaves the list when it is spent.
    static void update(shell::Game& game);
};

}  // namespace combat
