#include "runtime/timing_trace.h"

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

namespace velloran::rt::timing {
namespace {

FILE* traceFile() {
  static FILE* const file = [] {
    const char* path = getenv("VELLORAN_TRACE_TIMING");
    FILE* opened = path && *path ? fopen(path, "a") : nullptr;
    // Whole lines at once, so that a reader sees each as soon as it is written.
    if (opened) setvbuf(opened, nullptr, _IOLBF, 256);
    return opened;
  }();
  return file;
}

}  // namespace

bool on() {
  return traceFile() != nullptr;
}

namespace {
std::int64_t read(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}
}  // namespace

std::int64_t now() {
  return read(CLOCK_MONOTONIC);
}

std::int64_t threadCpu() {
  return read(CLOCK_THREAD_CPUTIME_ID);
}

void notePresent(std::string_view window, int x, int y, int width, int height) {
  if (FILE* file = traceFile()) {
    fprintf(file, "present %lld %.*s %d %d %d %d\n", static_cast<long long>(now()),
            static_cast<int>(window.size()), window.data(), x, y, width, height);
  }
}

void noteSpan(std::string_view what, std::int64_t start, std::int64_t end, std::int64_t cpu) {
  if (FILE* file = traceFile()) {
    fprintf(file, "%.*s %lld %lld %lld\n", static_cast<int>(what.size()), what.data(),
            static_cast<long long>(start), static_cast<long long>(end),
            static_cast<long long>(cpu));
  }
}

}  // namespace velloran::rt::timing
