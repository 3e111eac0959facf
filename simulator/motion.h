#pragma once
// One simulated axis: position and encoder counters, a trapezoidal speed profile that advances
// with time, jogs, homing searches, stop and abort, limit and home inputs.
//
// Speeds are steps per second. Acceleration and deceleration are the milliseconds the axis takes
// to go from the low speed to the high speed. The home switch sits where the position counter
// read 0 when the controller started; a homing search in its direction stops there and zeroes
// both counters, a search away from it runs until it is stopped or meets a limit.

#include <cstdint>

namespace simulator {

struct SpeedSettings {
    int64_t high = 1000;
    int64_t low = 300;
    int64_t accelMs = 300;
    int64_t decelMs = 300;
};

enum class MoveKind { None, Position, Jog, Home, ZHome, LimitHome };

class Axis {
public:
    void advance(int64_t elapsedUs, const SpeedSettings& speeds);

    void moveTo(int64_t target);
    void changeTarget(int64_t target); // on the fly; starts a move when idle
    void jog(int direction);
    void home(int direction, MoveKind kind);
    void stop();  // decelerate to a stop
    void abort(); // stop at once
    void clearErrors();

    bool busy() const { return kind_ != MoveKind::None; }
    MoveKind kind() const { return kind_; }
    bool stopping() const { return stopping_; }
    int direction() const { return direction_; }

    int32_t position() const;
    int32_t encoder() const;
    int32_t speed() const; // signed: negative while moving in the minus direction
    void setPosition(int64_t value);
    void setEncoder(int64_t value);

    // Bits 0..9 of the motion status word: constant speed, accelerating, decelerating, home,
    // minus limit, plus limit, minus limit error, plus limit error, latch input, Z index.
    int32_t statusBits() const;

    bool plusLimitInput = false;
    bool minusLimitInput = false;
    bool homeInputForced = false;
    bool latchInput = false;
    bool zIndexInput = false;

private:
    enum class Phase { Idle, Accel, Const, Decel };

    void start(MoveKind kind, int direction);
    void finish(bool reachedTarget);
    bool hitLimit();
    double stepSeconds(double remaining, double low, double high, double accel, double decel);

    MoveKind kind_ = MoveKind::None;
    Phase phase_ = Phase::Idle;
    int direction_ = 1;
    bool hasTarget_ = false;
    bool stopping_ = false;
    double target_ = 0;
    double position_ = 0;
    double speed_ = 0;
    int64_t encoderOffset_ = 0;
    double homeAt_ = 0; // position counter value where the home switch sits
    bool plusLimitError_ = false;
    bool minusLimitError_ = false;
};

} // namespace simulator
