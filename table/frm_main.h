#pragma once
// The table window: the program's one main window. It shows the table picture and
// ends the program when it closes.

#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmMain : public rt::Form {
 public:
  FrmMain();

  void Form_Load() override;
  void Form_Unload(std::int16_t& cancel) override;

  // The off-screen picture every drawing of the table goes into.
  rt::Picture picWork;

 private:
  [[noreturn]] void msShutDown();
};

inline rt::FormInstance<FrmMain> frmMain;

}  // namespace velloran
