// system.h -- what the game asks of the machine: console, clock, display and its events
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/rect.h"

namespace platform {

class Canvas;
class Input;

// Called by the shell only. The SDL backend is the real one; tests script their own.
class System {
public:
    virtual ~System() = default;

    // Console. A prompt has no line break and is flushed at once.
    virtual void prompt(std::string_view text) = 0;
    // One line without its line feed or carriage returns; nothing when input ended before
    // the line feed or could not be read.
    virtual std::optional<std::string> readLine() = 0;
    virtual void writeLine(std::string_view text) = 0;
    virtual void writeError(std::string_view text) = 0;

    // Clock: milliseconds on a 32-bit counter that wraps.
    virtual std::uint32_t nowMs() = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;

    // Display. openDisplay returns an empty string on success, otherwise why it failed.
    virtual std::string openDisplay(int width, int height, bool fullScreen) = 0;
    virtual int displayWidth() const = 0;
    virtual int displayHeight() const = 0;
    // True while presenting waits for the vertical retrace itself; otherwise the caller
    // paces frames in software.
    virtual bool presentWaitsForRetrace() = 0;
    // Shows the back buffer. `changed` covers every pixel that differs from the frame shown
    // before (the whole buffer on the first frame); the backend may show more, and shows the
    // whole frame whenever the window system may have lost what it had.
    virtual void present(const Canvas& canvas, std::span<const Rect> changed) = 0;
    virtual void movePointer(int x, int y) = 0;
    virtual void closeDisplay() = 0;

    // Hands every pending window event to the input model.
    virtual void pumpEvents(Input& input) = 0;
    // Non-zero once SIGINT, SIGTERM, SIGHUP or SIGQUIT asked the run to end: the signal's number.
    virtual int stopSignal() { return 0; }
};

}  // namespace platform
