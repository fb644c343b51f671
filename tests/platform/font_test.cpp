// font_test.cpp -- the built-in glyph table: coverage of the printable range and distinct shapes
#include "platform/font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace platform::font {
namespace {

bool hasInk(const std::uint8_t* rows) {
    return std::any_of(rows, rows + glyphHeight, [](std::uint8_t row) { return row != 0; });
}

TEST(Font, OnlyCodesThirtyTwoToOneTwentySevenHaveGlyphs) {
    for (const int code : {INT_MIN, -1, 0, 31, 128, 255, 256, INT_MAX})
        EXPECT_EQ(glyph(code), nullptr) << code;
    EXPECT_NE(glyph(32), nullptr);
    EXPECT_NE(glyph(127), nullptr);
}

TEST(Font, EveryVisibleCodeHasInkAndSpaceHasNone) {
    EXPECT_FALSE(hasInk(glyph(' ')));
    for (int code = 33; code <= lastCode; ++code) EXPECT_TRUE(hasInk(glyph(code))) << "code " << code;
}

TEST(Font, NoTwoCodesShareAGlyph) {
    // Covers the digits the health display relies on, and catches a row pasted under the wrong code.
    for (int a = firstCode; a <= lastCode; ++a)
        for (int b = a + 1; b <= lastCode; ++b)
            EXPECT_NE(std::memcmp(glyph(a), glyph(b), glyphHeight), 0) << "codes " << a << " and " << b;
}

}  // namespace
}  // namespace platform::font
