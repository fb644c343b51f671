// random_test.cpp -- ranges in either order, the open top of the real range, repeatability
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>

#include "platform/random.h"

namespace {

TEST(Random, IntegerStaysInTheClosedRangeWhicheverWayRoundTheBoundsCome) {
    platform::Random random(7);
    std::set<int> seen;
    for (int n = 0; n < 2000; ++n) {
        const int a = random.integer(4, 10);
        const int b = random.integer(10, 4);
        ASSERT_GE(a, 4);
        ASSERT_LE(a, 10);
        ASSERT_GE(b, 4);
        ASSERT_LE(b, 10);
        seen.insert(a);
        seen.insert(b);
    }
    EXPECT_EQ(seen.size(), 7u) << "every value of the range turns up";
    EXPECT_EQ(random.integer(5, 5), 5);
    for (int n = 0; n < 100; ++n) {
        const int wide = random.integer(INT_MAX, INT_MIN);
        (void)wide;  // the full 32-bit range must not overflow (the sanitizer watches)
        const int top = random.integer(INT_MAX - 1, INT_MAX);
        EXPECT_GE(top, INT_MAX - 1);
    }
}

TEST(Random, RealNeverReachesTheTopOfItsRange) {
    platform::Random random(3);
    const float low = 1.0f, high = 2.1f;
    float least = high, most = low;
    for (int n = 0; n < 200000; ++n) {
        const float r = random.real(low, high);
        ASSERT_GE(r, low);
        ASSERT_LT(r, high);
        least = std::min(least, r);
        most = std::max(most, r);
    }
    EXPECT_LT(least, 1.01f);
    EXPECT_GT(most, 2.09f);
    // A range one float wide can only give its bottom.
    const float next = std::nextafter(1.0f, 2.0f);
    for (int n = 0; n < 1000; ++n) ASSERT_EQ(random.real(1.0f, next), 1.0f);
}

TEST(Random, TheSameSeedGivesTheSameGame) {
    platform::Random a(42), b(42), c(43);
    bool differs = false;
    for (int n = 0; n < 50; ++n) {
        const int va = a.integer(0, 1000000);
        EXPECT_EQ(va, b.integer(0, 1000000));
        differs |= va != c.integer(0, 1000000);
    }
    EXPECT_TRUE(differs);
}

}  // namespace
