#include "table/frm_main.h"

#include "base/trap.h"
#include "runtime/app.h"
#include "table/window_helpers.h"

namespace velloran {

FrmMain::FrmMain() : rt::Form("frmMain") {
  setCaption("Velloran");
  setBorderStyle(rt::BorderStyle::FixedSingle);
}

void FrmMain::Form_Load() {
  trap("Form_Load", [&] {
    picWork.setBackground(rt::loadResourcePicture("bitmap101"));
    setPicture(picWork);
    gsSizeFormClient(0, 0, 794, 560, *this);
    gsCenterForm(*this);
  });
}

void FrmMain::Form_Unload(std::int16_t&) {
  msShutDown();
}

void FrmMain::msShutDown() {
  rt::App::instance().end();
}

}  // namespace velloran
