#include "base/checked_math.h"

#include <cmath>

namespace velloran {

std::int32_t toLong(double value) {
  if (!std::isfinite(value)) raiseError(kOverflow);
  return narrowChecked<std::int32_t>(std::nearbyint(value));
}

std::int16_t toInteger(double value) {
  if (!std::isfinite(value)) raiseError(kOverflow);
  return narrowChecked<std::int16_t>(std::nearbyint(value));
}

}  // namespace velloran
