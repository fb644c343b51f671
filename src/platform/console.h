// console.h -- line input and output on C streams
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Reads up to the next line feed and drops carriage returns anywhere in the line. Nothing is
// returned when the stream ends or fails before the line feed, even if some text came first.
std::optional<std::string> readLine(std::FILE* in);
void writeFlushed(std::FILE* out, std::string_view text);

}  // namespace platform
