// sdl_system.h -- the real machine: stdin/stdout console, steady clock, SDL2 display and events
#pragma once

#include <vector>

#include "platform/system.h"

struct SDL_Rect;
struct SDL_Surface;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
// Xlib's own names for Display and XEvent, declared here so this header needs no Xlib.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier)
union _XEvent;     // NOLINT(bugprone-reserved-identifier)

namespace platform {

class SdlSystem final : public System {
public:
    SdlSystem();
    ~SdlSystem() override;
    SdlSystem(const SdlSystem&) = delete;
    SdlSystem& operator=(const SdlSystem&) = delete;

    void prompt(std::string_view text) override;
    std::optional<std::string> readLine() override;
    void writeLine(std::string_view text) override;
    void writeError(std::string_view text) override;

    std::uint32_t nowMs() override;
    void sleepMs(std::uint32_t ms) override;

    std::string openDisplay(int width, int height, bool fullScreen) override;
    int displayWidth() const override { return width_; }
    int displayHeight() const override { return height_; }
    bool presentWaitsForRetrace() override;
    void present(const Canvas& canvas, std::span<const Rect> changed) override;
    void movePointer(int x, int y) override;
    void closeDisplay() override;

    void pumpEvents(Input& input) override;
    int stopSignal() override;

private:
    std::string openWindow(int width, int height);
    std::string openFullScreen(int width, int height);
    bool fullScreenLost() const;
    void watchFocus();
    std::vector<int> keysDownNow() const;
    void handleX11Event(const _XEvent& event, Input& input);

    bool sdlStarted_ = false;
    bool fullScreen_ = false;
    bool vsync_ = false;
    int width_ = 0;
    int height_ = 0;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    _XDisplay* x11Display_ = nullptr;  // set when SDL runs on X11
    bool focusCameIn_ = false;         // the next keymap from X is the one at a focus-in
    bool showWhole_ = true;            // the next present shows the whole frame, not what changed
    SDL_Surface* shownSurface_ = nullptr;  // the window surface the last frame went to
    std::vector<SDL_Rect> shownRects_;     // kept between frames so presenting allocates nothing
};

}  // namespace platform
