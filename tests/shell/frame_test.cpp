// frame_test.cpp -- the paced loop: schedule, Escape, signals, retrace
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input.h"
#include "shell/frame.h"
#include "shell/startup.h"
#include "support/scripted_system.h"
#include "support/test_game.h"

namespace {

using testing_support::ScriptedSystem;

// Presses Escape once the given number of frames has been shown.
void escapeAfter(ScriptedSystem& sys, int frames) {
    sys.afterPresent = [&sys, frames](int shown) {
        if (shown == frames)
            sys.events = [](platform::Input& in) { in.keyEvent(platform::vk::escape, true, false); };
    };
}

std::vector<std::uint32_t> intervals(const ScriptedSystem& sys, std::uint32_t start) {
    std::vector<std::uint32_t> out;
    for (auto t : sys.presentTimes) {
        out.push_back(t - start);
        start = t;
    }
    return out;
}

TEST(FrameLoop, WindowFramesArePacedSixteenSeventeenSeventeen) {
    ScriptedSystem sys("800\n600\n0\n");
    sys.clock = 5000;
    sys.workMsPerFrame = 4;  // the work after each present eats into the next frame's sleep
    escapeAfter(sys, 6);
    EXPECT_EQ(shell::run(sys), 0);
    EXPECT_EQ(intervals(sys, 5000), (std::vector<std::uint32_t>{16, 17, 17, 16, 17, 17}));
    EXPECT_EQ(sys.sleeps.front(), 16u) << "set-up took no scripted time";
    EXPECT_EQ(sys.sleeps[1], 13u) << "sleeps until the scheduled time, net of the work";
}

TEST(FrameLoop, ALateFrameIsShownAtOnceAndTheScheduleGoesOnFromThere) {
    ScriptedSystem sys("800\n600\n0\n");
    sys.clock = 0;
    sys.afterPresent = [&sys](int shown) {
        if (shown == 2) sys.clock += 50;  // a slow frame
        if (shown == 4)
            sys.events = [](platform::Input& in) { in.keyEvent(platform::vk::escape, true, false); };
    };
    EXPECT_EQ(shell::run(sys), 0);
    EXPECT_EQ(intervals(sys, 0), (std::vector<std::uint32_t>{16, 17, 50, 16}));
}

TEST(FrameLoop, NoSoftwareSleepWhileTheDisplayWaitsForTheRetrace) {
    ScriptedSystem sys("800\n600\n1\n");
    sys.retrace = true;
    escapeAfter(sys, 5);
    EXPECT_EQ(shell::run(sys), 0);
    EXPECT_EQ(sys.presentTimes.size(), 5u);
    EXPECT_TRUE(sys.sleeps.empty());
}

TEST(FrameLoop, StopSignalsEndTheRunAfterClosingTheDisplay) {
    for (int signal : {2, 15}) {
        ScriptedSystem sys("800\n600\n0\n");
        sys.afterPresent = [&sys, signal](int shown) {
            if (shown == 3) sys.signal = signal;
        };
        EXPECT_EQ(shell::run(sys), 128 + signal);
        EXPECT_EQ(sys.presentTimes.size(), 3u) << "no frame after the signal is seen";
        EXPECT_EQ(sys.closes, 1);
    }
}

TEST(FrameLoop, AScriptedRunThatNothingEndsStopsItselfWithAFailingStatus) {
    ScriptedSystem sys("800\n600\n0\n");  // no Escape ever comes
    sys.frameLimit = 30;
    EXPECT_EQ(shell::run(sys), 128 + ScriptedSystem::runawaySignal);
    EXPECT_EQ(sys.presentTimes.size(), 30u);
}

TEST(FrameLoop, SeveralEscapePressesEndTheRunAtTheNextCheck) {
    ScriptedSystem sys("800\n600\n0\n");
    sys.afterPresent = [&sys](int shown) {
        if (shown != 2) return;
        sys.events = [](platform::Input& in) {
            for (int n = 0; n < 3; ++n) {
                in.keyEvent(platform::vk::escape, true, false);
                in.keyEvent(platform::vk::escape, false, false);
            }
        };
    };
    EXPECT_EQ(shell::run(sys), 0);
    EXPECT_EQ(sys.presentTimes.size(), 2u);
}

}  // namespace

