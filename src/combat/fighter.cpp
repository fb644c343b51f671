// fighter.cpp -- drawing, walking and firing for both fighters, and the defeat check
#include "combat/fighter.h"

#include <cstdlib>
#include <string>

#include "combat/bullet.h"
#include "platform/input.h"
#include "shell/game.h"

namespace combat {

namespace {

// The only difference between the two fighters.
struct Controls {
    int red, green, blue;
    int left, right, up, down;
    int fireLeft, fireUp, fireRight, fireDown;
    std::int32_t team;
};

constexpr Controls redControls{
    255, 0,   0, platform::vk::left, platform::vk::right, platform::vk::up, platform::vk::down, 'J', 'I',
    'L', 'K', 1};
constexpr Controls cyanControls{0, 255, 255, 'F', 'H', 'T', 'G', 'A', 'W', 'D', 'S', 2};

struct Fighter {
    std::int32_t& x;
    std::int32_t& y;
    std::int32_t health;
    std::int32_t& lastShot;
};

void draw(shell::Game& game, const Fighter& f, const Controls& c) {
    auto& canvas = game.canvas;
    canvas.setColor(c.red, c.green, c.blue);
    canvas.fillRect(f.x - 16, f.y - 2, 33, 5);
    canvas.fillRect(f.x - 2, f.y - 16, 5, 33);
    canvas.fillEllipse(f.x - 8, f.y - 8, 18, 18);
    canvas.drawText(f.x - 15, f.y - 30, std::to_string(f.health));
    canvas.setColor(255, 255, 255);
}

// Beyond the grid the wall goes on: on a display too small for the fighters' 3x3 scan the
// cells outside count as solid, and nothing outside the grid is read.
bool solid(const shell::Game& game, std::int32_t i, std::int32_t j) {
    if (i < 0 || j < 0 || i >= game.cols || j >= game.rows) return true;
    return game.cell(i, j) > 0;
}

enum class Step { Left, Right, Up, Down };

// Puts the fighter back against every solid cell it now overlaps, on the side it came from.
// Each test sees the position left by the one before, so a push at one cell counts for the next.
void pushOut(const shell::Game& game, const Fighter& f, Step step) {
    const std::int32_t ci = f.x / 16;
    const std::int32_t cj = f.y / 16;
    for (std::int32_t i = ci - 1; i <= ci + 1; ++i) {
        for (std::int32_t j = cj - 1; j <= cj + 1; ++j) {
            const std::int32_t cx = 16 * i + 8;
            const std::int32_t cy = 16 * j + 8;
            if (!solid(game, i, j) || std::abs(f.x - cx) >= 24 || std::abs(f.y - cy) >= 24) continue;
            switch (step) {
                case Step::Left: f.x = cx + 24; break;
                case Step::Right: f.x = cx - 24; break;
                case Step::Up: f.y = cy + 24; break;
                case Step::Down: f.y = cy - 24; break;
            }
        }
    }
}

void move(shell::Game& game, const Fighter& f, const Controls& c) {
    const struct {
        int key;
        Step step;
        std::int32_t dx, dy;
    } steps[] = {{c.left, Step::Left, -game.speed, 0},
                 {c.right, Step::Right, game.speed, 0},
                 {c.up, Step::Up, 0, -game.speed},
                 {c.down, Step::Down, 0, game.speed}};
    for (const auto& s : steps) {
        if (!game.input.keyDown(s.key)) continue;
        f.x += s.dx;
        f.y += s.dy;
        pushOut(game, f, s.step);
    }
}

void fire(shell::Game& game, const Fighter& f, const Controls& c) {
    const auto now = std::int32_t(game.sys.nowMs());
    // The clock is a 32-bit counter that wraps. Measured by wrapping subtraction, the time since
    // the last shot stays right across both wraps (2^31, where the signed value turns negative,
    // and 2^32); a clock that reads behind the last shot gives a negative time and may fire, so
    // a fighter is never locked out. Comparing the raw values instead would let a second shot
    // out within the delay at the 2^31 wrap.
    const auto since = std::int32_t(std::uint32_t(now) - std::uint32_t(f.lastShot));
    if (!(since > game.shotDelay || since < 0)) return;

    const std::int32_t v = game.bulletSpeed;
    const struct {
        int key;
        std::int32_t dx, dy;
    } shots[] = {{c.fireLeft, -v, 0}, {c.fireUp, 0, -v}, {c.fireRight, v, 0}, {c.fireDown, 0, v}};
    for (const auto& s : shots) {
        if (!game.input.keyDown(s.key)) continue;
        f.lastShot = now;
        bullet::Create(game, f.x, f.y, s.dx, s.dy, c.team);
        return;
    }
}

void takeTurn(shell::Game& game, const Fighter& f, const Controls& c) {
    draw(game, f, c);
    move(game, f, c);
    fire(game, f, c);
}

}  // namespace

void updatePlayer1(shell::Game& game) {
    takeTurn(game, {game.p1x, game.p1y, game.p1health, game.p1shot}, redControls);
}

void updatePlayer2(shell::Game& game) {
    takeTurn(game, {game.p2x, game.p2y, game.p2health, game.p2shot}, cyanControls);
}

void defeatCheck(shell::Game& game) {
    if (game.p1health <= 0) {
        game.p1health = 0;
        game.winner = 2;
    }
    if (game.p2health <= 0) {
        game.p2health = 0;
        game.winner = 1;
    }
}

}  // namespace combat
