#include "simulator/sim/paced_writer.h"

#include <algorithm>

namespace simulator {

PacedWriter::PacedWriter(std::function<void(const std::string&)> sink, QObject* parent)
    : QObject(parent), sink_(std::move(sink)) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PacedWriter::flushDue);
}

void PacedWriter::send(const Transmission& transmission) {
    if (transmission.bytes.empty()) return;
    int64_t due = std::max(nowUs(), lastDueUs_);
    for (const auto& b : transmission.bytes) {
        due += b.delayUs;
        queue_.emplace_back(due, b.byte);
    }
    lastDueUs_ = due;
    flushDue();
}

void PacedWriter::clear() {
    queue_.clear();
    timer_.stop();
}

void PacedWriter::flushDue() {
    const int64_t now = nowUs();
    std::string ready;
    while (!queue_.empty() && queue_.front().first <= now) {
        ready.push_back(queue_.front().second);
        queue_.pop_front();
    }
    if (!ready.empty()) sink_(ready);
    if (queue_.empty()) return;
    const int64_t waitUs = queue_.front().first - now;
    timer_.start(int(std::max<int64_t>(1, (waitUs + 999) / 1000)));
}

} // namespace simulator
