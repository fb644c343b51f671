// rect.h -- a rectangle of back-buffer pixels
#pragma once

namespace platform {

// Pixels x .. x + width - 1 across and y .. y + height - 1 down.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Rect&) const = default;
};

}  // namespace platform
