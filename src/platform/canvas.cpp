// canvas.cpp -- the back buffer, its drawing state, and the shapes and text drawn on it
#include "platform/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/canvas_ink.h"
#include "platform/font.h"
#include "platform/rect_list.h"

namespace platform {

using namespace ink;

// A width known at compile time makes each row a couple of stores with no loop set-up; terrain
// cells are 16 pixels wide, so that width gets its own copy of the loop.
CRATERDUEL_WIDE void ink::fillBlock(Pixel* dst, std::size_t stride, std::size_t w, int h, Pixel colour) {
    const auto rows = [&](std::size_t width) {
        for (int y = 0; y < h; ++y) std::fill_n(dst + std::size_t(y) * stride, width, colour);
    };
    if (w == 16) rows(16);
    else rows(w);
}

// A buffer with no area has no rows either, so no row pointer is ever formed into it.
Canvas::Canvas(int width, int height)
    : width_(width > 0 && height > 0 ? width : 0), height_(width > 0 && height > 0 ? height : 0),
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
    if (drawn_.list && left < right && top < bottom)
        drawn_.list->add({left, top, right - left, bottom - top});
}

void Canvas::copyRect(const Canvas& from, const Rect& r) {
    const Span cols = clip(r.x, i64(r.x) + std::max(r.width, 0), std::min(width_, from.width_));
    const Span rows = clip(r.y, i64(r.y) + std::max(r.height, 0), std::min(height_, from.height_));
    if (cols.lo >= cols.hi) return;
    for (int py = rows.lo; py < rows.hi; ++py)
        std::copy(&from.pixels_[from.index(cols.lo, py)],
                  &from.pixels_[from.index(cols.lo, py)] + (cols.hi - cols.lo), &pixels_[index(cols.lo, py)]);
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
    const Span box =
        clip(x, i64(x) + i64(text.size()) * font::glyphWidth, width_);  // skipped codes take no room
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

}  // namespace platform
