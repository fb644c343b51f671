// x_server.h -- a private Xvfb per test, and the Xlib/XTest moves a player or a window manager makes
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"

namespace e2e {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// A window's pixels as 0xRRGGBB, row by row.
struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// For server launchers: a server started with -displayfd writes its display number there
// once it accepts connections; false if it quit or the deadline passed first.
bool waitUntilReady(int fd, milliseconds deadline);
// A display number whose lock file or socket exists belongs to someone else.
bool displayLooksTaken(int n);

class XServer {
public:
    // Starts Xvfb at width x height x 24 on the first free display from :120.
    // Throws std::runtime_error if no server comes up in a few seconds.
    XServer(int width, int height);
    // Takes over a server already accepting connections on `name` (process `server`, which it
    // stops when done). Throws std::runtime_error if the server refuses connections.
    XServer(const std::string& name, pid_t server);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& name() const { return name_; }
    Display* display() const { return dpy_; }
    Window root() const;

    // The top-level window whose _NET_WM_PID is `pid` and which is viewable;
    // looks one level below the root's children too, where a window manager's frames sit.
    std::optional<Window> findWindowOf(pid_t pid);
    std::optional<Window> waitForWindowOf(pid_t pid, milliseconds deadline);
    bool isViewable(Window w);

    // Client area in root coordinates.
    std::optional<Rect> clientRect(Window w);
    // The min and max size hints, when the window asks for both.
    std::optional<std::pair<Rect, Rect>> sizeLimits(Window w);
    std::optional<Image> grab(Window w);
    // Polls the window's pixels until `ready` accepts them.
    std::optional<Image> waitForPixels(Window w, const std::function<bool(const Image&)>& ready,
                                       milliseconds deadline);

    // Waits until `pid` has one viewable window that has gone `quiet` without being
    // replaced, mapped, unmapped, moved or resized. SDL may show a short-lived window
    // first, and unmaps and maps a full-screen one again while it settles; keys sent
    // in those gaps are lost.
    std::optional<Window> waitForSettledWindowOf(pid_t pid, milliseconds quiet, milliseconds deadline);

    // Windows mapped since the previous call (or since the server started):
    // catches a window that flashes up and is gone before anyone polls for it.
    std::vector<Window> takeMappedWindows();

    // Keys go to whichever window has the focus, as from a real keyboard.
    void keyDown(const char* keysymName);
    void keyUp(const char* keysymName);
    // A press and release inside one frame never shows as held, so hold for a while.
    void holdKey(const char* keysymName, milliseconds duration);

    void movePointer(int rootX, int rootY);
    // Moves to window coordinates (x, y) of `w` and clicks `button` there.
    void click(Window w, int x, int y, unsigned button = 1);
    Point pointer();
    // Rests the pointer on window coordinates `from`, presses `button`, moves to `to` (which
    // may lie outside the window) `beforeMove` later, and lets go after `beforeRelease` more.
    // With no wait before the move, press and move reach the game together, as in one frame.
    void drag(Window w, Point from, Point to, milliseconds beforeMove, milliseconds beforeRelease,
              unsigned button = 1);

    // What a window manager's close box sends; the window itself is left alone.
    void requestClose(Window w);
    bool focus(Window w, milliseconds deadline);
    Window focused();

    // Starts an xterm (a second window that takes the focus) and returns its window.
    std::optional<Window> startXterm(milliseconds deadline);

private:
    // Opens both connections; on failure stops the server and throws.
    void connect(const std::string& name, pid_t server);
    std::optional<uint32_t> cardinalProperty(Window w, const char* atom);
    // Takes every pending event off the watch connection; true if any was about `w`.
    bool drainWatch(Window w);

    std::string name_;
    pid_t xvfb_ = -1;
    pid_t xterm_ = -1;
    Display* dpy_ = nullptr;
    Display* watch_ = nullptr;  // a second connection that only listens for structure events
    std::vector<Window> mapped_;
};

}  // namespace e2e
