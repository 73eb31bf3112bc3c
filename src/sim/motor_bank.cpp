#include "sim/motor_bank.h"

#include <algorithm>
#include <cmath>

namespace kyrvana::sim {

MotorBank::MotorBank(double speed, std::int64_t softLimit)
    : speed_(speed > 0.0 ? speed : 1.0), softLimit_(softLimit) {}

double MotorBank::exactPosition(const Motor& motor, Clock::time_point now) const {
    if (motor.from == motor.to || motor.speed <= 0.0) {
        return motor.to;
    }
    const double elapsed = std::chrono::duration<double>(now - motor.started).count();
    const double travelled = std::max(0.0, elapsed) * motor.speed;
    const double distance = std::fabs(motor.to - motor.from);
    if (travelled >= distance) {
        return motor.to;
    }
    return motor.from + (motor.to > motor.from ? travelled : -travelled);
}

void MotorBank::startMove(int well, double to, double speed, Clock::time_point now) {
    Motor& motor = motors_[static_cast<std::size_t>(well)];
    motor.from = exactPosition(motor, now);
    motor.to = std::clamp(to, static_cast<double>(-softLimit_), static_cast<double>(softLimit_));
    motor.speed = speed;
    motor.started = now;
}

void MotorBank::moveTo(int well, std::int64_t target, Clock::time_point now) {
    startMove(well, static_cast<double>(target), speed_, now);
}

void MotorBank::jog(int well, int direction, double speed, Clock::time_point now) {
    const double limit = static_cast<double>(direction != 0 ? softLimit_ : -softLimit_);
    startMove(well, limit, speed, now);
}

void MotorBank::stop(int well, Clock::time_point now) {
    Motor& motor = motors_[static_cast<std::size_t>(well)];
    // A stepper stops on a whole microstep.
    const double here = std::trunc(exactPosition(motor, now));
    motor.from = here;
    motor.to = here;
    motor.started = now;
}

void MotorBank::homeAll(Clock::time_point now) {
    for (int well = 0; well < kWells; ++well) {
        startMove(well, 0.0, speed_, now);
    }
}

std::int64_t MotorBank::position(int well, Clock::time_point now) const {
    return static_cast<std::int64_t>(
        std::trunc(exactPosition(motors_[static_cast<std::size_t>(well)], now)));
}

bool MotorBank::moving(int well, Clock::time_point now) const {
    const Motor& motor = motors_[static_cast<std::size_t>(well)];
    return exactPosition(motor, now) != motor.to;
}

int MotorBank::movingMask(Clock::time_point now) const {
    int mask = 0;
    for (int well = 0; well < kWells; ++well) {
        if (moving(well, now)) {
            mask |= 1 << well;
        }
    }
    return mask;
}

}  // namespace kyrvana::sim
