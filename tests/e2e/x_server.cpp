// x_server.cpp -- Xvfb lifetime, window lookup, pixels and XTest input for the real-window tests
#include "x_server.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <thread>
#include <utility>

namespace e2e {

namespace {

// Xlib's default handler exits the process, and a window can vanish between
// two requests when the game quits; a test should see "not found" instead.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

// Xvfb writes its display number to -displayfd once it accepts connections.
bool waitUntilReady(int fd, milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    std::string got;
    while (Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
        if (poll(&p, 1, static_cast<int>(std::max<long>(left, 1))) <= 0) continue;
        char buf[32];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) return false;  // the server quit: its display was taken
        got.append(buf, static_cast<size_t>(n));
        if (got.find('\n') != std::string::npos) return true;
    }
    return false;
}

bool displayLooksTaken(int n) {
    struct stat st {};
    return stat(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), &st) == 0 ||
           stat(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), &st) == 0;
}

XServer::XServer(int width, int height) {
    XSetErrorHandler(ignoreXError);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    for (int n = 120; n < 200 && dpy_ == nullptr; ++n) {
        if (displayLooksTaken(n)) continue;
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        SpawnRequest request;
        request.argv = {"Xvfb",       ":" + std::to_string(n),
                        "-screen",    "0",
                        screen,       "-nolisten",
                        "tcp",        "-noreset",
                        "-displayfd", "3"};
        request.env = environmentWith({});
        request.fd3 = ready[1];
        pid_t pid = spawn(request);
        close(ready[1]);
        bool up = waitUntilReady(ready[0], milliseconds(5000));
        close(ready[0]);
        if (!up) {
            stopProcess(pid, SIGKILL);
            continue;
        }
        connect(":" + std::to_string(n), pid);
    }
    if (dpy_ == nullptr) throw std::runtime_error("no Xvfb could be started on :120-:199");
}

XServer::XServer(const std::string& name, pid_t server) {
    XSetErrorHandler(ignoreXError);
    connect(name, server);
}

void XServer::connect(const std::string& name, pid_t server) {
    name_ = name;
    xvfb_ = server;
    dpy_ = XOpenDisplay(name_.c_str());
    watch_ = XOpenDisplay(name_.c_str());
    if (dpy_ == nullptr || watch_ == nullptr) {
        if (dpy_ != nullptr) XCloseDisplay(dpy_);
        if (watch_ != nullptr) XCloseDisplay(watch_);
        dpy_ = watch_ = nullptr;
        stopProcess(server, SIGKILL);
        throw std::runtime_error("the X server is up but refuses connections on " + name_);
    }
    XSelectInput(watch_, DefaultRootWindow(watch_), SubstructureNotifyMask);
    XSync(watch_, False);
}

XServer::~XServer() {
    if (xterm_ > 0) stopProcess(xterm_, SIGKILL);
    if (watch_ != nullptr) XCloseDisplay(watch_);
    if (dpy_ != nullptr) XCloseDisplay(dpy_);
    stopProcess(xvfb_, SIGTERM);
}

Window XServer::root() const { return DefaultRootWindow(dpy_); }

std::optional<uint32_t> XServer::cardinalProperty(Window w, const char* atom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Atom prop = XInternAtom(dpy_, atom, False);
    if (XGetWindowProperty(dpy_, w, prop, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) !=
        Success) {
        return std::nullopt;
    }
    std::optional<uint32_t> value;
    if (data != nullptr && type == XA_CARDINAL && format == 32 && count == 1) {
        value = static_cast<uint32_t>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) XFree(data);
    return value;
}

bool XServer::isViewable(Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(dpy_, w, &a) != 0 && a.map_state == IsViewable;
}

std::optional<Window> XServer::findWindowOf(pid_t pid) {
    std::function<std::optional<Window>(Window, int)> search = [&](Window parent, int depth) {
        Window rootRet = 0, parentRet = 0, *kids = nullptr;
        unsigned count = 0;
        std::optional<Window> found;
        if (XQueryTree(dpy_, parent, &rootRet, &parentRet, &kids, &count) == 0) return found;
        for (unsigned i = 0; i < count && !found; ++i) {
            if (cardinalProperty(kids[i], "_NET_WM_PID") == static_cast<uint32_t>(pid) &&
                isViewable(kids[i])) {
                found = kids[i];
            } else if (depth == 0) {
                found = search(kids[i], 1);
            }
        }
        if (kids != nullptr) XFree(kids);
        return found;
    };
    return search(root(), 0);
}

