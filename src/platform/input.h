// input.h -- keyboard and mouse state keyed by virtual-key numbers, fed by the backend's events
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace platform {

// Virtual-key numbers the game uses; letters are their upper-case character codes.
namespace vk {
constexpr int escape = 27;
constexpr int left = 37;
constexpr int up = 38;
constexpr int right = 39;
constexpr int down = 40;
}  // namespace vk

constexpr int mouseLeft = 1;
constexpr int mouseRight = 2;
constexpr int mouseMiddle = 3;

// Every query first asks the backend to hand over its pending window events (the pump), so
// the game sees input as fresh as the moment it asks, and at least once per frame.
class Input {
public:
    static constexpr int keyCount = 256;
    static constexpr int buttonCount = 8;

    void setPump(std::function<void()> pump) { pump_ = std::move(pump); }

    // Queries.
    bool keyDown(int key);
    int keyHits(int key);  // presses since the last call for this key; clears the count
    bool mouseDown(int button);
    int mouseHits(int button);
    int mouseX();
    int mouseY();

    // Events from the backend.
    void keyEvent(int key, bool down, bool repeat);
    void buttonEvent(int button, bool down);
    void pointerMoved(int x, int y);
    // Focus moved to another program's window or back: everything held or uncounted is
    // forgotten, and the keys still physically down stay ignored until they are let go.
    void focusChanged(std::span<const int> keysStillDown);
    // Keys ignored since a focus change, until the backend sees them physically let go (the
    // release itself may never come as an event).
    bool hasStaleKeys() const;
    void keepStale(std::span<const int> keysStillDown);
    void reset();

private:
    void pump() {
        if (pump_) pump_();
    }
    static bool validKey(int key) { return key >= 0 && key < keyCount; }
    static bool validButton(int b) { return b >= 0 && b < buttonCount; }

    std::function<void()> pump_;
    std::array<bool, keyCount> held_{};
    std::array<bool, keyCount> stale_{};
    std::array<int, keyCount> hits_{};
    std::array<bool, buttonCount> buttonHeld_{};
    std::array<int, buttonCount> buttonHits_{};
    int x_ = 0;
    int y_ = 0;
};

}  // namespace platform
