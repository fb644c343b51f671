// frame.h -- one frame of the game, and the loop that paces frames until Escape
#pragma once

namespace shell {

struct Game;

// Draws and updates one frame into the back buffer; presenting is separate so tests can step
// frames directly. Redraws only what can differ from the last frame.
void runFrame(Game& game);
// The same frame drawn from scratch: clear, terrain, click, fighters, defeat check, shots. Leaves
// the buffer, the drawing state and the game exactly as runFrame does; the tests hold one to the other.
void runFullFrame(Game& game);
// Waits for the frame's slot in the 60 Hz schedule (unless the display does that itself) and
// shows the back buffer.
void presentFrame(Game& game);
// Runs frames until Escape is pressed or a signal asks the run to end. Returns the exit status.
int runLoop(Game& game);

}  // namespace shell
