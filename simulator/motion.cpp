#include "simulator/motion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace simulator {
namespace {

constexpr double kInfinite = std::numeric_limits<double>::infinity();

double rate(double low, double high, int64_t milliseconds) {
    if (milliseconds <= 0 || high <= low) return kInfinite;
    return (high - low) / (double(milliseconds) / 1000.0);
}

int32_t clamp32(double value) {
    const double r = std::round(value);
    return static_cast<int32_t>(std::clamp(r, double(INT32_MIN), double(INT32_MAX)));
}

} // namespace

void Axis::start(MoveKind kind, int direction) {
    if (kind_ == MoveKind::None) speed_ = 0;
    kind_ = kind;
    direction_ = direction >= 0 ? 1 : -1;
    stopping_ = false;
    hasTarget_ = false;
    phase_ = Phase::Accel;
}

void Axis::moveTo(int64_t target) {
    if (double(target) == position_ && kind_ == MoveKind::None) return;
    start(MoveKind::Position, double(target) >= position_ ? 1 : -1);
    hasTarget_ = true;
    target_ = double(target);
}

void Axis::changeTarget(int64_t target) {
    if (kind_ != MoveKind::Position || (double(target) - position_) * direction_ < 0) {
        moveTo(target);
        return;
    }
    target_ = double(target);
}

void Axis::jog(int direction) {
    start(MoveKind::Jog, direction);
}

void Axis::home(int direction, MoveKind kind) {
    start(kind, direction);
    if ((homeAt_ - position_) * direction_ >= 0) {
        hasTarget_ = true;
        target_ = homeAt_;
    }
}

void Axis::stop() {
    if (kind_ != MoveKind::None) stopping_ = true;
}

void Axis::abort() {
    finish(false);
}

void Axis::clearErrors() {
    plusLimitError_ = minusLimitError_ = false;
}

void Axis::finish(bool reachedTarget) {
    const bool homing =
        kind_ == MoveKind::Home || kind_ == MoveKind::ZHome || kind_ == MoveKind::LimitHome;
    if (reachedTarget) position_ = target_;
    if (reachedTarget && homing) {
        position_ = 0;
        homeAt_ = 0;
        encoderOffset_ = 0;
    }
    kind_ = MoveKind::None;
    phase_ = Phase::Idle;
    speed_ = 0;
    stopping_ = false;
    hasTarget_ = false;
}

bool Axis::hitLimit() {
    if (direction_ > 0 && plusLimitInput)
        plusLimitError_ = true;
    else if (direction_ < 0 && minusLimitInput)
        minusLimitError_ = true;
    else
        return false;
    finish(false);
    return true;
}

double Axis::stepSeconds(double remaining, double low, double high, double accel, double decel) {
    const double stopDistance = std::isinf(decel) ? 0 : (speed_ * speed_ - low * low) / (2 * decel);
    const double distance = hasTarget_ ? (target_ - position_) * direction_ : kInfinite;
    if (stopping_ || distance <= stopDistance) {
        phase_ = speed_ > low ? Phase::Decel : Phase::Const;
    } else if (speed_ < high) {
        phase_ = Phase::Accel;
    } else {
        phase_ = Phase::Const;
    }
    if (phase_ == Phase::Accel || phase_ == Phase::Decel) return std::min(remaining, 0.001);
    if (stopping_) return 0; // already down at low speed: stop here
    // Constant speed: jump straight to where deceleration has to begin.
    const double untilDecel = (distance - stopDistance) / std::max(speed_, 1.0);
    (void)accel;
    return std::min(remaining, std::max(untilDecel, 0.001));
}

void Axis::advance(int64_t elapsedUs, const SpeedSettings& speeds) {
    double remaining = double(elapsedUs) / 1e6;
    while (remaining > 0 && kind_ != MoveKind::None) {
        if (hitLimit()) return;
        const double high = double(std::max<int64_t>(speeds.high, 1));
        const double low = std::clamp(double(speeds.low), 1.0, high);
        const double accel = rate(low, high, speeds.accelMs);
        const double decel = rate(low, high, speeds.decelMs);
        if (speed_ < low) speed_ = low;
        const double h = stepSeconds(remaining, low, high, accel, decel);
        if (h <= 0) {
            finish(false);
            return;
        }
        if (phase_ == Phase::Accel) speed_ = std::min(high, speed_ + accel * h);
        if (phase_ == Phase::Decel) speed_ = std::max(low, speed_ - decel * h);
        if (speed_ > high && phase_ == Phase::Const) speed_ = high;
        const double move = speed_ * h;
        if (hasTarget_ && move >= (target_ - position_) * direction_) {
            finish(true);
            return;
        }
        position_ += move * direction_;
        remaining -= h;
    }
}

int32_t Axis::position() const {
    return clamp32(position_);
}
int32_t Axis::encoder() const {
    return clamp32(position_ + double(encoderOffset_));
}
int32_t Axis::speed() const {
    return kind_ == MoveKind::None ? 0 : clamp32(speed_ * direction_);
}

void Axis::setPosition(int64_t value) {
    homeAt_ += double(value) - position_;
    if (hasTarget_) target_ += double(value) - position_;
    const int32_t encoderBefore = encoder();
    position_ = double(value);
    encoderOffset_ = int64_t(encoderBefore) - int64_t(std::llround(position_));
}

void Axis::setEncoder(int64_t value) {
    encoderOffset_ = value - int64_t(std::llround(position_));
}

int32_t Axis::statusBits() const {
    int32_t bits = 0;
    if (phase_ == Phase::Const) bits |= 1;
    if (phase_ == Phase::Accel) bits |= 2;
    if (phase_ == Phase::Decel) bits |= 4;
    if (homeInputForced || std::fabs(position_ - homeAt_) < 0.5) bits |= 8;
    if (minusLimitInput) bits |= 16;
    if (plusLimitInput) bits |= 32;
    if (minusLimitError_) bits |= 64;
    if (plusLimitError_) bits |= 128;
    if (latchInput) bits |= 256;
    if (zIndexInput) bits |= 512;
    return bits;
}

} // namespace simulator
