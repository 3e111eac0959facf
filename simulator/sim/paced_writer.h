#pragma once
// Sends a transmission's bytes when they are due: pauses of a slow reply and the wire time of
// the line are kept in real time, measured from when the reply was handed over, so a stream of
// replies keeps its average pace even though the timer only fires once a millisecond.

#include "simulator/faults.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>

namespace simulator {

class PacedWriter : public QObject {
    Q_OBJECT
public:
    explicit PacedWriter(std::function<void(const std::string&)> sink, QObject* parent = nullptr);

    void send(const Transmission& transmission);
    void clear();

private:
    void flushDue();
    int64_t nowUs() const { return clock_.nsecsElapsed() / 1000; }

    std::function<void(const std::string&)> sink_;
    std::deque<std::pair<int64_t, char>> queue_;
    int64_t lastDueUs_ = 0;
    QElapsedTimer clock_;
    QTimer timer_;
};

} // namespace simulator
