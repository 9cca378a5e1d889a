#pragma once
// Asks the name for a new high score; Enter takes it.

#include <cstdint>
#include <string>

#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmGetName : public rt::Form {
 public:
  FrmGetName();
  void msLoadFormVariables(std::int32_t alngScore);
  const std::string& mprpName() const { return mstrName; }

 private:
  std::string mstrName;
};

inline rt::FormInstance<FrmGetName> frmGetName;

}  // namespace velloran
