// x11_focus.h -- the X11 focus watch: which keys were down when focus came in, straight from X
#pragma once

#include <vector>

struct SDL_Window;
// Xlib's own names for Display and XEvent, declared here so this header needs no Xlib.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier)
union _XEvent;     // NOLINT(bugprone-reserved-identifier)

namespace platform {

class Input;

// SDL announces a returning focus some milliseconds late and then reports keys held through
// the change as fresh presses (X's auto-repeat). X itself says exactly which keys were down at
// the moment focus came in, so on X11 the game listens to X for that.
class X11FocusWatch {
public:
    // Starts listening when `window` lives on X11; false on any other window system.
    bool attach(SDL_Window* window);
    void detach();
    bool attached() const { return display_ != nullptr; }
    // The X connection SDL uses for the window, while attached.
    _XDisplay* display() const { return display_; }

    void handle(const _XEvent& event, Input& input);
    std::vector<int> keysDown() const;

private:
    _XDisplay* display_ = nullptr;
    bool focusCameIn_ = false;  // the next keymap from X is the one at a focus-in
};

// Whether the X server hands clients a GPU to draw with (DRI3, or NVIDIA's own GLX). Without it GL
// runs in software and no retrace reaches the program: a virtual or dummy screen. DRI2 is no sign:
// Xorg offers it even with the dummy driver, where it gives nothing.
bool offersDirectRendering(_XDisplay* display);

}  // namespace platform
