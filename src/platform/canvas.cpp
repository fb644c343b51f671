// canvas.cpp -- software drawing onto the back buffer
#include "platform/canvas.h"

#include "platform/font.h"
#include "platform/rect_list.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace platform {
namespace {

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
Span clip(i64 lo, i64 hi, int limit) {
    lo = std::clamp<i64>(lo, 0, limit);
    hi = std::clamp<i64>(hi, lo, limit);
    return {int(lo), int(hi)};
}

// Bounding boxes of transformed images can be astronomically large; clamp before converting.
i64 toI64(double v) { return i64(std::clamp(v, -1e12, 1e12)); }

int channel(Pixel p, int shift) { return int((p >> shift) & 0xFFu); }

// Tint multiply, rounded to nearest so a white source takes the tint exactly.
int tint(int source, int tintValue) { return int((unsigned(source) * unsigned(tintValue) + 127u) / 255u); }

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
bool replaces(float a, Blend blend) { return a >= (blend == Blend::Mask ? 0.5f : 1.0f); }

// A row of one colour: a fill where the ink replaces, pixel by pixel where it blends.
void paintRun(Pixel* from, Pixel* to, int r, int g, int b, float a, Blend blend) {
    if (replaces(a, blend)) std::fill(from, to, rgb(r, g, b));
    else if (blend == Blend::Alpha) for (; from < to; ++from) blendInto(from, r, g, b, a, blend);
}

// The drawing state as it applies to image pixels, copied out of the canvas so the compiler can
// keep it in registers. Both image paths shade through this, so they cannot disagree.
struct ImageInk {
    int r, g, b;
    float alpha;
    Blend blend;
    unsigned passFrom = 0;  // first alpha byte whose coverage alpha * byte / 255 reaches one half
    bool white = false;     // tint(s, 255) == s, so a white tint can skip the multiply
    bool opaqueReplaces;    // an opaque pixel (coverage alpha) replaces the buffer with its tint

    ImageInk(int red, int green, int blue, float a, Blend mode)
        : r(red), g(green), b(blue), alpha(a), blend(mode), white(red == 255 && green == 255 && blue == 255),
          opaqueReplaces(replaces(a, mode)) {
        if (blend != Blend::Mask) return;
        unsigned none = 256;  // coverage rises with the byte: search for the threshold once
        while (passFrom < none) {
            const unsigned mid = (passFrom + none) / 2;
            if (coverage(mid << 24) >= 0.5f) none = mid; else passFrom = mid + 1;
        }
    }
    float coverage(Pixel p) const { return alpha * float(p >> 24) / 255.0f; }
    Pixel tinted(Pixel p) const {
        return white ? p | opaqueBlack : rgb(tint(channel(p, 16), r), tint(channel(p, 8), g), tint(channel(p, 0), b));
    }
    void put(Pixel* dst, Pixel p) const {
        if (blend == Blend::Mask || (opaqueReplaces && (p >> 24) == 0xFFu)) {
            if ((p >> 24) >= passFrom) *dst = tinted(p);
            return;
        }
        blendInto(dst, tint(channel(p, 16), r), tint(channel(p, 8), g), tint(channel(p, 0), b), coverage(p), blend);
    }
};

// Blocks of one colour are the bulk of every frame: the clear and every terrain cell. The
// baseline x86-64 build stores 16 bytes at a time; these two are also built for AVX2, picked
// when the processor has it, which halves their time on a buffer in cache.
#if defined(__x86_64__) && defined(__GNUC__)
#define CRATERDUEL_WIDE [[gnu::target_clones("avx2", "default")]]
#else
#define CRATERDUEL_WIDE
#endif

// h rows of w pixels, `stride` pixels apart. A width known at compile time makes each row a
// couple of stores with no loop set-up; terrain cells are 16 pixels wide, so that width gets its
// own copy of the loop.
CRATERDUEL_WIDE void fillBlock(Pixel* dst, std::size_t stride, std::size_t w, int h, Pixel colour) {
    const auto rows = [&](std::size_t width) {
        for (int y = 0; y < h; ++y) std::fill_n(dst + std::size_t(y) * stride, width, colour);
    };
    if (w == 16) rows(16); else rows(w);
}

// True when every pixel of the block is the same. The differences are ORed up rather than tested
// one by one, so the loop has no branch and runs several pixels at a time; whole image rows are
// checked as one run.
CRATERDUEL_WIDE bool oneColour(const Pixel* block, std::size_t stride, std::size_t w, int h) {
    if (w == stride) w *= std::size_t(h), h = 1;
    const Pixel first = block[0];
    Pixel differs = 0;
    for (int y = 0; y < h; ++y, block += stride)
        for (std::size_t x = 0; x < w; ++x) differs |= block[x] ^ first;
    return differs == 0;
}

// Whole numbers up to 2^53, tested without floor(), which is a library call in the baseline build.
bool isWhole(double v) { return std::fabs(v) <= 9007199254740992.0 && double(i64(v)) == v; }

// A whole number no larger than 2^24: a quick pass for every test of an aligned placement below.
bool smallWhole(float v) { return std::fabs(v) <= 16777216.0f && float(std::int32_t(v)) == v; }

// Exact cosine and sine for quarter turns, so rotated cells land on whole pixels.
void cosSin(float degrees, double& c, double& s) {
    double turn = std::fmod(double(degrees), 360.0);
    if (turn < 0) turn += 360.0;
    if (turn == 0) { c = 1; s = 0; return; }
    if (turn == 90) { c = 0; s = 1; return; }
    if (turn == 180) { c = -1; s = 0; return; }
    if (turn == 270) { c = 0; s = -1; return; }
    const double radians = turn * std::numbers::pi / 180.0;
    c = std::cos(radians);
    s = std::sin(radians);
}

// Small enough, and on a fine enough grid, that every double in the general image path is exact.
bool exactlyRepresented(double v) { return std::fabs(v) <= 16777216.0 && isWhole(v * 256.0); }

}  // namespace

