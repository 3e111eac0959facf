#include "simulator/sim/paced_writer.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace simulator {
namespace {

int64_t monotonicUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

} // namespace

PacedWriter::PacedWriter(std::function<void(const std::string&)> sink, QObject* parent)
    : QObject(parent), sink_(std::move(sink)),
      timer_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
    if (timer_ < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(timer_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        uint64_t expirations = 0;
        [[maybe_unused]] ssize_t n = ::read(timer_, &expirations, sizeof expirations);
        flushDue();
    });
}

PacedWriter::~PacedWriter() {
    notifier_.reset();
    if (timer_ >= 0) ::close(timer_);
}

void PacedWriter::send(const Transmission& transmission, int64_t startedUsAgo) {
    if (transmission.bytes.empty()) return;
    int64_t due = std::max(monotonicUs() - startedUsAgo, lastDueUs_);
    const size_t first = queue_.size();
    for (const auto& b : transmission.bytes) {
        due += b.delayUs;
        queue_.emplace_back(due, b.byte);
    }
    lastDueUs_ = due;
    // A character that follows its predecessor closely travels with the next one, as a UART's
    // receive buffer hands them over: the last character still arrives exactly on time, but the
    // host is woken once per burst instead of once per character. Pauses a reader can measure
    // (a slow controller) are kept character by character.
    for (size_t i = queue_.size() - 1; i > first; --i) {
        if (queue_[i].first - queue_[i - 1].first < kBurstGapUs)
            queue_[i - 1].first = queue_[i].first;
    }
    flushDue();
}

void PacedWriter::clear() {
    queue_.clear();
    wakeAt(0);
}

void PacedWriter::flushDue() {
    int64_t now = monotonicUs();
    // The timer fires a little early (see wakeAt); what is due within that margin is waited for
    // here, so it leaves on time instead of one event-loop wake-up late.
    if (!queue_.empty() && timer_ >= 0 && queue_.front().first > now &&
        queue_.front().first - now <= kWakeEarlyUs) {
        while ((now = monotonicUs()) < queue_.front().first) {
        }
    }
    std::string ready;
    // Without a timer (the system refused one) pauses are skipped rather than lost bytes.
    while (!queue_.empty() && (queue_.front().first <= now || timer_ < 0)) {
        ready.push_back(queue_.front().second);
        queue_.pop_front();
    }
    if (!ready.empty()) sink_(ready);
    if (!queue_.empty()) wakeAt(queue_.front().first);
}

// Arms the timer for an absolute time on the monotonic clock, kWakeEarlyUs before it, since
// waking from the event loop takes that long; 0 disarms it.
void PacedWriter::wakeAt(int64_t dueUs) {
    if (timer_ < 0) return;
    if (dueUs > 0) dueUs = std::max<int64_t>(1, dueUs - kWakeEarlyUs);
    itimerspec when{};
    when.it_value.tv_sec = time_t(dueUs / 1'000'000);
    when.it_value.tv_nsec = long(dueUs % 1'000'000) * 1000;
    timerfd_settime(timer_, TFD_TIMER_ABSTIME, &when, nullptr);
}

} // namespace simulator
