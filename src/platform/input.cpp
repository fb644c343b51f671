// input.cpp -- press counting and focus handling for keys and mouse buttons
#include "platform/input.h"

namespace platform {

bool Input::keyDown(int key) {
    pump();
    return validKey(key) && held_[key];
}

int Input::keyHits(int key) {
    pump();
    if (!validKey(key)) return 0;
    int n = hits_[key];
    hits_[key] = 0;
    return n;
}

bool Input::mouseDown(int button) {
    pump();
    return validButton(button) && buttonHeld_[button];
}

int Input::mouseHits(int button) {
    pump();
    if (!validButton(button)) return 0;
    int n = buttonHits_[button];
    buttonHits_[button] = 0;
    return n;
}

int Input::mouseX() {
    pump();
    return x_;
}

int Input::mouseY() {
    pump();
    return y_;
}

void Input::keyEvent(int key, bool down, bool repeat) {
    if (!validKey(key)) return;
    if (!down) {
        held_[key] = false;
        stale_[key] = false;
        return;
    }
    // A key that was down across a focus change stays dead until it is let go.
    if (stale_[key] || repeat || held_[key]) return;
    held_[key] = true;
    ++hits_[key];
}

void Input::buttonEvent(int button, bool down) {
    if (!validButton(button)) return;
    if (down && !buttonHeld_[button]) ++buttonHits_[button];
    buttonHeld_[button] = down;
}

void Input::pointerMoved(int x, int y) {
    x_ = x;
    y_ = y;
}

void Input::focusChanged(std::span<const int> keysStillDown) {
    held_.fill(false);
    hits_.fill(0);
    buttonHeld_.fill(false);
    buttonHits_.fill(0);
    stale_.fill(false);
    for (int key : keysStillDown)
        if (validKey(key)) stale_[key] = true;
}

bool Input::hasStaleKeys() const {
    for (bool stale : stale_)
        if (stale) return true;
    return false;
}

void Input::keepStale(std::span<const int> keysStillDown) {
    std::array<bool, keyCount> down{};
    for (int key : keysStillDown)
        if (validKey(key)) down[key] = true;
    for (int key = 0; key < keyCount; ++key) stale_[key] = stale_[key] && down[key];
}

void Input::reset() {
    held_.fill(false);
    stale_.fill(false);
    hits_.fill(0);
    buttonHeld_.fill(false);
    buttonHits_.fill(0);
    x_ = 0;
    y_ = 0;
}

}  // namespace platform
