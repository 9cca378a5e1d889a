#pragma once
// The failure convention: a procedure with a trap runs its body through trap(); a
// run-time error inside is reported under the procedure's bare name and the
// procedure leaves at once. A function returns what its result held at that moment,
// so callers write:   bool result = false; trap("name", [&] { ...; result = ...; }); return result;

#include <cstdint>
#include <functional>
#include <new>
#include <string>

#include "base/run_time_error.h"

namespace velloran {

using ErrorReporter = std::function<void(std::int32_t number, const std::string& description,
                                         const std::string& procedure)>;

// The table window installs gsReportError here; until then errors go to stderr.
void setErrorReporter(ErrorReporter reporter);
void reportError(std::int32_t number, const std::string& description, const std::string& procedure);

template <class Body>
void trap(const char* procedure, Body&& body) {
  try {
    body();
  } catch (const RunTimeError& error) {
    reportError(error.number(), error.description(), procedure);
  } catch (const std::bad_alloc&) {
    reportError(kOutOfMemory, describeError(kOutOfMemory), procedure);
  }
}

// For the few places (release of objects, shutdown) that skip a failing statement and go on.
template <class Statement>
void ignoreErrors(Statement&& statement) noexcept {
  try {
    statement();
  } catch (...) {
  }
}

}  // namespace velloran
