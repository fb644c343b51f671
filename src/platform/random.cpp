// random.cpp -- PCG32 with unbiased range reduction
#include "platform/random.h"

#include <cmath>

namespace platform {

namespace {
constexpr std::uint64_t multiplier = 6364136223846793005ull;
constexpr std::uint64_t increment = 1442695040888963407ull;
}  // namespace

void Random::seed_(std::uint64_t seed) {
    state_ = 0;
    next();
    state_ += seed;
    next();
}

std::uint32_t Random::next() {
    std::uint64_t old = state_;
    state_ = old * multiplier + increment;
    auto xorshifted = std::uint32_t(((old >> 18u) ^ old) >> 27u);
    auto rot = std::uint32_t(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

std::int32_t Random::integer(std::int32_t a, std::int32_t b) {
    std::int64_t lo = a < b ? a : b;
    std::int64_t hi = a < b ? b : a;
    auto span = std::uint64_t(hi - lo) + 1;  // 1 .. 2^32
    if (span > 0xFFFFFFFFull) return std::int32_t(lo + std::int64_t(next()));
    // Multiply-shift with rejection of the short tail keeps every value equally likely.
    std::uint64_t m = std::uint64_t(next()) * span;
    auto low = std::uint32_t(m);
    if (low < span) {
        auto threshold = std::uint32_t((0x100000000ull - span) % span);
        while (low < threshold) {
            m = std::uint64_t(next()) * span;
            low = std::uint32_t(m);
        }
    }
    return std::int32_t(lo + std::int64_t(m >> 32));
}

float Random::real(float low, float high) {
    if (!(low < high)) return low;
    double unit = double(next()) / 4294967296.0;  // [0, 1)
    auto r = float(double(low) + unit * (double(high) - double(low)));
    // Rounding to float can land on high itself; step back onto the range.
    if (r >= high) r = std::nextafter(high, low);
    if (r < low) r = low;
    return r;
}

}  // namespace platform
