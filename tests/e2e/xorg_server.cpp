// xorg_server.cpp -- Xorg with the dummy driver: its configuration, start-up and the mode it shows
#include "xorg_server.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "x_server.h"

namespace e2e {

namespace {

const char* const kXorg = "/usr/lib/xorg/Xorg";

// No input devices, no VT switching: nothing of the host's console is touched.
const char* const kConfig = R"(Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
    Option "AllowMouseOpenFail" "true"
EndSection
Section "Monitor"
    Identifier "Monitor0"
    HorizSync 28.0-120.0
    VertRefresh 50.0-75.0
    Modeline "1280x1024" 108.000 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
    Modeline "1920x1080" 148.500 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
    Modeline "1024x768"   65.000 1024 1048 1184 1344  768  771  777  806 -hsync -vsync
    Modeline "800x600"    40.000  800  840  968 1056  600  601  605  628 +hsync +vsync
    Modeline "640x480"    25.175  640  656  752  800  480  490  492  525 -hsync -vsync
EndSection
Section "Device"
    Identifier "Card0"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Screen"
    Identifier "Screen0"
    Device "Card0"
    Monitor "Monitor0"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1280x1024" "1920x1080" "1024x768" "800x600" "640x480"
        Virtual 1920 1080
    EndSubSection
EndSection
Section "ServerLayout"
    Identifier "Layout0"
    Screen "Screen0"
EndSection
)";

std::string writeConfig() {
    char dir[] = "/tmp/craterduel-xorg-XXXXXX";
    if (mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp failed");
    const std::string path = std::string(dir) + "/xorg.conf";
    std::ofstream(path) << kConfig;
    return dir;
}

}  // namespace

StartedServer startXorg() {
    if (access(kXorg, X_OK) != 0) throw std::runtime_error(std::string("no ") + kXorg + " (xserver-xorg-core)");
    const std::string dir = writeConfig();
    for (int n = 200; n < 300; ++n) {
        if (displayLooksTaken(n)) continue;
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        SpawnRequest request;
        request.argv = {kXorg, ":" + std::to_string(n), "-noreset", "-nolisten", "tcp", "-config",
                        dir + "/xorg.conf", "-logfile", dir + "/Xorg." + std::to_string(n) + ".log",
                        "-displayfd", "3"};
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
