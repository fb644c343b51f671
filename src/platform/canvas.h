// canvas.h -- the software back buffer, its persistent drawing state and every drawing operation
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/rect.h"

namespace platform {

class RectList;

// Pixels are 0xAARRGGBB. The back buffer is always opaque (AA = 0xFF); images keep real alpha.
using Pixel = std::uint32_t;

constexpr Pixel rgb(int r, int g, int b) {
    return 0xFF000000u | (Pixel(r & 0xFF) << 16) | (Pixel(g & 0xFF) << 8) | Pixel(b & 0xFF);
}

enum class Blend { Mask, Alpha };

// An image with its handle: drawing it at a point puts the handle on that point.
struct Image {
    int width = 0;
    int height = 0;
    float handleX = 0;
    float handleY = 0;
    std::vector<Pixel> pixels;  // width * height, row by row

    Pixel at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// Pixel rule for every shape: a pixel (px, py) is covered when its centre (px + 0.5, py + 0.5)
// lies inside the shape. Rectangles therefore cover x .. x + w - 1 exactly, and an ellipse
// inscribed in a rectangle never leaves that rectangle.
//
// Scale and rotation apply to images only; rectangles, ellipses and text are always drawn
// unscaled. Colour, alpha and blend mode apply to everything.
class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    const Pixel* data() const { return pixels_.data(); }
    Pixel at(int x, int y) const { return pixels_[index(x, y)]; }

    // Persistent drawing state; it survives across frames until changed.
    void setColor(int r, int g, int b);
    void setAlpha(float alpha);
    void setBlend(Blend blend) { blend_ = blend; }
    void setScale(float sx, float sy);
    void setRotation(float degrees) { rotation_ = degrees; }
    void setAutoMidHandle(bool on) { autoMidHandle_ = on; }

    int red() const { return r_; }
    int green() const { return g_; }
    int blue() const { return b_; }
    float alpha() const { return alpha_; }
    Blend blend() const { return blend_; }
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }
    float rotation() const { return rotation_; }

    void clear();  // opaque black, whatever the state
    void fillRect(int x, int y, int w, int h);
    void fillEllipse(int x, int y, int w, int h);
    // 8x16 cells, top-left at (x, y); codes outside 32..127 are skipped and take no room.
    void drawText(int x, int y, std::string_view text);

    // While a list is set, every drawing operation adds the part of the buffer it may have touched
    // (its bounding box, clipped) to it, and clear() the whole buffer. The list belongs to the
    // canvas's owner: copying a canvas does not copy it, and assigning one keeps the target's.
    void recordDrawing(RectList* into) { drawn_.list = into; }
    // Pixels of r, clipped to both buffers, copied from the same place in another canvas. Not a
    // drawing operation: it ignores the drawing state and is not recorded.
    void copyRect(const Canvas& from, const Rect& r);

    Image makeImage(int w, int h) const;                 // transparent until pixels are copied in
    void copyToImage(Image& image, int x, int y) const;  // opaque; outside the buffer reads black
    void drawImage(const Image& image, float x, float y);

private:
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(width_) + std::size_t(x); }
    void plot(Pixel* dst, int r, int g, int b, float a) const;
    void drawImageTransformed(const Image& image, float x, float y);
    void noteDrawn(int left, int top, int right, int bottom) const;

    // The list belongs to the canvas's owner, so copies and assignments carry none of it over.
    struct Recording {
        Recording() = default;
        Recording(const Recording&) {}
        // Copies nothing, so assigning to itself is as harmless as any other assignment.
        // NOLINTNEXTLINE(bugprone-unhandled-self-assignment)
        Recording& operator=(const Recording&) { return *this; }
        RectList* list = nullptr;
    };

    int width_ = 0;
    int height_ = 0;
    std::vector<Pixel> pixels_;

    int r_ = 255, g_ = 255, b_ = 255;
    float alpha_ = 1.0f;
    Blend blend_ = Blend::Mask;
    float scaleX_ = 1.0f, scaleY_ = 1.0f;
    float rotation_ = 0.0f;
    bool autoMidHandle_ = false;
    Recording drawn_;
};

}  // namespace platform
