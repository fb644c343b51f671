// retrace.cpp -- the verdict on measured present times
#include "platform/retrace.h"

#include <cmath>

namespace platform {

bool presentsFollowRetrace(std::span<const double> presentMs) {
    const int intervals = int(presentMs.size()) - 1 - retraceSettleIntervals;
    if (intervals < retraceMeasuredIntervals) return false;
    const double first = presentMs[std::size_t(retraceSettleIntervals)];
    const double mean = (presentMs.back() - first) / intervals;
    const double retrace = 1000.0 / 60.0;
    return std::abs(mean - retrace) <= retrace * 0.005;
}

}  // namespace platform
