// bench_game.h -- a running game on a silent machine, set up the way start-up sets one up
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "combat/bullet.h"
#include "platform/system.h"
#include "shell/game.h"
#include "shell/startup.h"

namespace bench {

// Says nothing, shows nothing and keeps a clock that only the benchmark moves, so a frame's cost
// is the game's own drawing and updating.
class QuietSystem final : public platform::System {
public:
    void prompt(std::string_view) override {}
    std::optional<std::string> readLine() override { return std::nullopt; }
    void writeLine(std::string_view) override {}
    void writeError(std::string_view) override {}
    std::uint32_t nowMs() override { return clock; }
    void sleepMs(std::uint32_t ms) override { clock += ms; }
    std::string openDisplay(int width, int height, bool) override {
        width_ = width;
        height_ = height;
        return {};
    }
    int displayWidth() const override { return width_; }
    int displayHeight() const override { return height_; }
    bool presentWaitsForRetrace() override { return false; }
    void present(const platform::Canvas&, std::span<const platform::Rect>) override {}
    void movePointer(int, int) override {}
    void closeDisplay() override {}
    void pumpEvents(platform::Input&) override {}

    std::uint32_t clock = 1000;

private:
    int width_ = 0;
    int height_ = 0;
};

// Opens the game's display on `sys` and runs the whole set-up; throws when the size is refused.
inline void setUpGame(shell::Game& game, int width, int height, std::uint64_t seed = 7) {
    game.random.seed(seed);
    const std::string problem = shell::openDisplay(game, shell::Answers{width, height, 0});
    if (!problem.empty()) throw std::runtime_error(problem);
    shell::setUp(game);
}

// `count` shots, each sitting in an empty cell with the empty cell to its right ahead of it and
// far from both fighters, so the next shot pass moves and draws every one and spends none.
// Spread over the arena by taking every k-th such cell. Fewer come back on a tiny arena.
inline std::vector<combat::bullet> shotsInFlight(const shell::Game& game, int count) {
    std::vector<combat::bullet> room;
    for (std::int32_t j = 1; j < game.rows - 1; ++j) {
        for (std::int32_t i = 1; i + 2 < game.cols - 1; ++i) {
            if (game.cell(i, j) > 0 || game.cell(i + 1, j) > 0) continue;
            const std::int32_t x = 16 * i + 8, y = 16 * j + 8;
            const auto farFrom = [&](std::int32_t fx, std::int32_t fy) {
                const std::int64_t dx = x + 16 - fx, dy = y - fy;
                return dx * dx + dy * dy > 4 * 256;
            };
            if (farFrom(game.p1x, game.p1y) && farFrom(game.p2x, game.p2y))
                room.push_back({x, y, 16, 0, 1 + int(room.size() % 2)});
        }
    }
    std::vector<combat::bullet> shots;
    if (room.empty() || count <= 0) return shots;
    const std::size_t step = std::max<std::size_t>(1, room.size() / std::size_t(count));
    for (std::size_t k = 0; k < room.size() && shots.size() < std::size_t(count); k += step)
        shots.push_back(room[k]);
    return shots;
}

}  // namespace bench
