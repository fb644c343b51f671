// fighter.h -- the two fighters' turns and the defeat check
#pragma once

namespace shell {
struct Game;
}

namespace combat {

void updatePlayer1(shell::Game& game);  // the red fighter's turn
void updatePlayer2(shell::Game& game);  // the cyan fighter's turn
// A fighter at zero health or below is set to 0 and out; if both are, cyan's loss is decided
// last, so red wins.
void defeatCheck(shell::Game& game);

}  // namespace combat
