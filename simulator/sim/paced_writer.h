#pragma once
// Sends a transmission's bytes when they are due: pauses of a slow reply and the wire time of
// the line are kept in real time, measured from when the reply was handed over. The wake-ups
// come from a timerfd armed at the absolute due time, which keeps microseconds where a
// millisecond timer would stretch every character of a fast line.

#include "simulator/faults.h"

#include <QObject>
#include <QSocketNotifier>

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace simulator {

class PacedWriter : public QObject {
    Q_OBJECT
public:
    explicit PacedWriter(std::function<void(const std::string&)> sink, QObject* parent = nullptr);
    ~PacedWriter() override;

    // The wire time counts from now, or from startedUsAgo before now: when the transmission
    // really began (the command that it answers came in that much earlier than it was read).
    void send(const Transmission& transmission, int64_t startedUsAgo = 0);
    void clear();

private:
    void flushDue();
    void wakeAt(int64_t dueUs);

    // Characters closer together than this are handed over in one burst (see send()).
    static constexpr int64_t kBurstGapUs = 2000;
    // How long before a character is due the timer wakes the writer, which then waits out the
    // rest: a wake-up through the event loop takes tens of microseconds, a character at
    // 115200 baud lasts 87.
    static constexpr int64_t kWakeEarlyUs = 150;

    std::function<void(const std::string&)> sink_;
    std::deque<std::pair<int64_t, char>> queue_;
    int64_t lastDueUs_ = 0;
    int timer_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace simulator
