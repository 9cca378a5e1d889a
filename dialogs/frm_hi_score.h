#pragma once
// The five best results on the high-score sheet; Enter or Escape closes it.

#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmHiScore : public rt::Form {
 public:
  FrmHiScore();
};

inline rt::FormInstance<FrmHiScore> frmHiScore;

}  // namespace velloran
