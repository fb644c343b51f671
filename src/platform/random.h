// random.h -- the seedable random source: integers in a closed range, reals in [low, high)
#pragma once

#include <cstdint>

namespace platform {

// A small PCG generator of our own, so a seed replays the same game on every compiler.
class Random {
public:
    explicit Random(std::uint64_t seed = 0) { seed_(seed); }
    void seed(std::uint64_t seed) { seed_(seed); }

    // Uniform in [min(a, b), max(a, b)]: the bounds may come in either order.
    std::int32_t integer(std::int32_t a, std::int32_t b);
    // Uniform in [low, high); never returns high, even after rounding to float.
    float real(float low, float high);

private:
    void seed_(std::uint64_t seed);
    std::uint32_t next();

    std::uint64_t state_ = 0;
};

}  // namespace platform
