// allocation_count.h -- how many times the program has called operator new so far
#pragma once

#include <cstdint>

namespace bench {

// Counts every plain operator new in the process (linked into a benchmark, allocation_count.cpp
// replaces the global one), so a benchmark can show that its timed part allocates nothing.
std::uint64_t allocationsSoFar();

}  // namespace bench
