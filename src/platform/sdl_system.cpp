// sdl_system.cpp -- the SDL backend: choosing a real display, window or full screen, events, presenting
#include "platform/sdl_system.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/input.h"
#include "platform/retrace.h"
#include "platform/sdl_keys.h"
#include "platform/stop_signals.h"

namespace platform {

namespace {

// After these the window system may show, or hold, less than the last frame: uncovered, mapped
// again, restored from an icon, resized, or given back the focus (a full screen regained).
bool losesPicture(Uint8 windowEvent) {
    switch (windowEvent) {
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_FOCUS_GAINED: return true;
        default: return false;
    }
}

std::string sdlError(const char* what) { return std::string(what) + ": " + SDL_GetError(); }

// SDL falls back to these when nothing real answers; a game there runs unseen and cannot be
// reached by Escape.
bool showsNothing(const char* driver) {
    for (const char* name : {"offscreen", "dummy", "evdev"})
        if (SDL_strcasecmp(driver, name) == 0) return true;
    return false;
}

// The first video driver that reaches a real display; those that show nothing are never started.
// A driver named in SDL_VIDEODRIVER is the only one tried. Wayland's client library complains on stderr when it has no runtime folder to
// look in, so without one it is not asked.
bool startVideo() {
    std::vector<const char*> candidates;
    if (const char* asked = SDL_getenv("SDL_VIDEODRIVER"); asked && *asked) {
        candidates.push_back(asked);
    } else {
        const char* runtime = SDL_getenv("XDG_RUNTIME_DIR");
        for (int n = 0; n < SDL_GetNumVideoDrivers(); ++n) {
            const char* driver = SDL_GetVideoDriver(n);
            if (SDL_strcasecmp(driver, "wayland") == 0 && !(runtime && *runtime)) continue;
            candidates.push_back(driver);
        }
    }
    for (const char* driver : candidates) {
        if (showsNothing(driver)) continue;
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    }
    return false;
}

std::string noDisplayProblem() {
    if (const char* asked = SDL_getenv("SDL_VIDEODRIVER"); asked && *asked)
        return std::string("no display to open on (SDL_VIDEODRIVER is \"") + asked + "\")";
    const char* display = SDL_getenv("DISPLAY");
    return std::string("no display to open on (DISPLAY is ") +
           (display && *display ? std::string("\"") + display + "\", with no X server there)" : "unset)");
}

// A fresh window surface is megabytes of untouched memory, and in a virtual machine touching it
// one page fault at a time costs tens of milliseconds at start-up; one request for all the pages
// costs a few. Only a hint: a kernel without it simply faults them in as before.
void populate(void* memory, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    // Back to the page start by pointer arithmetic: a pointer made from an integer loses what
    // the compiler knows about where it points.
    const auto offset = reinterpret_cast<std::uintptr_t>(memory) % page;
    madvise(static_cast<char*>(memory) - offset, bytes + offset, MADV_POPULATE_WRITE);
#else
    (void)memory, (void)bytes;
#endif
}

double preciseNowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

SdlSystem::SdlSystem(FullScreenPath path) : path_(path) { ignoreBrokenPipe(); }

SdlSystem::~SdlSystem() { closeDisplay(); }

void SdlSystem::prompt(std::string_view text) { writeFlushed(stdout, text); }
std::optional<std::string> SdlSystem::readLine() { return platform::readLine(stdin); }
void SdlSystem::writeLine(std::string_view text) {
    std::string line(text);
    line.push_back('\n');
    writeFlushed(stdout, line);
}
void SdlSystem::writeError(std::string_view text) { writeFlushed(stderr, text); }

std::uint32_t SdlSystem::nowMs() { return steadyNowMs(); }
void SdlSystem::sleepMs(std::uint32_t ms) { sleepForMs(ms); }

std::string SdlSystem::openDisplay(int width, int height, bool fullScreen) {
    // Our own handlers, not SDL's: SDL would turn Ctrl+C into a quit event the game ignores.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The click that focuses the window is a click in the game too.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The window surface is written straight from the back buffer; no GL context is needed.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!startVideo()) {
        SDL_Quit();  // whatever the attempts started on the way
        return noDisplayProblem();
    }
    sdlStarted_ = true;
    catchStopSignals();

