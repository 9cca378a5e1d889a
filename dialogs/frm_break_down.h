#pragma once
// The scoring of a won hand on the break-down board; Enter or Escape closes it.

#include <cstdint>
#include <string>

#include "base/bounded_array.h"
#include "engine/tiles.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmBreakDown : public rt::Form {
 public:
  FrmBreakDown();

  void Form_Load() override;
  void Form_KeyPress(std::int16_t& keyAscii) override;
  void Form_Unload(std::int16_t& cancel) override;

  // The doubles a pattern name scores, as the board shows them: "0 Double" to "6 Doubles".
  static std::string mstrfDouble(const std::string& name);

 private:
  void msInitPrtPsns();
  void msBreakDown();

  BoundedArray<typPosition, 1, 12> mudtHandPsns;
  BoundedArray<typPosition, 1, 12> mudtDoublePsns;
  typPosition mudtTotalDoublesPsn;
  typPosition mudtPointsPsn;
};

inline rt::FormInstance<FrmBreakDown> frmBreakDown;

}  // namespace velloran
