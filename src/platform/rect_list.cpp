// rect_list.cpp -- rectangles of the back buffer that a frame touched, neighbours merged as they come
#include "platform/rect_list.h"

#include <algorithm>
#include <cstdint>

namespace platform {
namespace {

std::int64_t area(const Rect& r) { return std::int64_t(r.width) * r.height; }

Rect boundingBox(const Rect& a, const Rect& b) {
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width),
              bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

}  // namespace

void RectList::add(Rect r) {
    if (r.width <= 0 || r.height <= 0) return;
    // Merging can bring the box near a rectangle it was not near before, so look again until
    // nothing more merges. Lists hold tens of rectangles, so the quadratic walk is cheap.
    for (std::size_t k = 0; k < rects_.size();) {
        const Rect box = boundingBox(rects_[k], r);
        if (box == rects_[k]) return;  // already covered: the common case once the whole buffer is in
        // Twice the two areas: a fighter's bars, disc and health text merge into one box, while
        // two shots far apart stay two rectangles.
        if (area(box) > 2 * (area(rects_[k]) + area(r))) {
            ++k;
            continue;
        }
        r = box;
        rects_[k] = rects_.back();
        rects_.pop_back();
        k = 0;
    }
    rects_.push_back(r);
}

}  // namespace platform
