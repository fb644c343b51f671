// options.cpp -- the command line in the GNU way: --help, --version, anything else refused
#include "shell/options.h"

#include "platform/system.h"
#include "shell/startup.h"

namespace shell {

Choice parseArguments(std::span<const std::string_view> args) {
    Choice choice;
    // An argument not understood wins over any good one: it is most likely a typing mistake
    // the player wants to hear about.
    for (const std::string_view arg : args) {
        if (arg != "--help" && arg != "--version") return {Request::badArgument, std::string(arg)};
    }
    if (!args.empty()) choice.request = args.front() == "--help" ? Request::help : Request::version;
    return choice;
}

std::string usageText() {
    return "Usage: craterduel [--help | --version]\n"
           "\n"
           "A duel for two players on one keyboard. The game first asks on the console for\n"
           "the display's width and height in pixels and its mode (0 a window, any other\n"
           "number the full screen), then opens the arena and prints its size in cells.\n"
           "\n"
           "Controls          red fighter      cyan fighter\n"
           "  walk            arrow keys       T F G H  (up, left, down, right)\n"
           "  fire            I J K L          W A S D  (up, left, down, right)\n"
           "  left click      blast a crater at the pointer\n"
           "  Escape          quit\n"
           "\n"
           "Exit status:\n"
           "  0         ended with Escape\n"
           "  1         the display could not be opened with those answers\n"
           "  2         a command-line argument was not understood\n"
           "  129       the terminal closed (SIGHUP)\n"
           "  130       interrupted by Ctrl+C (SIGINT)\n"
           "  131       quit by Ctrl+\\ (SIGQUIT)\n"
           "  143       ended by kill (SIGTERM)\n"
           "  255       standard input ended before an answer was complete\n"
           "\n"
           "Options:\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "\n"
           "The full manual: man 6 craterduel";
}

std::string versionText(std::string_view version) {
    return "craterduel (Crater Duel) " + std::string(version);
}

std::string badArgumentText(std::string_view argument) {
    return "craterduel: unknown argument '" + std::string(argument) + "'; try 'craterduel --help'";
}

int runCommandLine(platform::System& sys, std::span<const std::string_view> args, std::string_view version) {
    const Choice choice = parseArguments(args);
    switch (choice.request) {
        case Request::play: return run(sys);
        case Request::help: sys.writeLine(usageText()); return 0;
        case Request::version: sys.writeLine(versionText(version)); return 0;
        case Request::badArgument:
            sys.writeError(badArgumentText(choice.badArgument) + "\n");
            return exitBadArgument;
    }
    return exitBadArgument;
}

}  // namespace shell