std::optional<Window> XServer::waitForWindowOf(pid_t pid, milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        if (auto w = findWindowOf(pid)) return w;
        if (Clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(milliseconds(10));
    }
}

std::optional<Rect> XServer::clientRect(Window w) {
    XWindowAttributes a{};
    Window child = 0;
    Rect r;
    if (XGetWindowAttributes(dpy_, w, &a) == 0) return std::nullopt;
    if (!XTranslateCoordinates(dpy_, w, root(), 0, 0, &r.x, &r.y, &child)) return std::nullopt;
    r.width = a.width;
    r.height = a.height;
    return r;
}

std::optional<std::pair<Rect, Rect>> XServer::sizeLimits(Window w) {
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(dpy_, w, &hints, &supplied) == 0) return std::nullopt;
    if ((hints.flags & PMinSize) == 0 || (hints.flags & PMaxSize) == 0) return std::nullopt;
    return std::pair{Rect{0, 0, hints.min_width, hints.min_height},
                     Rect{0, 0, hints.max_width, hints.max_height}};
}

std::optional<Image> XServer::grab(Window w) {
    auto r = clientRect(w);
    if (!r) return std::nullopt;
    XImage* xi = XGetImage(dpy_, w, 0, 0, static_cast<unsigned>(r->width), static_cast<unsigned>(r->height),
                           AllPlanes, ZPixmap);
    if (xi == nullptr) return std::nullopt;
    // Scale each channel by its mask so the result does not depend on the visual's layout.
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (mask == 0) return 0u;
        unsigned long v = (pixel & mask) >> std::countr_zero(mask);
        unsigned long max = mask >> std::countr_zero(mask);
        return static_cast<unsigned>(v * 255 / max);
    };
    Image img{r->width, r->height, {}};
    img.rgb.resize(static_cast<size_t>(r->width) * r->height);
    for (int y = 0; y < r->height; ++y) {
        for (int x = 0; x < r->width; ++x) {
            unsigned long p = XGetPixel(xi, x, y);
            img.rgb[static_cast<size_t>(y) * r->width + x] =
                channel(p, xi->red_mask) << 16 | channel(p, xi->green_mask) << 8 | channel(p, xi->blue_mask);
        }
    }
    XDestroyImage(xi);
    return img;
}

std::optional<Image> XServer::waitForPixels(Window w, const std::function<bool(const Image&)>& ready,
                                            milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        auto img = grab(w);
        if (img && ready(*img)) return img;
        if (Clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(milliseconds(20));
    }
}

bool XServer::drainWatch(Window w) {
    // The round trip makes everything the server has done so far arrive in our queue.
    XSync(watch_, False);
    bool touched = false;
    while (XPending(watch_) > 0) {
        XEvent ev;
        XNextEvent(watch_, &ev);
        Window subject = 0;
        if (ev.type == MapNotify) {
            subject = ev.xmap.window;
            mapped_.push_back(subject);
        } else if (ev.type == UnmapNotify) {
            subject = ev.xunmap.window;
        } else if (ev.type == ConfigureNotify) {
            subject = ev.xconfigure.window;
        }
        touched = touched || (w != 0 && subject == w);
    }
    return touched;
}

std::optional<Window> XServer::waitForSettledWindowOf(pid_t pid, milliseconds quiet, milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    std::optional<Window> current;
    auto calmSince = Clock::now();
    for (;;) {
        auto w = findWindowOf(pid);
        bool touched = drainWatch(w.value_or(0));
        if (w != current) {
            current = w;
            touched = true;
            // Under a window manager the client is one level down, out of the root's view.
            if (w) XSelectInput(watch_, *w, StructureNotifyMask);
        }
        const auto now = Clock::now();
        if (touched || !current) {
            calmSince = now;
        } else if (now - calmSince >= quiet) {
            return current;
        }
        if (now >= end) return std::nullopt;
        std::this_thread::sleep_for(milliseconds(10));
    }
}

std::vector<Window> XServer::takeMappedWindows() {
    drainWatch(0);
    return std::exchange(mapped_, {});
}

}  // namespace e2e
