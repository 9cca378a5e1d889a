#pragma once
// Timings for the benchmark. When VELLORAN_TRACE_TIMING names a file, the game appends one
// line per traced event to it, with times in nanoseconds on the monotonic clock:
//   present <end> <window> <x> <y> <width> <height>   a part of a window reached the screen
//   tick <start> <end> <cpu>                            one run of the game tick's handler,
//                                                       and the CPU time its thread spent
// Unset, every trace point costs the test of one flag.

#include <cstdint>
#include <string_view>

namespace velloran::rt::timing {

bool on();
std::int64_t now();        // monotonic nanoseconds
std::int64_t threadCpu();  // CPU nanoseconds of the calling thread
void notePresent(std::string_view window, int x, int y, int width, int height);
void noteSpan(std::string_view what, std::int64_t start, std::int64_t end, std::int64_t cpu);

// Times the scope it lives in as one span.
class Span {
 public:
  explicit Span(std::string_view what)
      : what_(what), start_(on() ? now() : 0), cpu_(start_ ? threadCpu() : 0) {}
  ~Span() {
    if (start_) noteSpan(what_, start_, now(), threadCpu() - cpu_);
  }
  Span(const Span&) = delete;
  Span& operator=(const Span&) = delete;

 private:
  std::string_view what_;
  std::int64_t start_;
  std::int64_t cpu_;
};

}  // namespace velloran::rt::timing