// A buffer with no area has no rows either, so no row pointer is ever formed into it.
Canvas::Canvas(int width, int height)
    : width_(width > 0 && height > 0 ? width : 0),
      height_(width > 0 && height > 0 ? height : 0),
      pixels_(std::size_t(width_) * std::size_t(height_), opaqueBlack) {}

void Canvas::setColor(int r, int g, int b) {
    r_ = std::clamp(r, 0, 255);
    g_ = std::clamp(g, 0, 255);
    b_ = std::clamp(b, 0, 255);
}

void Canvas::setAlpha(float alpha) {
    alpha_ = alpha >= 1.0f ? 1.0f : (alpha > 0.0f ? alpha : 0.0f);  // NaN ends up as 0
}

void Canvas::setScale(float sx, float sy) {
    scaleX_ = sx;
    scaleY_ = sy;
}

void Canvas::noteDrawn(int left, int top, int right, int bottom) const {
    if (drawn_.list && left < right && top < bottom) drawn_.list->add({left, top, right - left, bottom - top});
}

void Canvas::copyRect(const Canvas& from, const Rect& r) {
    const Span cols = clip(r.x, i64(r.x) + std::max(r.width, 0), std::min(width_, from.width_));
    const Span rows = clip(r.y, i64(r.y) + std::max(r.height, 0), std::min(height_, from.height_));
    if (cols.lo >= cols.hi) return;
    for (int py = rows.lo; py < rows.hi; ++py)
        std::copy(&from.pixels_[from.index(cols.lo, py)], &from.pixels_[from.index(cols.lo, py)] + (cols.hi - cols.lo),
                  &pixels_[index(cols.lo, py)]);
}

void Canvas::plot(Pixel* dst, int r, int g, int b, float a) const { blendInto(dst, r, g, b, a, blend_); }

// One run over the whole buffer, rows and all.
void Canvas::clear() {
    fillBlock(pixels_.data(), 0, pixels_.size(), 1, opaqueBlack);
    noteDrawn(0, 0, width_, height_);
}

void Canvas::fillRect(int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    const Span cols = clip(x, i64(x) + w, width_);
    const Span rows = clip(y, i64(y) + h, height_);
    if (cols.lo >= cols.hi) return;
    noteDrawn(cols.lo, rows.lo, cols.hi, rows.hi);
    for (int py = rows.lo; py < rows.hi; ++py) {
        Pixel* row = &pixels_[index(0, py)];
        paintRun(row + cols.lo, row + cols.hi, r_, g_, b_, alpha_, blend_);
    }
}

