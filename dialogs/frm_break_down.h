#pragma once
// The scoring of a won hand on the break-down board; Enter or Escape closes it.

#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmBreakDown : public rt::Form {
 public:
  FrmBreakDown();
};

inline rt::FormInstance<FrmBreakDown> frmBreakDown;

}  // namespace velloran
