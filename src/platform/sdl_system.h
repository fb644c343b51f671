// sdl_system.h -- the real machine: stdin/stdout console, steady clock, SDL2 display and events
#pragma once

#include <vector>

#include "platform/system.h"
#include "platform/x11_focus.h"

struct SDL_Rect;
struct SDL_Surface;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace platform {

// How a full screen reaches the display. The game always chooses for itself; the benchmarks
// force each way to weigh them against each other.
enum class FullScreenPath {
    chosen,         // a GL renderer where the X server offers a GPU, else the window surface
    renderer,       // a renderer that asks for the retrace, and a streaming texture
    windowSurface,  // the window's own pixels, as a window is shown: no GL at all
};

class SdlSystem final : public System {
public:
    // A console reader that goes away (`craterduel | head`) only loses the lines after it.
    explicit SdlSystem(FullScreenPath path = FullScreenPath::chosen);
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
    std::string openRenderer(int width, int height);
    std::string showSurface();
    bool fullScreenLost() const;
    std::vector<int> keysDownNow() const;

    FullScreenPath path_;
    bool sdlStarted_ = false;
    bool fullScreen_ = false;
    bool retraceTrusted_ = false;
    int width_ = 0;
    int height_ = 0;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    X11FocusWatch focus_;                  // attached when SDL runs on X11
    bool showWhole_ = true;                // the next present shows the whole frame, not what changed
    SDL_Surface* shownSurface_ = nullptr;  // the window surface the last frame went to
    std::vector<SDL_Rect> shownRects_;     // kept between frames so presenting allocates nothing
};

}  // namespace platform
