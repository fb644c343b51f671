// options.h -- the command line: play with no argument, or print the usage or the version
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace platform {
class System;
}

namespace shell {

constexpr int exitBadArgument = 2;

enum class Request { play, help, version, badArgument };

struct Choice {
    Request request = Request::play;
    std::string badArgument;  // the first argument not understood, for Request::badArgument
};

// Every argument must be --help or --version; the first of them decides.
Choice parseArguments(std::span<const std::string_view> args);
// The texts, without their last line feed.
std::string usageText();
std::string versionText(std::string_view version);
// One line naming the argument and pointing to --help.
std::string badArgumentText(std::string_view argument);

// What the program does with its command line. The game runs only without arguments, so a
// wrong argument is refused before any prompt. Returns the exit status.
int runCommandLine(platform::System& sys, std::span<const std::string_view> args, std::string_view version);

}  // namespace shell
