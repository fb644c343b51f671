// xorg_server.cpp -- Xorg with the dummy driver: starting it on a free display, and the mode it shows
#include "xorg_server.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "x_server.h"

namespace e2e {

namespace {

const char* const kXorg = "/usr/lib/xorg/Xorg";

#ifndef CRATERDUEL_XORG_CONF
#error "CRATERDUEL_XORG_CONF must name the dummy driver's configuration"
#endif

std::string makeFolder() {
    char dir[] = "/tmp/craterduel-xorg-XXXXXX";
    if (mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp failed");
    return dir;
}

}  // namespace

StartedServer startXorg() {
    if (access(kXorg, X_OK) != 0)
        throw std::runtime_error(std::string("no ") + kXorg + " (xserver-xorg-core)");
    const std::string dir = makeFolder();
    for (int n = 200; n < 300; ++n) {
        if (displayLooksTaken(n)) continue;
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        SpawnRequest request;
        request.argv = {kXorg,
                        ":" + std::to_string(n),
                        "-noreset",
                        "-nolisten",
                        "tcp",
                        "-config",
                        CRATERDUEL_XORG_CONF,
                        "-logfile",
                        dir + "/Xorg." + std::to_string(n) + ".log",
                        "-displayfd",
                        "3"};
        request.env = environmentWith({});
        request.fd3 = ready[1];
        const pid_t pid = spawn(request);
        close(ready[1]);
        const bool up = waitUntilReady(ready[0], milliseconds(10000));
        close(ready[0]);
        if (up) return {":" + std::to_string(n), pid, dir};
        stopProcess(pid, SIGKILL);
    }
    throw std::runtime_error("no Xorg could be started on :200-:299; logs in " + dir);
}

std::string screenMode(const std::string& display) {
    Display* dpy = XOpenDisplay(display.c_str());
    if (dpy == nullptr) return "no server";
    std::string mode = "none";
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    for (int i = 0; res != nullptr && i < res->ncrtc && mode == "none"; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy, res, res->crtcs[i]);
        if (crtc != nullptr && crtc->mode != None)
            mode = std::to_string(crtc->width) + "x" + std::to_string(crtc->height);
        if (crtc != nullptr) XRRFreeCrtcInfo(crtc);
    }
    if (res != nullptr) XRRFreeScreenResources(res);
    XCloseDisplay(dpy);
    return mode;
}

}  // namespace e2e
