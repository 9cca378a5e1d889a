#include "base/clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace velloran {

double SystemClock::timeOfDay() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const double fraction =
      std::chrono::duration<double>(now.time_since_epoch()).count() - static_cast<double>(seconds);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + std::fmax(0.0, fraction);
}

double SystemClock::monotonic() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ManualClock::timeOfDay() {
  return std::fmod(startOfDay_ + elapsed_, 86400.0);
}

namespace {
SystemClock systemClock;
Clock* current = &systemClock;
}  // namespace

Clock& gameClock() {
  return *current;
}
void setGameClock(Clock* clock) {
  current = clock ? clock : &systemClock;
}

}  // namespace velloran
