#pragma once
// Whole-number arithmetic at the widths the game keeps (16-bit integers, 32-bit longs):
// a result that does not fit is the run-time error "Overflow" and changes nothing.

#include <cstdint>
#include <limits>

#include "base/run_time_error.h"

namespace velloran {

template <class Narrow, class Wide>
Narrow narrowChecked(Wide value) {
  if (value < static_cast<Wide>(std::numeric_limits<Narrow>::min()) ||
      value > static_cast<Wide>(std::numeric_limits<Narrow>::max())) {
    raiseError(kOverflow);
  }
  return static_cast<Narrow>(value);
}

inline std::int32_t addLong(std::int32_t a, std::int64_t b) {
  return narrowChecked<std::int32_t>(static_cast<std::int64_t>(a) + b);
}

inline std::int16_t addInteger(std::int16_t a, std::int32_t b) {
  return narrowChecked<std::int16_t>(static_cast<std::int32_t>(a) + b);
}

// A floating value rounded to a 32-bit whole number (half to even), as a conversion to Long does.
std::int32_t toLong(double value);
// The same, to a 16-bit whole number.
std::int16_t toInteger(double value);

}  // namespace velloran
