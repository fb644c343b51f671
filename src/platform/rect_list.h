// rect_list.h -- rectangles of the back buffer that a frame touched, neighbours merged as they come
#pragma once

#include <span>
#include <vector>

#include "platform/rect.h"

namespace platform {

// Covers at least every pixel of every rectangle added, in few rectangles: one added next to or
// over another is merged with it when their bounding box wastes little, so the many shapes of one
// fighter, or a shot and where it was a frame ago, become one rectangle.
class RectList {
public:
    void add(Rect r);
    void add(std::span<const Rect> rects) {
        for (const Rect& r : rects) add(r);
    }
    // Keeps the room already taken, so a steady frame allocates nothing.
    void clear() { rects_.clear(); }
    void reserve(std::size_t n) { rects_.reserve(n); }
    std::span<const Rect> rects() const { return rects_; }

private:
    std::vector<Rect> rects_;
};

}  // namespace platform
