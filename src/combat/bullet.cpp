// bullet.cpp -- making shots and the per-frame shot pass
#include "combat/bullet.h"

#include <cmath>

#include "arena/grid.h"
#include "shell/game.h"

namespace combat {

namespace {

std::int32_t floorDiv16(std::int32_t v) { return std::int32_t(std::floor(double(v) / 16.0)); }

void draw(shell::Game& game, const bullet& b) {
    auto& canvas = game.canvas;
    canvas.setColor(255, 255, 0);
    canvas.setAlpha(1.0f);
    if (b.dx != 0) {
        canvas.setScale(1.0f, 0.2f);
        canvas.drawImage(game.blockImage, float(b.x), float(b.y));
    } else if (b.dy != 0) {
        canvas.setScale(0.2f, 1.0f);
        canvas.drawImage(game.blockImage, float(b.x), float(b.y));
    }
    canvas.setAlpha(1.0f);
    canvas.setScale(1.0f, 1.0f);
}

// True when the shot is spent on terrain: a crater in a solid inner cell, or the border.
bool strikeTerrain(shell::Game& game, const bullet& b) {
    const std::int32_t ci = floorDiv16(b.x);
    const std::int32_t cj = floorDiv16(b.y);
    if (ci > 0 && ci < game.cols - 1 && cj > 0 && cj < game.rows - 1) {
        if (game.cell(ci, cj) <= 0) return false;
        arena::blast(game, ci, cj, game.random.real(game.blastMin, game.blastMax));
    }
    return true;
}

// True when the shot hurts the fighter of the other team. The distance is squared in 64 bits
// so that far-flung coordinates cannot overflow into a false hit.
bool strikeFighter(shell::Game& game, const bullet& b) {
    std::int32_t* health = nullptr;
    std::int64_t tx = 0, ty = 0;
    if (b.color == 1) {
        health = &game.p2health;
        tx = game.p2x;
        ty = game.p2y;
    } else if (b.color == 2) {
        health = &game.p1health;
        tx = game.p1x;
        ty = game.p1y;
    } else {
        return false;
    }
    const std::int64_t dx = b.x - tx;
    const std::int64_t dy = b.y - ty;
    if (dx * dx + dy * dy > 256) return false;
    *health -= game.random.integer(game.damageMin, game.damageMax);
    return true;
}

}  // namespace

bullet& bullet::Create(shell::Game& game, std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy,
                       std::int32_t color) {
    return game.bulletList.emplace_back(bullet{x, y, dx, dy, color});
}

void bullet::update(shell::Game& game) {
    auto& list = game.bulletList;
    // Spent shots are dropped by compacting the survivors forward in order, so the walk is
    // never disturbed and each shot present at the start is handled exactly once.
    std::size_t kept = 0;
    for (std::size_t k = 0; k < list.size(); ++k) {
        bullet b = list[k];
        b.x += b.dx;
        b.y += b.dy;
        draw(game, b);
        // The hit step runs even when the terrain has already spent the shot.
        const bool spentOnTerrain = strikeTerrain(game, b);
        const bool spentOnFighter = strikeFighter(game, b);
        if (!spentOnTerrain && !spentOnFighter) list[kept++] = b;
    }
    list.resize(kept);
}

}  // namespace combat