void Canvas::fillEllipse(int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    // Doubled offsets from the centre keep the half-pixel arithmetic in integers: a pixel is in
    // when dx2^2 * h^2 + dy2^2 * w^2 <= w^2 * h^2, with dx2 = 2px + 1 - 2x - w (and dy2 alike).
    const i128 ww = i128(w) * w;
    const i128 hh = i128(h) * h;
    const Span rows = clip(y, i64(y) + h, height_);
    const Span box = clip(x, i64(x) + w, width_);  // an inscribed ellipse stays inside its box
    noteDrawn(box.lo, rows.lo, box.hi, rows.hi);
    for (int py = rows.lo; py < rows.hi; ++py) {
        const i64 dy2 = 2 * i64(py) + 1 - 2 * i64(y) - h;  // |dy2| < h inside the box
        const i128 room = ww * (hh - i128(dy2) * dy2);
        // Widest half-span m with m^2 h^2 <= room: estimate in floating point, then settle exactly.
        const double ratio = double(dy2) / double(h);
        i64 m = i64(double(w) * std::sqrt(std::max(0.0, 1.0 - ratio * ratio)));
        while (m > 0 && i128(m) * m * hh > room) --m;
        while (i128(m + 1) * (m + 1) * hh <= room) ++m;
        // dx2 always has the parity of w + 1; step down to the last value it can take.
        if ((m + w + 1) % 2 != 0) --m;
        if (m < 0) continue;
        const i64 twiceLeft = 2 * i64(x) + w - 1;
        const Span cols = clip((twiceLeft - m) / 2, (twiceLeft + m) / 2 + 1, width_);
        Pixel* row = &pixels_[index(0, py)];
        paintRun(row + cols.lo, row + cols.hi, r_, g_, b_, alpha_, blend_);
    }
}

void Canvas::drawText(int x, int y, std::string_view text) {
    const Span rows = clip(y, i64(y) + font::glyphHeight, height_);
    const Span box = clip(x, i64(x) + i64(text.size()) * font::glyphWidth, width_);  // skipped codes take no room
    noteDrawn(box.lo, rows.lo, box.hi, rows.hi);
    i64 penX = x;
    for (const char ch : text) {
        if (penX >= width_) return;  // everything further along is off the right edge
        const std::uint8_t* glyph = font::glyph(static_cast<unsigned char>(ch));
        if (!glyph) continue;
        const Span cols = clip(penX, penX + font::glyphWidth, width_);
        for (int py = rows.lo; py < rows.hi; ++py) {
            const unsigned bits = glyph[i64(py) - y];
            for (int px = cols.lo; px < cols.hi; ++px)
                if (bits & (0x80u >> (px - penX))) plot(&pixels_[index(px, py)], r_, g_, b_, alpha_);
        }
        penX += font::glyphWidth;
    }
}

Image Canvas::makeImage(int w, int h) const {
    Image image;
    image.width = std::max(w, 0);
    image.height = std::max(h, 0);
    if (autoMidHandle_) {
        image.handleX = float(image.width / 2.0);
        image.handleY = float(image.height / 2.0);
    }
    image.pixels.assign(std::size_t(image.width) * std::size_t(image.height), 0u);
    return image;
}

void Canvas::copyToImage(Image& image, int x, int y) const {
    image.width = std::max(image.width, 0);
    image.height = std::max(image.height, 0);
    const std::size_t w = std::size_t(image.width);
    image.pixels.assign(w * std::size_t(image.height), opaqueBlack);
    const Span cols = clip(x, i64(x) + image.width, width_);
    const Span rows = clip(y, i64(y) + image.height, height_);
    if (cols.lo >= cols.hi) return;  // nothing visible, and no image index to form
    for (int py = rows.lo; py < rows.hi; ++py) {
        const Pixel* src = &pixels_[index(0, py)];
        Pixel* dst = &image.pixels[std::size_t(i64(py) - y) * w + std::size_t(i64(cols.lo) - x)];
        for (int px = cols.lo; px < cols.hi; ++px) *dst++ = src[px] | opaqueBlack;
    }
}

void Canvas::drawImage(const Image& image, float x, float y) {
    if (image.width <= 0 || image.height <= 0) return;
    if (image.pixels.size() < std::size_t(image.width) * std::size_t(image.height)) return;
    const double left = double(x) - image.handleX;
    const double top = double(y) - image.handleY;
    const bool aligned = (smallWhole(x) && smallWhole(y) && smallWhole(image.handleX) && smallWhole(image.handleY)) ||
                         (isWhole(left) && isWhole(top) && exactlyRepresented(x) && exactlyRepresented(y) &&
                          exactlyRepresented(image.handleX) && exactlyRepresented(image.handleY));
    if (scaleX_ != 1.0f || scaleY_ != 1.0f || rotation_ != 0.0f || !aligned) {
        drawImageTransformed(image, x, y);
        return;
    }
    // Unscaled, unrotated and on whole pixels: the general path would map every destination
    // centre to exactly (column - left + 0.5) and sample column - left, so walking source and
    // destination rows side by side gives the same pixels without the per-pixel transform.
    const i64 ox = i64(left), oy = i64(top);
    const Span cols = clip(ox, ox + image.width, width_);
    const Span rows = clip(oy, oy + image.height, height_);
    if (cols.lo >= cols.hi || rows.lo >= rows.hi) return;  // nothing visible, and no image index to form
    noteDrawn(cols.lo, rows.lo, cols.hi, rows.hi);
    const ImageInk ink(r_, g_, b_, alpha_, blend_);
    const std::size_t stride = std::size_t(image.width);
    const Pixel* src = &image.pixels[std::size_t(rows.lo - oy) * stride + std::size_t(cols.lo - ox)];
    const int n = cols.hi - cols.lo, h = rows.hi - rows.lo;
    // A terrain cell is one opaque colour that replaces what is under it: shade it once and fill.
    if (ink.opaqueReplaces && (*src >> 24) == 0xFFu && oneColour(src, stride, std::size_t(n), h)) {
        fillBlock(&pixels_[index(cols.lo, rows.lo)], std::size_t(width_), std::size_t(n), h, ink.tinted(*src));
        return;
    }
    for (int py = rows.lo; py < rows.hi; ++py, src += stride) {
        Pixel* dst = &pixels_[index(cols.lo, py)];
        for (int k = 0; k < n; ++k) ink.put(dst + k, src[k]);
    }
}

