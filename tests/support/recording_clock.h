#pragma once
// A clock for tests: waits return at once and are recorded.

#include "link/clock.h"

#include <vector>

namespace testing_support {

class RecordingClock final : public transport::Clock {
public:
    void sleepMs(int milliseconds) override { sleeps.push_back(milliseconds); }
    std::vector<int> sleeps;
};

} // namespace testing_support
