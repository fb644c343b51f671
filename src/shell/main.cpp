// main.cpp -- the real program: the game on the SDL backend
#include "platform/sdl_system.h"
#include "shell/startup.h"

int main() {
    platform::SdlSystem sys;
    return shell::run(sys);
}
