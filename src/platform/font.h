// font.h -- the built-in 8x16 bitmap font, drawn by us for character codes 32..127
#pragma once

#include <cstdint>

namespace platform::font {

constexpr int glyphWidth = 8;
constexpr int glyphHeight = 16;
constexpr int firstCode = 32;
constexpr int lastCode = 127;

// Sixteen rows, top first; bit 7 of a row is the leftmost pixel. Codes outside
// firstCode..lastCode have no glyph: the caller skips them.
const std::uint8_t* glyph(int code);

}  // namespace platform::font
