// sdl_keys.h -- SDL key codes, mouse buttons and X keysyms as the game's virtual keys
#pragma once

#include <SDL.h>
#include <X11/Xlib.h>

#include <vector>

namespace platform {

// -1 for keys and buttons the game has no name for.
int virtualKey(SDL_Keycode key);
int mouseButton(Uint8 sdlButton);
int virtualKeyFromKeysym(KeySym sym);

// X reports held keys as a 256-bit vector indexed by key code.
std::vector<int> keysInVector(Display* display, const char* bits);
// The keys SDL believes are down, for video drivers other than X11.
std::vector<int> keysSdlHolds();

}  // namespace platform
