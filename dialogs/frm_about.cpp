#include "dialogs/frm_about.h"

#include "base/trap.h"
#include "dialogs/dialog_layout.h"
#include "runtime/keys.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

constexpr int kDesignWidth = 271;
constexpr int kDesignHeight = 152;
// The frame panel's margin that the window adds to its design size.
constexpr int kMargin = 0;

}  // namespace

FrmAbout::FrmAbout()
    : rt::Form("frmAbout"),
      // The frame lies at the corner, so what it holds is placed as on the window.
      SSPanel1{{{*this}, {*this}, {*this}, {*this}, {*this}, {*this}}},
      pnlCopyright(*this),
      border_(*this) {
  // A single fixed border and no title bar: it closes on Enter or Escape only. The window
  // draws its border itself, the same on every desktop and with no window manager.
  setBorderStyle(rt::BorderStyle::None);
  border_.borderColour = rt::kWindowFrame;
  border_.enabled = false;  // the clicks go to the box, as to any window's border
  setClientSize(kDesignWidth, kDesignHeight);
  surface().setBackColour(rt::kButtonFace);
  const rt::Font font{"Times New Roman", 9.75, true};
  struct Place {
    int left, top, width, height;
    const char* caption;
    rt::Colour colour;
  };
  const Place places[] = {
      {0, 0, 273, 153, "", rt::kButtonText},
      {40, 24, 193, 25, "", rt::kButtonText},
      {48, 64, 97, 17, "Programmed By:", rt::kButtonText},
      {48, 88, 97, 17, "Graphics By:", rt::kButtonText},
      {152, 64, 97, 17, "Velloran Team", rt::rgb(255, 0, 0)},
      {152, 88, 97, 17, "Velloran Team", rt::rgb(255, 0, 0)},
  };
  for (std::size_t i = 0; i < SSPanel1.size(); ++i) {
    rt::Panel3D& panel = SSPanel1[i];
    panel.move(places[i].left, places[i].top, places[i].width, places[i].height);
    panel.caption = places[i].caption;
    panel.foreColour = places[i].colour;
    panel.font = font;
    panel.alignment = i >= 2 ? rt::Alignment::Left : rt::Alignment::Centre;
    panel.bevelWidth = i >= 2 ? 0 : 1;
  }
  SSPanel1[0].bevelWidth = 2;
  SSPanel1[1].raised = false;
  pnlCopyright.move(48, 112, 185, 16);
  pnlCopyright.font = font;
  pnlCopyright.foreColour = rt::rgb(0, 0, 255);
  pnlCopyright.alignment = rt::Alignment::Left;
  pnlCopyright.bevelWidth = 0;
}

void FrmAbout::Form_Load() {
  trap("Form_Load", [&] {
    gsSizeFormClient(0, 0, kDesignWidth + kMargin, kDesignHeight + kMargin - 20, *this);
    SSPanel1[0].move(0, 0, scaleWidth(), scaleHeight());
    border_.move(0, 0, scaleWidth(), scaleHeight());
    centreOverTable(*this);
    SSPanel1[1].setCaption("Velloran v1.0");
    pnlCopyright.setCaption("Copyright (C) Velloran Team");
  });
}

void FrmAbout::Form_KeyPress(std::int16_t& keyAscii) {
  if (keyAscii == rt::vbKeyReturn || keyAscii == rt::vbKeyEscape) unload();
}

void FrmAbout::Form_Unload(std::int16_t&) {
  gsReleaseObjects(frmAbout);
}

}  // namespace velloran