void Canvas::drawImageTransformed(const Image& image, float x, float y) {
    const double sx = scaleX_, sy = scaleY_, hx = image.handleX, hy = image.handleY;
    for (const double v : {sx, sy, hx, hy, double(x), double(y), double(rotation_)})
        if (!std::isfinite(v)) return;
    if (sx == 0 || sy == 0) return;
    double c = 1, s = 0;
    cosSin(rotation_, c, s);
    const double w = image.width, h = image.height;

    // Destination bounding box of the four corners (clockwise on screen, y down).
    double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
    for (const double u : {0.0, w}) {
        for (const double v : {0.0, h}) {
            const double ax = (u - hx) * sx, ay = (v - hy) * sy;
            const double px = x + ax * c - ay * s, py = y + ax * s + ay * c;
            minX = std::min(minX, px), maxX = std::max(maxX, px);
            minY = std::min(minY, py), maxY = std::max(maxY, py);
        }
    }
    // One pixel of slack on each side; the inverse mapping below makes the real decision.
    const Span cols = clip(toI64(std::floor(minX)) - 1, toI64(std::ceil(maxX)) + 1, width_);
    const Span rows = clip(toI64(std::floor(minY)) - 1, toI64(std::ceil(maxY)) + 1, height_);
    noteDrawn(cols.lo, rows.lo, cols.hi, rows.hi);  // every pixel below is inside this box

    const ImageInk ink(r_, g_, b_, alpha_, blend_);
    // Unrotated, u below comes from the column alone and v from the row alone (the other term is a
    // signed zero), each rising or falling steadily: the covered pixels form a rectangle, and an
    // image of one opaque colour that replaces what is under it fills it in that colour. Checking
    // a pixel of the image is one OR, mapping a pixel of the box two divisions and more: the check
    // is skipped only for an image shrunk to a small fraction of its size.
    const std::size_t iw = std::size_t(image.width);
    if (c == 1 && s == 0 && ink.opaqueReplaces && (image.pixels[0] >> 24) == 0xFFu &&
        i64(iw) * image.height <= 16 * i64(cols.hi - cols.lo) * (rows.hi - rows.lo)) {
        const auto inU = [&](int px) { const double u = (px + 0.5 - x) / sx + hx; return u >= 0 && u < w; };
        const auto inV = [&](int py) { const double v = (py + 0.5 - y) / sy + hy; return v >= 0 && v < h; };
        int left = cols.lo, top = rows.lo;
        while (left < cols.hi && !inU(left)) ++left;
        while (top < rows.hi && !inV(top)) ++top;
        int right = left, bottom = top;
        while (right < cols.hi && inU(right)) ++right;
        while (bottom < rows.hi && inV(bottom)) ++bottom;
        if (left == right || top == bottom) return;  // no pixel maps into the image at all
        if (oneColour(image.pixels.data(), iw, iw, image.height)) {
            fillBlock(&pixels_[index(left, top)], std::size_t(width_), std::size_t(right - left), bottom - top,
                      ink.tinted(image.pixels[0]));
            return;
        }
    }
    for (int py = rows.lo; py < rows.hi; ++py) {
        const double dy = py + 0.5 - y;
        Pixel* row = &pixels_[index(0, py)];
        for (int px = cols.lo; px < cols.hi; ++px) {
            const double dx = px + 0.5 - x;
            const double u = (dx * c + dy * s) / sx + hx;
            const double v = (dy * c - dx * s) / sy + hy;
            if (!(u >= 0 && u < w && v >= 0 && v < h)) continue;
            ink.put(row + px, image.at(std::min(int(u), image.width - 1), std::min(int(v), image.height - 1)));
        }
    }
}

}  // namespace platform
