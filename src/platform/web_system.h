// web_system.h -- the machine inside a web page: #console and #answer, a <canvas>, DOM events
#pragma once

#include <cstdint>
#include <vector>

#include "platform/system.h"

namespace platform {

// The page's half lives in web/page.js; every call into it goes through web_system.cpp.
class WebSystem final : public System {
public:
    WebSystem() = default;
    ~WebSystem() override;
    WebSystem(const WebSystem&) = delete;
    WebSystem& operator=(const WebSystem&) = delete;

    void prompt(std::string_view text) override;
    // Waits, yielding to the page, until the player submits #answer; the answer is echoed.
    std::optional<std::string> readLine() override;
    void writeLine(std::string_view text) override;
    void writeError(std::string_view text) override;

    std::uint32_t nowMs() override;
    void sleepMs(std::uint32_t ms) override;

    std::string openDisplay(int width, int height, bool fullScreen) override;
    int displayWidth() const override { return width_; }
    int displayHeight() const override { return height_; }
    // The display's refresh rate may be anything; the game keeps its own schedule.
    bool presentWaitsForRetrace() override { return false; }
    void present(const Canvas& canvas, std::span<const Rect> changed) override;
    // A page cannot move the player's pointer.
    void movePointer(int, int) override {}
    void closeDisplay() override;

    void pumpEvents(Input& input) override;

    // Between runs: says the run ended and waits, yielding, until the player asks for a new one.
    void waitForNewRun();

private:
    void show(const Canvas& canvas, const Rect& rect);

    int width_ = 0;
    int height_ = 0;
    bool open_ = false;
    bool shownOnce_ = false;  // the first present shows the whole frame
    bool yieldedSincePresent_ = false;
    std::vector<std::uint32_t> rgba_;  // the back buffer in the page's byte order, reused
};

}  // namespace platform
