// clock.cpp -- steady clock in wrapping milliseconds
#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

std::uint32_t steadyNowMs() {
    using namespace std::chrono;
    return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void sleepForMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
