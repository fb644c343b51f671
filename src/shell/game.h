// game.h -- the whole game state in one value, with the machine it plays on
#pragma once

#include <cassert>
#include <cstdint>
#include <vector>

#include "arena/layer.h"
#include "combat/bullet.h"
#include "platform/canvas.h"
#include "platform/input.h"
#include "platform/pacer.h"
#include "platform/random.h"
#include "platform/system.h"

namespace shell {

// Every function of the game takes this by reference; nothing else is global, so any number of
// independent games can live side by side (the tests build many).
struct Game {
    // Every input query hands the machine's pending events to the input model first.
    explicit Game(platform::System& system) : sys(system) {
        input.setPump([this] { sys.pumpEvents(input); });
    }
    // The pump points back at this value, so it stays where it was made.
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // The machine.
    platform::System& sys;
    platform::Canvas canvas;
    platform::Input input;
    platform::Random random;
    platform::Pacer pacer;

    // Arena. grid is addressed [column, row]: use cell(i, j).
    std::int32_t cols = 0;
    std::int32_t rows = 0;
    std::vector<std::int32_t> grid;
    platform::Image blockImage;

    std::int32_t& cell(std::int32_t i, std::int32_t j) { return grid[cellIndex(i, j)]; }
    std::int32_t cell(std::int32_t i, std::int32_t j) const { return grid[cellIndex(i, j)]; }
    std::size_t cellIndex(std::int32_t i, std::int32_t j) const {
        // A row off the grid can still land inside the vector, where no sanitizer sees it.
        assert(i >= 0 && i < cols && j >= 0 && j < rows);
        return std::size_t(i) * std::size_t(rows) + std::size_t(j);
    }

    // The red fighter (player 1) and the cyan one (player 2): centre, health, last shot time.
    std::int32_t p1x = 0, p1y = 0, p1health = 100, p1shot = 0;
    std::int32_t p2x = 80, p2y = 0, p2health = 100, p2shot = 0;

    // Live shots, oldest first.
    std::vector<combat::bullet> bulletList;
    // 0 both in play, 1 red has won, 2 cyan has won.
    std::int32_t winner = 0;

    // What the fast frame keeps between frames: the terrain as drawn and where sprites went.
    arena::Layer layer;

    // Tuning.
    std::int32_t speed = 8;         // pixels per frame per held movement key
    std::int32_t shotDelay = 100;   // ms a fighter must wait, strictly more, between shots
    std::int32_t bulletSpeed = 16;  // pixels per frame
    std::int32_t damageMin = 5;
    std::int32_t damageMax = 10;
    float blastMin = 1.0f;  // crater radius of a shot, in cells
    float blastMax = 2.1f;
};

}  // namespace shell
