#include "dialogs/frm_get_name.h"

#include "dialogs/dialog_layout.h"
#include "dialogs/key_filter.h"
#include "runtime/keys.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

constexpr int kDesignWidth = 297;
constexpr int kDesignHeight = 159;
// The background panel's margin that the window adds to its design size.
constexpr int kMargin = 0;
const rt::Font kDialogFont{"Times New Roman", 11.25, true};

}  // namespace

FrmGetName::FrmGetName()
    : rt::Form("frmGetName"), SSPanel1{{{*this}, {*this}, {*this}}}, txtName(*this, &SSPanel1[1]) {
  setCaption("");
  setClientSize(kDesignWidth, kDesignHeight);
  surface().setBackColour(rt::kButtonFace);
  SSPanel1[0].move(0, 0, kDesignWidth, kDesignHeight);
  SSPanel1[0].bevelWidth = 2;
  SSPanel1[2].move(24, 16, 249, 20);
  SSPanel1[2].font = kDialogFont;
  SSPanel1[2].raised = false;
  SSPanel1[1].move(24, 72, 249, 69);
  SSPanel1[1].font = kDialogFont;
  SSPanel1[1].caption = " Enter Your Name";
  SSPanel1[1].alignment = rt::Alignment::Left;
  txtName.move(133, 24, 97, 25);
  txtName.font = kDialogFont;
  txtName.onGotFocus = [this] { txtName_GotFocus(); };
  txtName.onKeyPress = [this](std::int16_t& keyAscii) { txtName_KeyPress(keyAscii); };
}

void FrmGetName::msLoadFormVariables(std::int32_t alngScore) {
  mlngNewHiScore = alngScore;
}

void FrmGetName::Form_Load() {
  gsSizeFormClient(0, 0, kDesignWidth + kMargin, kDesignHeight + kMargin - 20, *this);
  // The background fills whatever client area the sizing gave.
  SSPanel1[0].move(0, 0, scaleWidth(), scaleHeight());
  centreOverTable(*this);
  txtName.maxLength = 10;
  txtName.setText("");
  rt::Panel3D& message = SSPanel1[2];
  message.font = kDialogFont;
  message.caption =
      "Congratulations!  You Have A High Score Of " + std::to_string(mlngNewHiScore) + "!";
  fitCaption(message, message.width - 2 * (message.bevelWidth + 3));
  txtName.setFocus();
}

void FrmGetName::Form_KeyPress(std::int16_t& keyAscii) {
  if (keyAscii == rt::vbKeyReturn) takeName();
}

void FrmGetName::txtName_GotFocus() {
  txtName.select(0, static_cast<int>(txtName.text().size()));
}

void FrmGetName::txtName_KeyPress(std::int16_t& keyAscii) {
  const bool enter = keyAscii == rt::vbKeyReturn;
  gsProcessKey(keyAscii, std::string(kNameCharacters), true);
  if (enter) takeName();
}

void FrmGetName::takeName() {
  mstrName = txtName.text();
  unload();
}

}  // namespace velloran