    fullScreen_ = fullScreen;
    shownRects_.reserve(64);  // a busy frame's worth, so presenting does not allocate as play warms up
    std::string problem = fullScreen ? openFullScreen(width, height) : openWindow(width, height);
    if (!problem.empty()) closeDisplay();
    return problem;
}

std::string SdlSystem::openWindow(int width, int height) {
    // Centred by hand: SDL's own centring rounds odd sizes differently.
    SDL_Rect screen{};
    if (SDL_GetDisplayBounds(0, &screen) != 0) return sdlError("no screen");
    const int left = screen.x + screen.w / 2 - width / 2;
    const int top = screen.y + screen.h / 2 - height / 2;
    window_ = SDL_CreateWindow("", left, top, width, height, SDL_WINDOW_SHOWN);
    if (!window_) return sdlError("no window");
    SDL_GetWindowSize(window_, &width_, &height_);
    focus_.attach(window_);
    return showSurface();
}

std::string SdlSystem::showSurface() {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) return sdlError("no window surface");
    populate(surface->pixels, std::size_t(surface->pitch) * std::size_t(surface->h));
    SDL_FillRect(surface, nullptr, 0);
    SDL_UpdateWindowSurface(window_);
    return {};
}

std::string SdlSystem::openFullScreen(int width, int height) {
    // Exactly the mode asked for, or nothing: SDL would quietly hand over the closest one.
    SDL_DisplayMode mode{};
    bool found = false;
    for (int n = SDL_GetNumDisplayModes(0) - 1; n >= 0 && !found; --n) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(0, n, &m) != 0) continue;
        // A refresh rate of 0 means the driver does not know it (a virtual screen).
        found = m.w == width && m.h == height && SDL_BYTESPERPIXEL(m.format) == 4 &&
                (m.refresh_rate == 60 || m.refresh_rate == 0);
        if (found) mode = m;
    }
    if (!found) {
        std::string got = "none";
        SDL_DisplayMode desktop{};
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0)
            got = std::to_string(desktop.w) + "x" + std::to_string(desktop.h);
        return "the screen has no " + std::to_string(width) + "x" + std::to_string(height) +
               " mode at 32-bit colour and 60 Hz (its desktop mode is " + got + ")";
    }

    // Made at the screen's origin: with no window manager to move it, SDL leaves a full-screen
    // window where it was made, and anywhere else part of the arena would be off the screen.
    SDL_Rect screen{};
    if (SDL_GetDisplayBounds(0, &screen) != 0) return sdlError("no screen");
    const Uint32 flags = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_HIDDEN;
    window_ = SDL_CreateWindow("", screen.x, screen.y, width, height, flags);
    if (!window_) return sdlError("no full-screen window");
    if (SDL_SetWindowDisplayMode(window_, &mode) != 0) return sdlError("cannot set the mode");
    SDL_ShowWindow(window_);
    SDL_DisplayMode got{};
    if (SDL_GetWindowDisplayMode(window_, &got) != 0 || got.w != width || got.h != height)
        return "the screen did not switch to " + std::to_string(width) + "x" + std::to_string(height);
    width_ = width;
    height_ = height;

    // A GPU behind the X server gives a real retrace to wait for. Without one, GL is drawn in
    // software at several times the cost of a window, waits for no retrace, and leaves blocks
    // behind when its driver is unloaded; the window surface shows the same pixels for the
    // cost of a window.
    const bool onX11 = focus_.attach(window_);
    bool useRenderer = path_ == FullScreenPath::renderer;
    if (path_ == FullScreenPath::chosen) useRenderer = !onX11 || offersDirectRendering(focus_.display());
    return useRenderer ? openRenderer(width, height) : showSurface();
}

std::string SdlSystem::openRenderer(int width, int height) {
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) return sdlError("no renderer");
    texture_ =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture_) return sdlError("no texture");
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RendererInfo info{};
    const bool claimed =
        SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    // A driver may say it waits for the retrace and sleep a fixed time instead, or not wait at
    // all; only presents measured one retrace apart are trusted to pace the game.
    std::vector<double> times;
    const int presents = claimed ? retraceSettleIntervals + retraceMeasuredIntervals + 1 : 1;
    for (int n = 0; n < presents; ++n) {
        SDL_RenderClear(renderer_);
        SDL_RenderPresent(renderer_);
        times.push_back(preciseNowMs());
    }
    retraceTrusted_ = claimed && presentsFollowRetrace(times);
    // Paced in software, a present that also sleeps for its own idea of a frame would make two
    // waits of every frame.
    if (claimed && !retraceTrusted_) SDL_RenderSetVSync(renderer_, 0);
    return {};
}

std::vector<int> SdlSystem::keysDownNow() const {
    return focus_.attached() ? focus_.keysDown() : keysSdlHolds();
}

