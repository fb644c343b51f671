// convert.cpp -- text to a wrapping 32-bit integer
#include "platform/convert.h"

namespace platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

}  // namespace

std::int32_t toInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    std::uint32_t base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }

    // Unsigned arithmetic wraps by definition, which is exactly the overflow we want.
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        int d = digitValue(text[i]);
        if (d >= int(base)) break;
        value = value * base + std::uint32_t(d);
    }
    if (negative) value = 0u - value;
    return std::int32_t(value);
}

}  // namespace platform
