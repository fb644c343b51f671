// pacer.h -- the software frame schedule: 16, 17, 17 ms ..., late frames forgiven
#pragma once

#include <cstdint>

namespace platform {

class Pacer {
public:
    void start(std::uint32_t nowMs) {
        scheduled_ = nowMs;
        accumulator_ = 0;
    }

    // Told every frame whether the display's retrace paces it. When that changes either way
    // the schedule restarts at nowMs: after a long stretch paced by the retrace the old schedule
    // is far behind, or, once the clock has wrapped past half its range, seemingly far ahead.
    void followRetrace(bool retrace, std::uint32_t nowMs) {
        if (retrace != retrace_) start(nowMs);
        retrace_ = retrace;
    }

    // Advances the schedule by one frame and says how long to sleep from nowMs to reach it.
    // A frame that is already late moves the schedule to now instead: lost time is forgiven,
    // never caught up with a burst of short frames.
    std::uint32_t nextFrame(std::uint32_t nowMs) {
        scheduled_ += 16;
        accumulator_ += 40;  // 1000 ms = 60 * 16 + 40
        if (accumulator_ >= 60) {
            accumulator_ -= 60;
            ++scheduled_;
        }
        auto ahead = std::int32_t(scheduled_ - nowMs);  // signed: the clock may wrap
        if (ahead > 0) return std::uint32_t(ahead);
        scheduled_ = nowMs;
        return 0;
    }

    std::uint32_t scheduled() const { return scheduled_; }

private:
    std::uint32_t scheduled_ = 0;
    int accumulator_ = 0;
    bool retrace_ = false;
};

}  // namespace platform
