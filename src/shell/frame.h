// frame.h -- one frame of the game, and the loop that paces frames until Escape
#pragma once

namespace shell {

struct Game;

// Draws and updates one frame into the back buffer; presenting is separate so tests can step
// frames directly.
void runFrame(Game& game);
// Waits for the frame's slot in the 60 Hz schedule (unless the display does that itself) and
// shows the back buffer.
void presentFrame(Game& game);
// Runs frames until Escape is pressed or a signal asks the run to end. Returns the exit status.
int runLoop(Game& game);

}  // namespace shell
