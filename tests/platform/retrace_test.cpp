// retrace_test.cpp -- which measured present times are trusted as a real 60 Hz retrace
#include <gtest/gtest.h>

#include <vector>

#include "platform/retrace.h"

namespace {

// Present times from `intervalMs`, one per interval, after `settleMs` intervals of settling.
std::vector<double> presents(std::vector<double> settleMs, double intervalMs, int count) {
    std::vector<double> times{1000.0};
    for (double ms : settleMs) times.push_back(times.back() + ms);
    for (int n = 0; n < count; ++n) times.push_back(times.back() + intervalMs);
    return times;
}

TEST(Retrace, OnlyPresentsOneSixtiethOfASecondApartOnAverageAreTrusted) {
    struct Case {
        const char* name;
        std::vector<double> times;
        bool trusted;
    };
    const std::vector<double> settle(platform::retraceSettleIntervals, 16.667);
    const int enough = platform::retraceMeasuredIntervals;
    std::vector<double> oneMissed = presents(settle, 1000.0 / 60.0, enough);
    for (std::size_t n = settle.size() + 3; n < oneMissed.size(); ++n) oneMissed[n] += 1000.0 / 60.0;
    std::vector<double> jittery = presents(settle, 1000.0 / 60.0, enough);
    for (std::size_t n = settle.size() + 1; n + 1 < jittery.size(); n += 2) jittery[n] += 3.0;
    const Case cases[] = {
        {"a 60 Hz retrace", presents(settle, 1000.0 / 60.0, enough), true},
        {"a 59.94 Hz mode", presents(settle, 1000.0 / 59.94, enough), true},
        {"a slow first flip after the mode switch",
         presents({250.0, 40.0, 16.0, 17.0}, 1000.0 / 60.0, enough), true},
        {"retraces with jitter around them", jittery, true},
        {"a 16 ms sleep instead (62.5 a second)", presents(settle, 16.0, enough), false},
        {"62.35 a second", presents(settle, 1000.0 / 62.35, enough), false},
        {"no wait at all", presents(settle, 0.4, enough), false},
        {"one retrace missed while measuring", oneMissed, false},
        {"a 50 Hz screen", presents(settle, 20.0, enough), false},
        {"too few presents to tell", presents(settle, 1000.0 / 60.0, enough - 1), false},
        {"nothing measured", {}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::presentsFollowRetrace(c.times), c.trusted) << c.name;
}

}  // namespace
