#pragma once
// Sets how many rounds a game lasts (1 to 100).

#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmRoundsSetting : public rt::Form {
 public:
  FrmRoundsSetting();
};

inline rt::FormInstance<FrmRoundsSetting> frmRoundsSetting;

}  // namespace velloran
