#include "runtime/timer.h"

#include "runtime/app.h"

namespace velloran::rt {

Timer::Timer(std::function<void()> onTimer, int interval)
    : onTimer_(std::move(onTimer)), interval_(interval) {
  App::instance().addTimer(*this);
}

Timer::~Timer() {
  App::instance().removeTimer(*this);
}

void Timer::restart() {
  due_ = App::instance().clock().monotonic() + interval_ / 1000.0;
}

void Timer::setEnabled(bool enabled) {
  if (enabled && !enabled_) {
    enabled_ = true;
    restart();
  }
  enabled_ = enabled;
}

void Timer::setInterval(int milliseconds) {
  interval_ = milliseconds < 0 ? 0 : milliseconds;
  if (enabled_) restart();
}

}  // namespace velloran::rt
