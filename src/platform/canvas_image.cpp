// canvas_image.cpp -- images: making them, copying the back buffer into them, drawing them
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "platform/canvas.h"
#include "platform/canvas_ink.h"

namespace platform {

using namespace ink;

namespace {

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
            if (coverage(mid << 24) >= 0.5f) none = mid;
            else passFrom = mid + 1;
        }
    }
    float coverage(Pixel p) const { return alpha * float(p >> 24) / 255.0f; }
    Pixel tinted(Pixel p) const {
        return white ? p | opaqueBlack
                     : rgb(tint(channel(p, 16), r), tint(channel(p, 8), g), tint(channel(p, 0), b));
    }
    void put(Pixel* dst, Pixel p) const {
        if (blend == Blend::Mask || (opaqueReplaces && (p >> 24) == 0xFFu)) {
            if ((p >> 24) >= passFrom) *dst = tinted(p);
            return;
        }
        blendInto(dst, tint(channel(p, 16), r), tint(channel(p, 8), g), tint(channel(p, 0), b), coverage(p),
                  blend);
    }
};

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
    if (turn == 0) {
        c = 1;
        s = 0;
        return;
    }
    if (turn == 90) {
        c = 0;
        s = 1;
        return;
    }
    if (turn == 180) {
        c = -1;
        s = 0;
        return;
    }
    if (turn == 270) {
        c = 0;
        s = -1;
        return;
    }
    const double radians = turn * std::numbers::pi / 180.0;
    c = std::cos(radians);
    s = std::sin(radians);
}

// Small enough, and on a fine enough grid, that every double in the general image path is exact.
bool exactlyRepresented(double v) { return std::fabs(v) <= 16777216.0 && isWhole(v * 256.0); }

}  // namespace

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
    const bool aligned =
        (smallWhole(x) && smallWhole(y) && smallWhole(image.handleX) && smallWhole(image.handleY)) ||
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
        fillBlock(&pixels_[index(cols.lo, rows.lo)], std::size_t(width_), std::size_t(n), h,
                  ink.tinted(*src));
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
        const auto inU = [&](int px) {
            const double u = (px + 0.5 - x) / sx + hx;
            return u >= 0 && u < w;
        };
        const auto inV = [&](int py) {
            const double v = (py + 0.5 - y) / sy + hy;
            return v >= 0 && v < h;
        };
        int left = cols.lo, top = rows.lo;
        while (left < cols.hi && !inU(left)) ++left;
        while (top < rows.hi && !inV(top)) ++top;
        int right = left, bottom = top;
        while (right < cols.hi && inU(right)) ++right;
        while (bottom < rows.hi && inV(bottom)) ++bottom;
        if (left == right || top == bottom) return;  // no pixel maps into the image at all
        if (oneColour(image.pixels.data(), iw, iw, image.height)) {
            fillBlock(&pixels_[index(left, top)], std::size_t(width_), std::size_t(right - left),
                      bottom - top, ink.tinted(image.pixels[0]));
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
            ink.put(row + px,
                    image.at(std::min(int(u), image.width - 1), std::min(int(v), image.height - 1)));
        }
    }
}

}  // namespace platform
