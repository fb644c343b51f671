// options_test.cpp -- the command line: which arguments play, print, or are refused
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input.h"
#include "shell/options.h"
#include "support/scripted_system.h"

namespace {

using shell::Request;
using testing_support::ScriptedSystem;

struct ArgsCase {
    std::vector<std::string_view> args;
    Request request;
    std::string badArgument;
};

void PrintTo(const ArgsCase& c, std::ostream* os) {
    *os << "{";
    for (const auto arg : c.args) *os << " '" << arg << "'";
    *os << " }";
}

class ParseArguments : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(ParseArguments, ChoosesTheRequest) {
    const shell::Choice choice = shell::parseArguments(GetParam().args);
    EXPECT_EQ(choice.request, GetParam().request);
    EXPECT_EQ(choice.badArgument, GetParam().badArgument);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseArguments,
    ::testing::Values(ArgsCase{{}, Request::play, ""}, ArgsCase{{"--help"}, Request::help, ""},
                      ArgsCase{{"--version"}, Request::version, ""},
                      // With both, the first one asked for is the one answered.
                      ArgsCase{{"--version", "--help"}, Request::version, ""},
                      ArgsCase{{"--help", "--version"}, Request::help, ""},
                      // Near misses and answers given as arguments are all refused, by name.
                      ArgsCase{{"-h"}, Request::badArgument, "-h"},
                      ArgsCase{{"--hel"}, Request::badArgument, "--hel"},
                      ArgsCase{{"--HELP"}, Request::badArgument, "--HELP"},
                      ArgsCase{{"--help=1"}, Request::badArgument, "--help=1"},
                      ArgsCase{{"800"}, Request::badArgument, "800"},
                      ArgsCase{{""}, Request::badArgument, ""}, ArgsCase{{"--"}, Request::badArgument, "--"},
                      // A bad argument anywhere wins over a good one, and the first bad one is named.
                      ArgsCase{{"--help", "--bogus"}, Request::badArgument, "--bogus"},
                      ArgsCase{{"x", "y"}, Request::badArgument, "x"}));

// Escape before the first frame, so a run that plays ends right after start-up.
void escapeAtOnce(ScriptedSystem& sys) {
    sys.events = [](platform::Input& in) { in.keyEvent(platform::vk::escape, true, false); };
}

TEST(RunCommandLine, WithoutArgumentsPlaysAsBefore) {
    ScriptedSystem sys("800\n600\n0\n");
    escapeAtOnce(sys);
    EXPECT_EQ(shell::runCommandLine(sys, {}, "1.2.3"), 0);
    EXPECT_EQ(sys.out,
              "Graphics Width: Graphics Height: Graphics Mode (0 = windowed, 1 = full screen) : 50\n38\n");
    EXPECT_EQ(sys.err, "");
    EXPECT_EQ(sys.opens, 1);
}

struct PrintCase {
    std::vector<std::string_view> args;
    int status;
    std::string out, err;
};

void PrintTo(const PrintCase& c, std::ostream* os) { PrintTo(ArgsCase{c.args, Request::play, ""}, os); }

class PrintsWithoutPlaying : public ::testing::TestWithParam<PrintCase> {};

TEST_P(PrintsWithoutPlaying, WritesOneStreamAndExits) {
    // Answers are waiting on the input, so a run that wrongly started would show its prompts.
    ScriptedSystem sys("800\n600\n0\n");
    escapeAtOnce(sys);
    const std::vector<std::string_view> args = GetParam().args;
    EXPECT_EQ(shell::runCommandLine(sys, args, "9.8.7"), GetParam().status);
    EXPECT_EQ(sys.out, GetParam().out);
    EXPECT_EQ(sys.err, GetParam().err);
    EXPECT_EQ(sys.opens, 0) << "no display is opened";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintsWithoutPlaying,
    ::testing::Values(PrintCase{{"--help"}, 0, shell::usageText() + "\n", ""},
                      PrintCase{{"--version"}, 0, "craterduel (Crater Duel) 9.8.7\n", ""},
                      PrintCase{{"--fullscreen"},
                                shell::exitBadArgument,
                                "",
                                "craterduel: unknown argument '--fullscreen'; try 'craterduel --help'\n"}));

TEST(Usage, TellsWhatThePlayerNeedsToKnow) {
    const std::string usage = shell::usageText();
    for (const char* part :
         {"Usage: craterduel [--help | --version]", "width", "height", "full screen", "arrow keys", "W A S D",
          "Escape", "255", "129 ", "130 ", "131 ", "143 ", "man 6 craterduel"}) {
        EXPECT_NE(usage.find(part), std::string::npos) << "the usage does not mention " << part;
    }
    std::size_t start = 0;
    while (start < usage.size()) {
        const std::size_t end = std::min(usage.find('\n', start), usage.size());
        EXPECT_LE(end - start, 80u) << "line too wide for a terminal: " << usage.substr(start, end - start);
        start = end + 1;
    }
}

}  // namespace
