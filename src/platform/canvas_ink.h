// canvas_ink.h -- what the canvas's drawing files share: clipping, blending, block fills
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/canvas.h"

namespace platform::ink {

constexpr Pixel opaqueBlack = 0xFF000000u;

using i64 = std::int64_t;
// Ellipse tests square products of 32-bit sizes; 128 bits keeps them exact for any int argument.
__extension__ typedef __int128 i128;

// Half-open index range, already clipped to the buffer.
struct Span {
    int lo = 0;
    int hi = 0;
};

// Clip [lo, hi) to [0, limit). Callers pass 64-bit ends so x + w can never overflow.
inline Span clip(i64 lo, i64 hi, int limit) {
    lo = std::clamp<i64>(lo, 0, limit);
    hi = std::clamp<i64>(hi, lo, limit);
    return {int(lo), int(hi)};
}

// Bounding boxes of transformed images can be astronomically large; clamp before converting.
inline i64 toI64(double v) { return i64(std::clamp(v, -1e12, 1e12)); }

inline int channel(Pixel p, int shift) { return int((p >> shift) & 0xFFu); }

// Tint multiply, rounded to nearest so a white source takes the tint exactly.
inline int tint(int source, int tintValue) {
    return int((unsigned(source) * unsigned(tintValue) + 127u) / 255u);
}

// Writes colour (r, g, b) with coverage a into *dst. Mask: opaque from half coverage up.
// Alpha: source * a + dest * (1 - a) per channel, rounded half up; the sum is never negative, so
// adding 0.5 in double and truncating rounds exactly as lround would, without the library call.
inline void blendInto(Pixel* dst, int r, int g, int b, float a, Blend blend) {
    if (blend == Blend::Mask) {
        if (a >= 0.5f) *dst = rgb(r, g, b);
        return;
    }
    if (a <= 0.0f) return;
    const Pixel d = *dst;
    auto mix = [a](int source, int dest) {
        // The mix is never negative, where adding a half and truncating rounds to nearest.
        // NOLINTNEXTLINE(bugprone-incorrect-roundings)
        return int(double(float(source) * a + float(dest) * (1.0f - a)) + 0.5);
    };
    *dst = rgb(mix(r, channel(d, 16)), mix(g, channel(d, 8)), mix(b, channel(d, 0)));
}

// Whether ink at coverage a simply replaces the buffer pixel: mask mode from half coverage, alpha
// mode at full alpha, where source * 1 + dest * 0 is exactly the source.
inline bool replaces(float a, Blend blend) { return a >= (blend == Blend::Mask ? 0.5f : 1.0f); }

// A row of one colour: a fill where the ink replaces, pixel by pixel where it blends.
inline void paintRun(Pixel* from, Pixel* to, int r, int g, int b, float a, Blend blend) {
    if (replaces(a, blend)) std::fill(from, to, rgb(r, g, b));
    else if (blend == Blend::Alpha)
        for (; from < to; ++from) blendInto(from, r, g, b, a, blend);
}

// Blocks of one colour are the bulk of every frame: the clear and every terrain cell. The
// baseline x86-64 build stores 16 bytes at a time; fillBlock and oneColour are also built for
// AVX2, picked when the processor has it, which halves their time on a buffer in cache.
#if defined(__x86_64__) && defined(__GNUC__)
#define CRATERDUEL_WIDE [[gnu::target_clones("avx2", "default")]]
#else
#define CRATERDUEL_WIDE
#endif

// h rows of w pixels, `stride` pixels apart. The declaration carries the clones too, or clang's
// callers in other files would look for a single version.
CRATERDUEL_WIDE void fillBlock(Pixel* dst, std::size_t stride, std::size_t w, int h, Pixel colour);

}  // namespace platform::ink
