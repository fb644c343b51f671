// sdl_keys.cpp -- the key-code tables: SDL key codes and X keysyms to the game's virtual keys
#include "platform/sdl_keys.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include "platform/input.h"

namespace platform {

// SDL key codes follow the keyboard layout, as virtual keys do.
int virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 112 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 97 + (key - SDLK_KP_1);
    switch (key) {
        case SDLK_BACKSPACE: return 8;
        case SDLK_TAB: return 9;
        case SDLK_RETURN: return 13;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return 16;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 17;
        case SDLK_LALT:
        case SDLK_RALT: return 18;
        case SDLK_PAUSE: return 19;
        case SDLK_CAPSLOCK: return 20;
        case SDLK_ESCAPE: return vk::escape;
        case SDLK_SPACE: return 32;
        case SDLK_PAGEUP: return 33;
        case SDLK_PAGEDOWN: return 34;
        case SDLK_END: return 35;
        case SDLK_HOME: return 36;
        case SDLK_LEFT: return vk::left;
        case SDLK_UP: return vk::up;
        case SDLK_RIGHT: return vk::right;
        case SDLK_DOWN: return vk::down;
        case SDLK_INSERT: return 45;
        case SDLK_DELETE: return 46;
        case SDLK_KP_0: return 96;
        default: return -1;
    }
}

int mouseButton(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return mouseLeft;
        case SDL_BUTTON_RIGHT: return mouseRight;
        case SDL_BUTTON_MIDDLE: return mouseMiddle;
        default: return -1;
    }
}

int virtualKeyFromKeysym(KeySym sym) {
    // Printable keysyms are the same numbers as SDL's key codes (lower-case letters).
    if (sym >= 0x20 && sym <= 0x7E) return virtualKey(SDL_Keycode(sym));
    if (sym >= XK_F1 && sym <= XK_F12) return virtualKey(SDL_Keycode(SDLK_F1 + int(sym - XK_F1)));
    if (sym >= XK_KP_0 && sym <= XK_KP_9)
        return sym == XK_KP_0 ? 96 : virtualKey(SDL_Keycode(SDLK_KP_1 + int(sym - XK_KP_1)));
    static const struct {
        KeySym sym;
        SDL_Keycode key;
    } named[] = {{XK_Escape, SDLK_ESCAPE},   {XK_BackSpace, SDLK_BACKSPACE}, {XK_Tab, SDLK_TAB},
                 {XK_Return, SDLK_RETURN},   {XK_Shift_L, SDLK_LSHIFT},      {XK_Shift_R, SDLK_RSHIFT},
                 {XK_Control_L, SDLK_LCTRL}, {XK_Control_R, SDLK_RCTRL},     {XK_Alt_L, SDLK_LALT},
                 {XK_Alt_R, SDLK_RALT},      {XK_Pause, SDLK_PAUSE},         {XK_Caps_Lock, SDLK_CAPSLOCK},
                 {XK_Prior, SDLK_PAGEUP},    {XK_Next, SDLK_PAGEDOWN},       {XK_End, SDLK_END},
                 {XK_Home, SDLK_HOME},       {XK_Left, SDLK_LEFT},           {XK_Up, SDLK_UP},
                 {XK_Right, SDLK_RIGHT},     {XK_Down, SDLK_DOWN},           {XK_Insert, SDLK_INSERT},
                 {XK_Delete, SDLK_DELETE}};
    for (const auto& n : named)
        if (n.sym == sym) return virtualKey(n.key);
    return -1;
}

std::vector<int> keysInVector(Display* display, const char* bits) {
    std::vector<int> keys;
    for (int code = 8; code < 256; ++code)
        if (bits[code / 8] & (1 << (code % 8)))
            keys.push_back(virtualKeyFromKeysym(XkbKeycodeToKeysym(display, KeyCode(code), 0, 0)));
    return keys;
}

std::vector<int> keysSdlHolds() {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    std::vector<int> keys;
    for (int code = 0; code < count; ++code)
        if (state[code]) keys.push_back(virtualKey(SDL_GetKeyFromScancode(SDL_Scancode(code))));
    return keys;
}

}  // namespace platform
