// outside_e2e_test.cpp -- what a run meets outside its window: no display at all, signals its starter
// ignored, a console reader that goes away
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <thread>

#include "game_fixture.h"

namespace e2e {
namespace {

using Outside = GameFixture;

// ---------------------------------------------------------------------------
// Nowhere real to show the game: status 1 at once, one line on stderr, nothing more on stdout.

struct Nowhere {
    const char* name;
    const char* display;  // "" for DISPLAY unset; a number from the fixture's range, never started
    std::map<std::string, std::string> env;
    const char* mode;
};

void PrintTo(const Nowhere& n, std::ostream* os) { *os << n.name; }

class NoDisplay : public Outside, public ::testing::WithParamInterface<Nowhere> {};

TEST_P(NoDisplay, EndsAtOnceWithOneLineAndStatusOne) {
    const Nowhere& n = GetParam();
    // Without XDG_RUNTIME_DIR the Wayland client library has its own complaint to print.
    std::map<std::string, std::string> env{{"XDG_RUNTIME_DIR", ""}};
    for (const auto& [name, value] : n.env) env[name] = value;
    const auto started = Clock::now();
    game_ = std::make_unique<GameProcess>(n.display, std::string("800\n600\n") + n.mode + "\n", false,
                                          Launch{env, {}});
    EXPECT_TRUE(exitsWith(*game_, 1, milliseconds(5000))) << "a run with nowhere to show itself went on";
    EXPECT_LT(Clock::now() - started, milliseconds(3000));
    const std::string err = game_->err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "stderr: \"" << err << "\"";
    EXPECT_EQ(err.rfind("craterduel: cannot open a 800x600 ", 0), 0u) << "stderr: \"" << err << "\"";
    EXPECT_EQ(game_->out(), kPrompts);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, NoDisplay,
    ::testing::Values(Nowhere{"DisplayUnsetWindow", "", {}, "0"},
                      Nowhere{"DisplayUnsetFullScreen", "", {}, "1"},
                      Nowhere{"NoServerThereWindow", ":119", {}, "0"},
                      Nowhere{"NoServerThereFullScreen", ":119", {}, "1"},
                      Nowhere{"OffscreenDriver", ":119", {{"SDL_VIDEODRIVER", "offscreen"}}, "0"},
                      Nowhere{"DummyDriver", ":119", {{"SDL_VIDEODRIVER", "dummy"}}, "0"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

// Started under nohup, or as a background job of a script: the signals its starter ignored
// stay ignored, and the ones it did not still end the run cleanly.
TEST_F(Outside, SignalsIgnoredAtTheStartStayIgnored) {
    startServer(1280, 1024);
    const std::vector<int> ignored{SIGINT, SIGHUP, SIGQUIT};
    game_ = std::make_unique<GameProcess>(x_->name(), "800\n600\n0\n", false, Launch{{}, ignored});
    ASSERT_TRUE(game_->waitForOut("50\n38\n", kWindowDeadline)) << game_->out() << game_->err();

    for (int sig : ignored) {
        game_->sendSignal(sig);
        std::this_thread::sleep_for(milliseconds(200));
        ASSERT_TRUE(game_->running()) << "signal " << sig << " ended the run; stderr: " << game_->err();
    }
    game_->sendSignal(SIGTERM);
    EXPECT_TRUE(exitsWith(*game_, 143));
}

// `craterduel | head -c 5` in a window: the click after the reader went is not the end.
TEST_F(Outside, AConsoleReaderThatGoesAwayLeavesTheWindowPlaying) {
    startServer(1280, 1024);
    auto win = openWindow("800\n600\n0\n");
    ASSERT_TRUE(win) << launchProblem_;
    ASSERT_TRUE(game_->waitForOut("50\n38\n", kWindowDeadline)) << game_->out();

    game_->closeOutput();
    x_->click(*win, 400, 300);
    std::this_thread::sleep_for(milliseconds(300));
    ASSERT_TRUE(game_->running()) << "the click's line ended the run";
    pressEscape();
    EXPECT_TRUE(exitsWith(*game_, 0));
    EXPECT_EQ(game_->err(), "");
}

}  // namespace
}  // namespace e2e
