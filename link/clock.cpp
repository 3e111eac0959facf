#include "link/clock.h"

#include <chrono>
#include <thread>

namespace transport {

void RealClock::sleepMs(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace transport
