#pragma once
// A window timer: while enabled it raises its event once per interval. Timers fire in
// every event loop, nested modal loops included, and may fire again while their own
// handler is still running (a handler that yields or opens a dialog must guard itself).

#include <functional>

namespace velloran::rt {

class Timer {
 public:
  explicit Timer(std::function<void()> onTimer, int interval = 0);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);  // switching on starts a fresh interval
  int interval() const { return interval_; }
  void setInterval(int milliseconds);  // restarts the interval; 0 never fires

 private:
  friend class App;
  void restart();
  bool ready() const { return enabled_ && interval_ > 0; }

  std::function<void()> onTimer_;
  bool enabled_ = false;
  int interval_ = 0;
  double due_ = 0;  // monotonic seconds
};

}  // namespace velloran::rt
