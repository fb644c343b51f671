// convert.h -- the console's text-to-integer rule for the start-up answers
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Leading white space is skipped, then one optional sign, then digits up to the first other
// character: decimal, or hexadecimal after "$", or binary after "%". No digits gives 0 and
// values beyond 32 bits wrap round, as a 32-bit register would.
std::int32_t toInt(std::string_view text);

}  // namespace platform
