#pragma once
// Waits that the protocol demands (200 ms, 1000 ms, 2000 ms) go through this clock, so tests can
// run them instantly and still see that they were asked for. The serial reply time-out is real
// time and does not go through here.

namespace transport {

class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(int milliseconds) = 0;
};

// Blocks the calling thread.
class RealClock final : public Clock {
public:
    void sleepMs(int milliseconds) override;
};

} // namespace transport
