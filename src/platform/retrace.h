// retrace.h -- whether presents that claim to wait for the retrace really come 60 to a second
#pragma once

#include <span>

namespace platform {

// The first intervals after a mode switch are dropped (the first flips may wait for the screen
// to settle); this many must remain for a verdict.
constexpr int retraceSettleIntervals = 4;
constexpr int retraceMeasuredIntervals = 12;

// `presentMs` are the times, in milliseconds, at which back-to-back presents returned with no
// software pacing between them. True only when, past the settling ones, they came one 60 Hz
// retrace apart on average (within 0.5%): a driver that sleeps instead, or does not wait at
// all, is paced in software like a window.
bool presentsFollowRetrace(std::span<const double> presentMs);

}  // namespace platform
