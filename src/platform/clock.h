// clock.h -- the millisecond clock and sleeping
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, on a 32-bit counter that wraps after ~49.7 days.
std::uint32_t steadyNowMs();
void sleepForMs(std::uint32_t ms);

}  // namespace platform
