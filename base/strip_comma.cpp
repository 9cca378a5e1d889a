#include "base/strip_comma.h"

#include "base/trap.h"

namespace velloran {

void gsStripComma(std::string& text) {
  trap("gsStripComma", [&] {
    if (text.starts_with(',')) {
      text.erase(0, 1);
    } else if (text.ends_with(',')) {
      text.pop_back();
    }
  });
}

}  // namespace velloran
