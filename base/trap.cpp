#include "base/trap.h"

#include <cstdio>

namespace velloran {
namespace {
ErrorReporter& installedReporter() {
  static ErrorReporter reporter;
  return reporter;
}
}  // namespace

void setErrorReporter(ErrorReporter reporter) {
  installedReporter() = std::move(reporter);
}

void reportError(std::int32_t number, const std::string& description,
                 const std::string& procedure) {
  if (auto& reporter = installedReporter()) {
    reporter(number, description, procedure);
    return;
  }
  std::fprintf(stderr, "Error In %s: Error %d - %s\n", procedure.c_str(), static_cast<int>(number),
               description.c_str());
}

}  // namespace velloran
