// pacer_test.cpp -- the 16/17/17 ms schedule, sleeping until it, forgiving late frames
#include <gtest/gtest.h>

#include <vector>

#include "platform/pacer.h"

namespace {

// Runs frames whose work takes workMs each, sleeping as the pacer says; returns frame times.
std::vector<std::uint32_t> run(platform::Pacer& pacer, std::uint32_t& clock, int frames,
                               std::uint32_t workMs) {
    std::vector<std::uint32_t> shown;
    for (int n = 0; n < frames; ++n) {
        clock += workMs;
        clock += pacer.nextFrame(clock);
        shown.push_back(clock);
    }
    return shown;
}

TEST(Pacer, FramesFollowTheSixteenSeventeenSeventeenSchedule) {
    for (std::uint32_t start : {0u, 1000u, 0xFFFFFFF0u}) {  // the last one wraps mid-run
        platform::Pacer pacer;
        std::uint32_t clock = start;
        pacer.start(clock);
        const auto shown = run(pacer, clock, 60, 3);
        ASSERT_EQ(shown.size(), 60u);
        EXPECT_EQ(shown[0] - start, 16u);
        EXPECT_EQ(shown[1] - shown[0], 17u);
        EXPECT_EQ(shown[2] - shown[1], 17u);
        EXPECT_EQ(shown[3] - shown[2], 16u);
        EXPECT_EQ(shown[59] - start, 1000u) << "sixty frames take exactly one second";
    }
}

TEST(Pacer, SleepsUntilTheScheduledTimeNotAFixedDelayAfterTheWork) {
    platform::Pacer pacer;
    pacer.start(0);
    EXPECT_EQ(pacer.nextFrame(10), 6u) << "10 ms of work leaves 6 ms to the 16 ms mark";
    EXPECT_EQ(pacer.nextFrame(16 + 17), 0u) << "exactly on time: no sleep";
}

TEST(Pacer, ALateFrameIsForgivenNotCaughtUp) {
    platform::Pacer pacer;
    std::uint32_t clock = 0;
    pacer.start(clock);
    run(pacer, clock, 3, 0);  // 50 ms
    clock += 100;             // a frame that took far too long
    EXPECT_EQ(pacer.nextFrame(clock), 0u);
    EXPECT_EQ(pacer.scheduled(), clock) << "the schedule restarts from now";
    // The frames after it are full length again, not a burst of short ones.
    const auto shown = run(pacer, clock, 3, 0);
    EXPECT_EQ(shown[0], 150u + 17u) << "the 16/17/17 rhythm goes on where it was";
    EXPECT_EQ(shown[1] - shown[0], 17u);
    EXPECT_EQ(shown[2] - shown[1], 16u);
}

}  // namespace
