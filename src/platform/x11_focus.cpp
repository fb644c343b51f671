// x11_focus.cpp -- the X11 focus watch, and what the X server offers for drawing
#include "platform/x11_focus.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/input.h"
#include "platform/sdl_keys.h"

namespace platform {

bool X11FocusWatch::attach(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    display_ = info.info.x11.display;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return true;
}

void X11FocusWatch::detach() {
    display_ = nullptr;
    focusCameIn_ = false;
}

void X11FocusWatch::handle(const XEvent& event, Input& input) {
    // X follows every focus-in, and every pointer entry too, with the keys down at that
    // moment. Only the one after a real focus-in is a focus change (focus moving between a
    // window and its own children, or a passing keyboard grab, is not); presses after it are
    // real even if SDL's own focus event is still to come.
    if (event.type == FocusIn) {
        const XFocusChangeEvent& focus = event.xfocus;
        focusCameIn_ = (focus.mode == NotifyNormal || focus.mode == NotifyWhileGrabbed) &&
                       focus.detail != NotifyInferior && focus.detail != NotifyPointer;
    } else if (event.type == KeymapNotify) {
        if (focusCameIn_) input.focusChanged(keysInVector(display_, event.xkeymap.key_vector));
        focusCameIn_ = false;
    }
}

std::vector<int> X11FocusWatch::keysDown() const {
    char bits[32] = {};
    XQueryKeymap(display_, bits);
    return keysInVector(display_, bits);
}

bool offersDirectRendering(Display* display) {
    for (const char* name : {"DRI3", "NV-GLX"}) {
        int opcode = 0, event = 0, error = 0;
        if (XQueryExtension(display, name, &opcode, &event, &error)) return true;
    }
    return false;
}

}  // namespace platform
