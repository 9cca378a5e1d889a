#pragma once
// The two clocks of the game: the time of day (seconds since midnight, with
// fractions) that the wall's seed and the lightning read, and a monotonic clock for
// waits and timers. The real window backend uses the system's; the headless backend
// and tests install a ManualClock that moves only when told to.

namespace velloran {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual double timeOfDay() = 0;  // seconds since local midnight, 0 <= t < 86400
  virtual double monotonic() = 0;  // seconds from an arbitrary start, never decreasing
};

class SystemClock final : public Clock {
 public:
  double timeOfDay() override;
  double monotonic() override;
};

class ManualClock final : public Clock {
 public:
  explicit ManualClock(double timeOfDayAtStart = 12 * 3600.0) : startOfDay_(timeOfDayAtStart) {}
  double timeOfDay() override;
  double monotonic() override { return elapsed_; }
  void advance(double seconds) {
    if (seconds > 0) elapsed_ += seconds;
  }

 private:
  double startOfDay_;
  double elapsed_ = 0;
};

// The clock in force; nullptr puts the system clock back.
Clock& gameClock();
void setGameClock(Clock* clock);

}  // namespace velloran
