// main.cpp -- the real program: the game on the SDL backend
#include <string_view>
#include <vector>

#include "platform/sdl_system.h"
#include "shell/options.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    platform::SdlSystem sys;
    return shell::runCommandLine(sys, args, CRATERDUEL_VERSION);
}
