// frame.cpp -- the order of a frame and the paced loop around it
#include "shell/frame.h"

#include "arena/grid.h"
#include "arena/layer.h"
#include "combat/bullet.h"
#include "combat/fighter.h"
#include "shell/game.h"

namespace shell {

void runFrame(Game& game) {
    arena::restoreTerrain(game);
    arena::handleClick(game);
    if (game.winner != 2) combat::updatePlayer1(game);
    if (game.winner != 1) combat::updatePlayer2(game);
    combat::defeatCheck(game);
    combat::bullet::update(game);
}

void runFullFrame(Game& game) {
    game.canvas.clear();
    arena::drawGrid(game);
    arena::handleClick(game);
    if (game.winner != 2) combat::updatePlayer1(game);
    if (game.winner != 1) combat::updatePlayer2(game);
    combat::defeatCheck(game);
    combat::bullet::update(game);
}

void presentFrame(Game& game) {
    // Without a retrace to wait for (a window, or a full screen lost to another program) the
    // schedule is kept in software, so the game neither races nor stalls unseen.
    const bool retrace = game.sys.presentWaitsForRetrace();
    game.pacer.followRetrace(retrace, game.sys.nowMs());
    if (!retrace) {
        const std::uint32_t wait = game.pacer.nextFrame(game.sys.nowMs());
        if (wait > 0) game.sys.sleepMs(wait);
    }
    game.sys.present(game.canvas, arena::changedRects(game));
}

int runLoop(Game& game) {
    for (;;) {
        const bool escape = game.input.keyHits(platform::vk::escape) > 0;
        if (const int signal = game.sys.stopSignal()) return 128 + signal;
        if (escape) return 0;
        runFrame(game);
        presentFrame(game);
    }
}

}  // namespace shell
