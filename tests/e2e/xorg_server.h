// xorg_server.h -- a private Xorg on the dummy video driver: a headless screen that really switches modes
#pragma once

#include <sys/types.h>

#include <string>

#include "child_process.h"

namespace e2e {

// The desktop mode, and the modes besides it, all at 60 Hz.
inline constexpr const char* kDesktopMode = "1280x1024";

struct StartedServer {
    std::string name;  // ":N"
    pid_t pid = -1;
    std::string folder;  // its log
};

// Starts Xorg on the first free display from :200 (clear of the Xvfb range) with its own
// log in a fresh folder under /tmp. Xorg must run as root: the caller checks.
// Throws std::runtime_error when the server is missing or none comes up.
StartedServer startXorg();

// The mode the screen shows now, "WxH" from its first active output; "none" without one.
std::string screenMode(const std::string& display);

}  // namespace e2e
