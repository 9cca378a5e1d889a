#pragma once
// The game's title, version and credits.

#include <array>
#include <cstdint>

#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmAbout : public rt::Form {
 public:
  FrmAbout();

  void Form_Load() override;
  void Form_KeyPress(std::int16_t& keyAscii) override;
  void Form_Unload(std::int16_t& cancel) override;

  // 0 the frame, 1 the title, 2 and 3 the credit labels, 4 and 5 the names credited.
  std::array<rt::Panel3D, 6> SSPanel1;
  rt::Panel3D pnlCopyright;

 private:
  rt::Shape border_;  // made last: it lies over the frame panel's edge
};

inline rt::FormInstance<FrmAbout> frmAbout;

}  // namespace velloran
