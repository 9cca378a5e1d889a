#include "windows/table_window.h"

#include <stdexcept>

namespace velloran {
namespace {
rt::Form* theTable = nullptr;
}

rt::Form& tableWindow() {
  if (!theTable) throw std::logic_error("a dialog was opened with no table window");
  return *theTable;
}

void setTableWindow(rt::Form* table) {
  theTable = table;
}

}  // namespace velloran