namespace {

TEST(Frame, OnlyTheFighterThatIsOutSitsOutItsTurn) {
    // The winner keeps walking, firing and being drawn; the one that is out does none of it.
    const struct {
        std::int32_t winner;
        bool redPlays, cyanPlays;
    } cases[] = {{0, true, true}, {1, true, false}, {2, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE("winner " + std::to_string(c.winner));
        testing_support::TestGame t(800, 600);
        t.clearInside();
        t.game.winner = c.winner;
        t.sys.clock = 5000;  // long after both last shots
        for (int key : {platform::vk::down, int('K'), int('G'), int('S')}) t.hold(key);
        shell::runFrame(t.game);
        EXPECT_EQ(t.game.p1y, c.redPlays ? 308 : 300) << "red walks";
        EXPECT_EQ(t.game.p2y, c.cyanPlays ? 308 : 300) << "cyan walks";
        int redShots = 0, cyanShots = 0;
        for (const auto& b : t.game.bulletList) (b.color == 1 ? redShots : cyanShots)++;
        EXPECT_EQ(redShots, c.redPlays ? 1 : 0) << "red fires";
        EXPECT_EQ(cyanShots, c.cyanPlays ? 1 : 0) << "cyan fires";
        // The cross's left arm, drawn before the step.
        EXPECT_EQ(t.game.canvas.at(720 - 14, 300),
                  c.redPlays ? platform::rgb(255, 0, 0) : platform::rgb(0, 0, 0));
        EXPECT_EQ(t.game.canvas.at(80 - 14, 300),
                  c.cyanPlays ? platform::rgb(0, 255, 255) : platform::rgb(0, 0, 0));
    }
}

TEST(FrameLoop, ThePlayGoesOnEvenlyWhileTheClockWraps) {
    // Past 2^31 the clock turns negative as a signed value; past 2^32 it starts again at 0.
    for (std::uint32_t start : {0x7FFFFE00u, 0xFFFFFE00u}) {
        testing_support::TestGame t;
        t.sys.clock = start;
        t.game.pacer.start(start);
        t.game.p1shot = std::int32_t(start);
        t.hold('J');
        std::vector<std::uint32_t> shots;
        for (int frame = 0; frame < 120; ++frame) {
            const auto before = t.game.p1shot;
            shell::runFrame(t.game);
            shell::presentFrame(t.game);
            if (t.game.p1shot != before) shots.push_back(std::uint32_t(t.game.p1shot));
        }
        const auto frames = intervals(t.sys, start);
        for (auto ms : frames) ASSERT_TRUE(ms == 16 || ms == 17) << "no stall and no burst: " << ms;
        ASSERT_GE(shots.size(), 15u) << std::hex << start;
        for (std::size_t n = 1; n < shots.size(); ++n) {
            EXPECT_GT(shots[n] - shots[n - 1], 100u) << std::hex << shots[n];
            EXPECT_LE(shots[n] - shots[n - 1], 117u) << std::hex << shots[n];
        }
    }
}

}  // namespace

namespace {

// The display stops pacing (focus lost) after a stretch paced by the retrace: the software
// schedule starts again from that moment, however long the stretch was, and back again.
TEST(FrameLoop, SwitchingBetweenRetraceAndSoftwarePacingRestartsTheSchedule) {
    struct Case {
        const char* name;
        std::uint32_t retraceMs;  // how long the retrace paced before the switch
    };
    const Case cases[] = {
        {"a few frames", 50}, {"ten minutes", 600000}, {"past half the clock's range", 0x80000005u}};
    for (const Case& c : cases) {
        testing_support::TestGame t;
        t.sys.clock = 1000;
        t.game.pacer.start(t.sys.clock);
        t.sys.retrace = true;
        for (int frame = 0; frame < 3; ++frame) shell::presentFrame(t.game);
        t.sys.clock += c.retraceMs;

        t.sys.retrace = false;
        for (int frame = 0; frame < 3; ++frame) shell::presentFrame(t.game);
        t.sys.retrace = true;
        shell::presentFrame(t.game);
        t.sys.clock += 5000;  // the retrace paces a while, then the focus goes again
        t.sys.retrace = false;
        shell::presentFrame(t.game);
        EXPECT_EQ(t.sys.sleeps, (std::vector<std::uint32_t>{16, 17, 17, 16})) << c.name;
    }
}

}  // namespace
