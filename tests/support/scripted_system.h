// scripted_system.h -- a machine for tests: console from a string, a clock that sleeping
// advances, a display that only counts what it is shown, and events fed by the test
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/console.h"
#include "platform/input.h"
#include "platform/system.h"

namespace testing_support {

class ScriptedSystem : public platform::System {
public:
    explicit ScriptedSystem(std::string stdinText = {}) : stdin_(std::move(stdinText)) {
        // The real line reader runs on a memory stream, so the dialogue tests exercise it too.
        in_ = fmemopen(stdin_.data(), stdin_.size(), "r");
    }
    ~ScriptedSystem() override {
        if (in_) std::fclose(in_);
    }
    ScriptedSystem(const ScriptedSystem&) = delete;
    ScriptedSystem& operator=(const ScriptedSystem&) = delete;

    void prompt(std::string_view text) override { out += text; }
    std::optional<std::string> readLine() override {
        if (!in_) return std::nullopt;  // empty input
        return platform::readLine(in_);
    }
    void writeLine(std::string_view text) override {
        out += text;
        out += '\n';
    }
    void writeError(std::string_view text) override { err += text; }

    std::uint32_t nowMs() override { return clock; }
    void sleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        clock += ms;
    }

    std::string openDisplay(int width, int height, bool full) override {
        ++opens;
        if (!openProblem.empty()) return openProblem;
        width_ = width;
        height_ = height;
        fullScreen = full;
        isOpen = true;
        return {};
    }
    int displayWidth() const override { return width_; }
    int displayHeight() const override { return height_; }
    bool presentWaitsForRetrace() override { return retrace; }
    void present(const platform::Canvas& canvas, std::span<const platform::Rect> changed) override {
        presentTimes.push_back(clock);
        lastChanged.assign(changed.begin(), changed.end());
        if (keepScreen) {
            if (screen.width() != canvas.width() || screen.height() != canvas.height())
                screen = platform::Canvas(canvas.width(), canvas.height());
            for (const auto& r : changed) screen.copyRect(canvas, r);
        }
        clock += workMsPerFrame;
        if (afterPresent) afterPresent(int(presentTimes.size()));
    }
    void movePointer(int x, int y) override { pointerMoves.emplace_back(x, y); }
    void closeDisplay() override {
        if (isOpen) ++closes;
        isOpen = false;
    }
    void pumpEvents(platform::Input& input) override {
        if (events) events(input);
    }
    // A run that no script stops (a bug keeps Escape from ending it) stops itself after
    // frameLimit frames as if SIGALRM had come, so its test fails on the status instead of
    // hanging the suite.
    int stopSignal() override { return presentTimes.size() >= frameLimit ? runawaySignal : signal; }

    // What the test sees and steers.
    std::string out;
    std::string err;
    std::uint32_t clock = 1000;
    std::uint32_t workMsPerFrame = 0;  // how long each frame's work "takes"
    std::vector<std::uint32_t> sleeps;
    std::vector<std::uint32_t> presentTimes;
    std::string openProblem;
    bool retrace = false;
    bool fullScreen = false;
    bool isOpen = false;
    int opens = 0;
    int closes = 0;
    int signal = 0;
    static constexpr int runawaySignal = 14;
    std::size_t frameLimit = 2000;
    std::vector<std::pair<int, int>> pointerMoves;
    std::function<void(platform::Input&)> events;
    std::function<void(int framesPresented)> afterPresent;
    std::vector<platform::Rect> lastChanged;  // the rectangles the last present was given
    // When set, `screen` is what a display that copies only the changed rectangles would show.
    bool keepScreen = false;
    platform::Canvas screen;

private:
    std::string stdin_;
    std::FILE* in_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace testing_support
