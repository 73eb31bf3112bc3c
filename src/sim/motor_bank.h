#pragma once

// The six actuators. Each is a stepper motor that moves at a constant speed
// (acceleration is not modelled) between soft limits; positions are in
// microsteps, 0 being the home position. Moves run in real time: a position
// is computed from the time the move started, so nothing has to tick.

#include <array>
#include <chrono>
#include <cstdint>

namespace kyrvana::sim {

class MotorBank {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kWells = 6;

    MotorBank(double speed, std::int64_t softLimit);

    // Absolute move; the target is clipped to the soft limits.
    void moveTo(int well, std::int64_t target, Clock::time_point now);
    // Continuous move in `direction` (1 up, 0 down) at `speed` microsteps per
    // second until stop() or a soft limit.
    void jog(int well, int direction, double speed, Clock::time_point now);
    void stop(int well, Clock::time_point now);
    void homeAll(Clock::time_point now);

    std::int64_t position(int well, Clock::time_point now) const;
    bool moving(int well, Clock::time_point now) const;
    // Bit n set while motor n moves.
    int movingMask(Clock::time_point now) const;

    std::int64_t softLimit() const { return softLimit_; }

  private:
    struct Motor {
        double from = 0.0;
        double to = 0.0;  // the end of the move (the soft limit for a jog)
        double speed = 0.0;
        Clock::time_point started{};
    };
    double exactPosition(const Motor& motor, Clock::time_point now) const;
    void startMove(int well, double to, double speed, Clock::time_point now);

    double speed_;
    std::int64_t softLimit_;
    std::array<Motor, kWells> motors_{};
};

}  // namespace kyrvana::sim
