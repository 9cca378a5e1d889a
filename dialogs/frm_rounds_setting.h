#pragma once
// Sets how many rounds a game lasts (1 to 100).

#include <cstdint>

#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmRoundsSetting : public rt::Form {
 public:
  FrmRoundsSetting();

  void Form_Load() override;
  void Form_Unload(std::int16_t& cancel) override;

  rt::Panel3D SSPanel1;
  rt::Panel3D sspRoundsCaption;
  rt::Panel3D sspNumRounds;
  rt::SpinButton SpinButton1;
  rt::CommandButton cmdOK;
  rt::CommandButton cmdCancel;

 private:
  void SpinButton1_SpinDown();
  void SpinButton1_SpinUp();
  void msShowRounds();
  void cmdOK_Click();
  void cmdCancel_Click();

  std::int16_t mintRounds = 0;
};

inline rt::FormInstance<FrmRoundsSetting> frmRoundsSetting;

}  // namespace velloran
