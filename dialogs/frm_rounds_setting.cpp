#include "dialogs/frm_rounds_setting.h"

#include <string>

#include "base/trap.h"
#include "dialogs/dialog_layout.h"
#include "engine/shared.h"
#include "windows/window_helpers.h"

namespace velloran {

FrmRoundsSetting::FrmRoundsSetting()
    : rt::Form("frmRoundsSetting"),
      SSPanel1(*this),
      sspRoundsCaption(*this, &SSPanel1),
      sspNumRounds(*this, &sspRoundsCaption),
      SpinButton1(*this, &SSPanel1),
      cmdOK(*this, &SSPanel1),
      cmdCancel(*this, &SSPanel1) {
  setCaption("Rounds Setting");
  setClientSize(257, 137);
  const rt::Font panelFont{"Wonton ICG", 14.25, false};
  const rt::Font buttonFont{"Wonton ICG", 12, false};
  SSPanel1.move(0, 0, 257, 137);
  SSPanel1.bevelWidth = 2;
  sspRoundsCaption.move(24, 24, 177, 49);
  sspRoundsCaption.font = panelFont;
  sspRoundsCaption.caption = " # of Rounds";
  sspRoundsCaption.alignment = rt::Alignment::Left;
  sspNumRounds.move(120, 12, 41, 25);
  sspNumRounds.font = panelFont;
  sspNumRounds.raised = false;
  SpinButton1.move(208, 28, 25, 41);
  SpinButton1.onSpinDown = [this] { SpinButton1_SpinDown(); };
  SpinButton1.onSpinUp = [this] { SpinButton1_SpinUp(); };
  cmdOK.move(48, 88, 73, 25);
  cmdOK.font = buttonFont;
  cmdOK.caption = "OK";
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.move(136, 88, 73, 25);
  cmdCancel.font = buttonFont;
  cmdCancel.caption = "Cancel";
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void FrmRoundsSetting::Form_Load() {
  trap("Form_Load", [&] {
    gsSizeFormClient(0, 0, SSPanel1.width - 1, SSPanel1.height - 1 - 20, *this);
    centreOverTable(*this);
    // The caption keeps clear of the number beside it.
    fitCaption(sspRoundsCaption, sspNumRounds.left - 2 * (sspRoundsCaption.bevelWidth + 3));
    mintRounds = gintNumRounds;
    msShowRounds();
    cmdOK.setFocus();
  });
}

void FrmRoundsSetting::Form_Unload(std::int16_t&) {
  gsReleaseObjects(frmRoundsSetting);
}

void FrmRoundsSetting::SpinButton1_SpinDown() {
  if (mintRounds > 1) {
    --mintRounds;
    msShowRounds();
  }
}

void FrmRoundsSetting::SpinButton1_SpinUp() {
  if (mintRounds < 100) {
    ++mintRounds;
    msShowRounds();
  }
}

void FrmRoundsSetting::msShowRounds() {
  sspNumRounds.setCaption(std::to_string(mintRounds));
}

void FrmRoundsSetting::cmdOK_Click() {
  gintNumRounds = mintRounds;
  unload();
}

void FrmRoundsSetting::cmdCancel_Click() {
  unload();
}

}  // namespace velloran
