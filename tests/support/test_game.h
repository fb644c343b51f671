// test_game.h -- a game set up on a scripted machine, ready to step frame by frame
#pragma once

#include <memory>
#include <stdexcept>

#include "shell/game.h"
#include "shell/startup.h"
#include "support/scripted_system.h"

namespace testing_support {

// Opens a display of the given size and runs the whole set-up, as start-up does after the
// dialogue. The random source is seeded explicitly so each test is repeatable.
struct TestGame {
    explicit TestGame(int width = 800, int height = 600, std::uint64_t seed = 1) {
        game.random.seed(seed);
        const auto problem = shell::openDisplay(game, shell::Answers{width, height, 0});
        if (!problem.empty()) throw std::runtime_error(problem);
        shell::setUp(game);
        sys.out.clear();
    }

    // A grid with the border ring solid and everything inside empty, for tests that place
    // their own terrain.
    void clearInside() {
        for (std::int32_t i = 0; i < game.cols; ++i)
            for (std::int32_t j = 0; j < game.rows; ++j)
                game.cell(i, j) = (i == 0 || j == 0 || i == game.cols - 1 || j == game.rows - 1) ? 10 : 0;
    }

    void hold(int key) { game.input.keyEvent(key, true, false); }
    void release(int key) { game.input.keyEvent(key, false, false); }

    ScriptedSystem sys;
    shell::Game game{sys};
};

}  // namespace testing_support
