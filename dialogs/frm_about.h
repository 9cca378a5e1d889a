#pragma once
// The game's title, version and credits.

#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmAbout : public rt::Form {
 public:
  FrmAbout();
};

inline rt::FormInstance<FrmAbout> frmAbout;

}  // namespace velloran
