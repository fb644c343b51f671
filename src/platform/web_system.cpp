// web_system.cpp -- the one C++ file that knows the browser: console, canvas, events, sleeping
#include "platform/web_system.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/canvas.h"
#include "platform/input.h"

// Each of these reaches the page's half in web/page.js. The three that wait are unwound and
// rewound by ASYNCIFY, so the C++ stack above them simply blocks while the page runs on.
EM_JS(void, pageWrite, (const char* text, int length, int isError),
      { craterPage.write(UTF8ToString(text, length), isError != 0); });
EM_JS(void, pageWaitForLine, (), { Asyncify.handleSleep(function(wakeUp) { craterPage.askLine(wakeUp); }); });
EM_JS(int, pageLineBytes, (), { return lengthBytesUTF8(craterPage.line); });
EM_JS(void, pageTakeLine, (char* into, int capacity), { stringToUTF8(craterPage.line, into, capacity); });
EM_JS(void, pageWaitForNewRun, (),
      { Asyncify.handleSleep(function(wakeUp) { craterPage.askNewRun(wakeUp); }); });
EM_JS(int, pageOpenCanvas, (int width, int height), { return craterPage.openCanvas(width, height); });
EM_JS(int, pageEnterFullScreen, (),
      { return Asyncify.handleSleep(function(wakeUp) { craterPage.enterFullScreen(wakeUp); }); });
EM_JS(void, pageCloseCanvas, (), { craterPage.closeCanvas(); });
EM_JS(void, pageShow, (const void* rgba, int x, int y, int width, int height),
      { craterPage.show(rgba, x, y, width, height); });
EM_JS(void, pagePresenting, (), { craterPage.presenting(); });
EM_JS(void, pagePresented, (), { craterPage.presented(); });
EM_JS(int, pageNextEvent, (int* values), { return craterPage.nextEvent(values >> 2); });
EM_JS(void, pageSleeping, (int isSleeping), { craterPage.sleeping(isSleeping != 0); });

namespace platform {

namespace {

// Event kinds as page.js queues them, with up to three values each.
enum EventKind { noEvent = 0, keyDown = 1, keyUp = 2, buttonDown = 3, buttonUp = 4, pointer = 5, focus = 6 };

// Two buffers of this many pixels take 1 GB, half of what a page may have.
constexpr std::size_t maxPixels = std::size_t(1) << 27;

// 0xAARRGGBB read as bytes is B, G, R, A; the page wants R, G, B, A.
constexpr std::uint32_t toPageOrder(std::uint32_t p) {
    return (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
}

}  // namespace

WebSystem::~WebSystem() { closeDisplay(); }

void WebSystem::prompt(std::string_view text) { pageWrite(text.data(), int(text.size()), 0); }

std::optional<std::string> WebSystem::readLine() {
    pageWaitForLine();
    std::string line(std::size_t(pageLineBytes()) + 1, '\0');
    pageTakeLine(line.data(), int(line.size()));
    line.pop_back();
    std::erase(line, '\r');
    return line;
}

void WebSystem::writeLine(std::string_view text) {
    std::string line(text);
    line.push_back('\n');
    pageWrite(line.data(), int(line.size()), 0);
}

void WebSystem::writeError(std::string_view text) { pageWrite(text.data(), int(text.size()), 1); }

std::uint32_t WebSystem::nowMs() { return std::uint32_t(std::uint64_t(emscripten_get_now())); }

void WebSystem::sleepMs(std::uint32_t ms) {
    pageSleeping(1);
    emscripten_sleep(ms);
    pageSleeping(0);
    yieldedSincePresent_ = true;
}

std::string WebSystem::openDisplay(int width, int height, bool fullScreen) {
    // The back buffer and its copy in the page's order must both fit in the page's memory (2 GB
    // at most, addressed by 32-bit sizes), and a failed allocation would end the whole page: past
    // a fixed budget the answer is no, and below it both are asked for first and given back.
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    if (pixels > maxPixels) return "the page can hold at most " + std::to_string(maxPixels) + " pixels";
    void* backBuffer = std::malloc(pixels * sizeof(Pixel));
    void* copy = backBuffer ? std::malloc(pixels * sizeof(std::uint32_t)) : nullptr;
    std::free(backBuffer);
    std::free(copy);
    if (!copy) return "not enough memory in the page for the back buffer";
    if (!pageOpenCanvas(width, height)) return "the browser cannot make a canvas of that size";
    if (fullScreen && !pageEnterFullScreen()) {
        pageCloseCanvas();
        return "the browser refused the full screen";
    }
    rgba_.assign(std::size_t(width) * std::size_t(height), toPageOrder(rgb(0, 0, 0)));
    width_ = width;
    height_ = height;
    open_ = true;
    shownOnce_ = false;
    return {};
}

void WebSystem::show(const Canvas& canvas, const Rect& rect) {
    const int left = std::max(rect.x, 0);
    const int top = std::max(rect.y, 0);
    const int right = std::min(rect.x + rect.width, width_);
    const int bottom = std::min(rect.y + rect.height, height_);
    if (left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        const Pixel* from = canvas.data() + std::size_t(y) * std::size_t(width_);
        std::uint32_t* to = rgba_.data() + std::size_t(y) * std::size_t(width_);
        for (int x = left; x < right; ++x) to[x] = toPageOrder(from[x]);
    }
    pageShow(rgba_.data(), left, top, right - left, bottom - top);
}

void WebSystem::present(const Canvas& canvas, std::span<const Rect> changed) {
    if (!open_ || canvas.width() != width_ || canvas.height() != height_) return;
    pagePresenting();
    if (!shownOnce_) {
        show(canvas, {0, 0, width_, height_});
        shownOnce_ = true;
    } else {
        for (const Rect& rect : changed) show(canvas, rect);
    }
    pagePresented();
    // The page only paints, and only hears the player, while the game is not running: a frame
    // that was late and had no sleep before it still hands the page a turn.
    if (!yieldedSincePresent_) emscripten_sleep(0);
    yieldedSincePresent_ = false;
}

void WebSystem::closeDisplay() {
    if (!open_) return;
    pageCloseCanvas();
    open_ = false;
    rgba_ = {};
}

void WebSystem::pumpEvents(Input& input) {
    int values[3] = {};
    for (;;) {
        const int kind = pageNextEvent(values);
        switch (kind) {
            case noEvent: return;
            case keyDown: input.keyEvent(values[0], true, values[1] != 0); break;
            case keyUp: input.keyEvent(values[0], false, false); break;
            case buttonDown:
            case buttonUp:
                input.pointerMoved(values[1], values[2]);
                input.buttonEvent(values[0], kind == buttonDown);
                break;
            case pointer: input.pointerMoved(values[0], values[1]); break;
            // A page cannot ask which keys are physically down. A key held through the change
            // comes back as the browser's auto-repeat, which the input model never counts.
            case focus: input.focusChanged({}); break;
            default: break;
        }
    }
}

void WebSystem::waitForNewRun() { pageWaitForNewRun(); }

}  // namespace platform