bool SdlSystem::fullScreenLost() const {
    const Uint32 flags = SDL_GetWindowFlags(window_);
    return (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0 || (flags & SDL_WINDOW_INPUT_FOCUS) == 0;
}

bool SdlSystem::presentWaitsForRetrace() { return renderer_ && retraceTrusted_ && !fullScreenLost(); }

void SdlSystem::present(const Canvas& canvas, std::span<const Rect> changed) {
    if (!window_) return;
    // While another program has the screen nothing is shown; the caller keeps the pace, and the
    // screen is painted whole when it comes back.
    if (fullScreen_ && fullScreenLost()) {
        showWhole_ = true;
        return;
    }
    const int pitch = canvas.width() * 4;
    // Only the changed rectangles are copied, unless what the window system shows, or what SDL
    // keeps for it, may have been lost since the last frame: then the whole frame goes.
    const SDL_Rect whole{0, 0, canvas.width(), canvas.height()};
    const auto toShow = [&](std::span<const SDL_Rect> all) -> std::span<const SDL_Rect> {
        if (showWhole_) return {&whole, 1};
        shownRects_.clear();
        for (const Rect& r : changed) {
            SDL_Rect c{r.x, r.y, r.width, r.height};
            if (SDL_IntersectRect(&c, &all[0], &c)) shownRects_.push_back(c);
        }
        return shownRects_;
    };
    if (renderer_) {
        for (const SDL_Rect& r : toShow({&whole, 1}))
            SDL_UpdateTexture(texture_, &r,
                              canvas.data() + std::size_t(r.y) * std::size_t(canvas.width()) + r.x, pitch);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        showWhole_ = false;
        return;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) {
        showWhole_ = true;
        return;
    }
    // A new surface (the window was resized) holds nothing of the frames before.
    if (surface != shownSurface_) showWhole_ = true;
    shownSurface_ = surface;
    const SDL_Rect bounds{0, 0, std::min(canvas.width(), surface->w), std::min(canvas.height(), surface->h)};
    const auto rects = toShow({&bounds, 1});
    // The back buffer is always opaque, so its bytes read the same as the XRGB layout window
    // surfaces have: named as that, SDL copies the rows as they are instead of converting pixels.
    const Uint32 to = surface->format->format;
    const Uint32 from = to == SDL_PIXELFORMAT_RGB888 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_ARGB8888;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    for (const SDL_Rect& r : rects) {
        SDL_Rect c = r;
        if (!SDL_IntersectRect(&c, &bounds, &c)) continue;
        const Pixel* source = canvas.data() + std::size_t(c.y) * std::size_t(canvas.width()) + c.x;
        auto* target = static_cast<Uint8*>(surface->pixels) + std::size_t(c.y) * std::size_t(surface->pitch) +
                       std::size_t(c.x) * 4;
        SDL_ConvertPixels(c.w, c.h, from, source, pitch, to, target, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (!rects.empty()) SDL_UpdateWindowSurfaceRects(window_, rects.data(), int(rects.size()));
    showWhole_ = false;
}

void SdlSystem::movePointer(int x, int y) {
    if (window_) SDL_WarpMouseInWindow(window_, x, y);
}

void SdlSystem::closeDisplay() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    // Destroying a full-screen window puts the desktop mode back.
    if (window_) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
    retraceTrusted_ = false;
    focus_.detach();
    if (sdlStarted_) SDL_Quit();
    sdlStarted_ = false;
    shownSurface_ = nullptr;
    showWhole_ = true;
}

void SdlSystem::pumpEvents(Input& input) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                input.keyEvent(virtualKey(e.key.keysym.sym), e.type == SDL_KEYDOWN, e.key.repeat != 0);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                input.pointerMoved(e.button.x, e.button.y);
                input.buttonEvent(mouseButton(e.button.button), e.type == SDL_MOUSEBUTTONDOWN);
                break;
            case SDL_MOUSEMOTION: input.pointerMoved(e.motion.x, e.motion.y); break;
            case SDL_WINDOWEVENT:
                if (losesPicture(e.window.event)) showWhole_ = true;
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
                    (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && !focus_.attached()))
                    input.focusChanged(keysDownNow());
                break;
            case SDL_RENDER_TARGETS_RESET:
            case SDL_RENDER_DEVICE_RESET:
                showWhole_ = true;  // texture contents may be gone
                break;
            case SDL_SYSWMEVENT:
                if (e.syswm.msg->subsystem == SDL_SYSWM_X11) focus_.handle(e.syswm.msg->msg.x11.event, input);
                break;
            default:
                // Quit requests (the close box, Alt+F4) are ignored: only Escape ends the game.
                break;
        }
    }
    // A key held through a focus change may be let go without any event reaching us.
    if (input.hasStaleKeys()) input.keepStale(keysDownNow());
}

int SdlSystem::stopSignal() { return caughtStopSignal(); }

}  // namespace platform
