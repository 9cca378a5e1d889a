#pragma once
// The table window as the dialogs see it: the window they stand over, whose picture the set
// chooser copies. The table window names itself here when it is made, so that dialogs need
// nothing else of it.

#include "runtime/form.h"

namespace velloran {

rt::Form& tableWindow();
void setTableWindow(rt::Form* table);

}  // namespace velloran
