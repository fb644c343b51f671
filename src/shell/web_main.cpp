// web_main.cpp -- the game in a web page: one run after another, each ended by Escape
#include "platform/web_system.h"
#include "shell/startup.h"

int main() {
    platform::WebSystem sys;
    // A page has no process to end: after each run the player may start another.
    for (;;) {
        shell::run(sys);
        sys.waitForNewRun();
    }
}
