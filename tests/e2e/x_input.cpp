// x_input.cpp -- the keyboard, pointer, focus and close requests a player or a window manager would send
#include "x_server.h"

#include <X11/extensions/XTest.h>

#include <stdexcept>
#include <thread>

namespace e2e {

void XServer::keyDown(const char* keysymName) {
    KeyCode code = XKeysymToKeycode(dpy_, XStringToKeysym(keysymName));
    if (code == 0) throw std::invalid_argument(std::string("no key for ") + keysymName);
    XTestFakeKeyEvent(dpy_, code, True, CurrentTime);
    XSync(dpy_, False);
}

void XServer::keyUp(const char* keysymName) {
    KeyCode code = XKeysymToKeycode(dpy_, XStringToKeysym(keysymName));
    if (code == 0) throw std::invalid_argument(std::string("no key for ") + keysymName);
    XTestFakeKeyEvent(dpy_, code, False, CurrentTime);
    XSync(dpy_, False);
}

void XServer::holdKey(const char* keysymName, milliseconds duration) {
    keyDown(keysymName);
    std::this_thread::sleep_for(duration);
    keyUp(keysymName);
}

void XServer::movePointer(int rootX, int rootY) {
    XTestFakeMotionEvent(dpy_, DefaultScreen(dpy_), rootX, rootY, CurrentTime);
    XSync(dpy_, False);
}

void XServer::click(Window w, int x, int y, unsigned button) {
    auto r = clientRect(w);
    if (!r) throw std::runtime_error("click: window is gone");
    movePointer(r->x + x, r->y + y);
    XTestFakeButtonEvent(dpy_, button, True, CurrentTime);
    XSync(dpy_, False);
    std::this_thread::sleep_for(milliseconds(30));
    XTestFakeButtonEvent(dpy_, button, False, CurrentTime);
    XSync(dpy_, False);
}

void XServer::drag(Window w, Point from, Point to, milliseconds beforeMove, milliseconds beforeRelease,
                   unsigned button) {
    auto r = clientRect(w);
    if (!r) throw std::runtime_error("drag: window is gone");
    movePointer(r->x + from.x, r->y + from.y);
    // Hover first, as a hand does: the press then comes frames after the pointer arrived.
    std::this_thread::sleep_for(milliseconds(50));
    XTestFakeButtonEvent(dpy_, button, True, CurrentTime);
    // Without a round trip here both requests leave in one flush.
    if (beforeMove.count() > 0) {
        XSync(dpy_, False);
        std::this_thread::sleep_for(beforeMove);
    }
    XTestFakeMotionEvent(dpy_, DefaultScreen(dpy_), r->x + to.x, r->y + to.y, CurrentTime);
    XSync(dpy_, False);
    std::this_thread::sleep_for(beforeRelease);
    XTestFakeButtonEvent(dpy_, button, False, CurrentTime);
    XSync(dpy_, False);
}

Point XServer::pointer() {
    Window rootRet = 0, child = 0;
    Point onRoot, inChild;
    unsigned mask = 0;
    XQueryPointer(dpy_, root(), &rootRet, &child, &onRoot.x, &onRoot.y, &inChild.x, &inChild.y, &mask);
    return onRoot;
}

void XServer::requestClose(Window w) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy_, w, False, NoEventMask, &ev);
    XSync(dpy_, False);
}

Window XServer::focused() {
    Window w = 0;
    int revert = 0;
    XGetInputFocus(dpy_, &w, &revert);
    return w;
}

bool XServer::focus(Window w, milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        XSetInputFocus(dpy_, w, RevertToParent, CurrentTime);
        XSync(dpy_, False);
        if (focused() == w) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(milliseconds(10));
    }
}

std::optional<Window> XServer::startXterm(milliseconds deadline) {
    if (xterm_ < 0) {
        SpawnRequest request;
        request.argv = {"xterm", "-geometry", "40x10+0+0", "-e", "sleep", "600"};
        request.env = environmentWith({{"DISPLAY", name_}});
        xterm_ = spawn(request);
    }
    return waitForWindowOf(xterm_, deadline);
}

}  // namespace e2e
