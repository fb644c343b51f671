// sdl_system.cpp -- the one file that knows SDL: window or full screen, events, presenting
#include "platform/sdl_system.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/input.h"

namespace platform {

namespace {

// A signal handler can reach nothing but a global; this one flag is the exception.
volatile std::sig_atomic_t pendingSignal = 0;

void onStopSignal(int signal) { pendingSignal = signal; }

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

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
        case SDLK_LSHIFT: case SDLK_RSHIFT: return 16;
        case SDLK_LCTRL: case SDLK_RCTRL: return 17;
        case SDLK_LALT: case SDLK_RALT: return 18;
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
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return sym == XK_KP_0 ? 96 : virtualKey(SDL_Keycode(SDLK_KP_1 + int(sym - XK_KP_1)));
    static const struct {
        KeySym sym;
        SDL_Keycode key;
    } named[] = {{XK_Escape, SDLK_ESCAPE},     {XK_BackSpace, SDLK_BACKSPACE}, {XK_Tab, SDLK_TAB},
                 {XK_Return, SDLK_RETURN},     {XK_Shift_L, SDLK_LSHIFT},      {XK_Shift_R, SDLK_RSHIFT},
                 {XK_Control_L, SDLK_LCTRL},   {XK_Control_R, SDLK_RCTRL},     {XK_Alt_L, SDLK_LALT},
                 {XK_Alt_R, SDLK_RALT},        {XK_Pause, SDLK_PAUSE},         {XK_Caps_Lock, SDLK_CAPSLOCK},
                 {XK_Prior, SDLK_PAGEUP},      {XK_Next, SDLK_PAGEDOWN},       {XK_End, SDLK_END},
                 {XK_Home, SDLK_HOME},         {XK_Left, SDLK_LEFT},           {XK_Up, SDLK_UP},
                 {XK_Right, SDLK_RIGHT},       {XK_Down, SDLK_DOWN},           {XK_Insert, SDLK_INSERT},
                 {XK_Delete, SDLK_DELETE}};
    for (const auto& n : named)
        if (n.sym == sym) return virtualKey(n.key);
    return -1;
}

// X reports held keys as a 256-bit vector indexed by key code.
std::vector<int> keysInVector(Display* display, const char* bits) {
    std::vector<int> keys;
    for (int code = 8; code < 256; ++code)
        if (bits[code / 8] & (1 << (code % 8)))
            keys.push_back(virtualKeyFromKeysym(XkbKeycodeToKeysym(display, KeyCode(code), 0, 0)));
    return keys;
}

// The keys SDL believes are down, for video drivers other than X11.
std::vector<int> keysSdlHolds() {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    std::vector<int> keys;
    for (int code = 0; code < count; ++code)
        if (state[code]) keys.push_back(virtualKey(SDL_GetKeyFromScancode(SDL_Scancode(code))));
    return keys;
}

// After these the window system may show, or hold, less than the last frame: uncovered, mapped
// again, restored from an icon, resized, or given back the focus (a full screen regained).
bool losesPicture(Uint8 windowEvent) {
    switch (windowEvent) {
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return true;
        default:
            return false;
    }
}

std::string sdlError(const char* what) { return std::string(what) + ": " + SDL_GetError(); }

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

}  // namespace

SdlSystem::SdlSystem() = default;  // here, where SDL_Rect is complete
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
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return sdlError("no video");
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
    watchFocus();
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

    window_ = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                               SDL_WINDOW_FULLSCREEN | SDL_WINDOW_HIDDEN);
    if (!window_) return sdlError("no full-screen window");
    if (SDL_SetWindowDisplayMode(window_, &mode) != 0) return sdlError("cannot set the mode");
    SDL_ShowWindow(window_);
    SDL_DisplayMode got{};
    if (SDL_GetWindowDisplayMode(window_, &got) != 0 || got.w != width || got.h != height)
        return "the screen did not switch to " + std::to_string(width) + "x" + std::to_string(height);

    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) return sdlError("no renderer");
    SDL_RendererInfo info{};
    vsync_ = SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    watchFocus();
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture_) return sdlError("no texture");
    width_ = width;
    height_ = height;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    return {};
}

void SdlSystem::watchFocus() {
    // SDL announces a returning focus some milliseconds late and then reports keys held
    // through the change as fresh presses (X's auto-repeat). X itself says exactly which keys
    // were down at the moment focus came in, so on X11 the game listens to X for that.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11) {
        x11Display_ = info.info.x11.display;
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
}

void SdlSystem::handleX11Event(const XEvent& event, Input& input) {
    // X follows every focus-in, and every pointer entry too, with the keys down at that
    // moment. Only the one after a real focus-in is a focus change (focus moving between a
    // window and its own children, or a passing keyboard grab, is not); presses after it are
    // real even if SDL's own focus event is still to come.
    if (event.type == FocusIn) {
        const XFocusChangeEvent& focus = event.xfocus;
        focusCameIn_ = (focus.mode == NotifyNormal || focus.mode == NotifyWhileGrabbed) &&
                       focus.detail != NotifyInferior && focus.detail != NotifyPointer;
    } else if (event.type == KeymapNotify) {
        if (focusCameIn_) input.focusChanged(keysInVector(x11Display_, event.xkeymap.key_vector));
        focusCameIn_ = false;
    }
}

std::vector<int> SdlSystem::keysDownNow() const {
    if (!x11Display_) return keysSdlHolds();
    char bits[32] = {};
    XQueryKeymap(x11Display_, bits);
    return keysInVector(x11Display_, bits);
}

bool SdlSystem::fullScreenLost() const {
    const Uint32 flags = SDL_GetWindowFlags(window_);
    return (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0 || (flags & SDL_WINDOW_INPUT_FOCUS) == 0;
}

bool SdlSystem::presentWaitsForRetrace() { return window_ && fullScreen_ && vsync_ && !fullScreenLost(); }

void SdlSystem::present(const Canvas& canvas, std::span<const Rect> changed) {
    if (!window_) return;
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
    if (fullScreen_) {
        // While another program has the screen nothing is shown; the caller keeps the pace.
        if (fullScreenLost()) {
            showWhole_ = true;
            return;
        }
        for (const SDL_Rect& r : toShow({&whole, 1}))
            SDL_UpdateTexture(texture_, &r, canvas.data() + std::size_t(r.y) * std::size_t(canvas.width()) + r.x,
                              pitch);
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
    x11Display_ = nullptr;
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
            case SDL_MOUSEMOTION:
                input.pointerMoved(e.motion.x, e.motion.y);
                break;
            case SDL_WINDOWEVENT:
                if (losesPicture(e.window.event)) showWhole_ = true;
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
                    (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && !x11Display_))
                    input.focusChanged(keysDownNow());
                break;
            case SDL_RENDER_TARGETS_RESET:
            case SDL_RENDER_DEVICE_RESET:
                showWhole_ = true;  // texture contents may be gone
                break;
            case SDL_SYSWMEVENT:
                if (e.syswm.msg->subsystem == SDL_SYSWM_X11) handleX11Event(e.syswm.msg->msg.x11.event, input);
                break;
            default:
                // Quit requests (the close box, Alt+F4) are ignored: only Escape ends the game.
                break;
        }
    }
    // A key held through a focus change may be let go without any event reaching us.
    if (input.hasStaleKeys()) input.keepStale(keysDownNow());
}

int SdlSystem::stopSignal() { return pendingSignal; }

}  // namespace platform
