#pragma once
// The seat draw: four face-down wind tiles; the player takes one and it names the seat.

#include <cstdint>

#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmChooseSeat : public rt::Form {
 public:
  FrmChooseSeat();
  std::int16_t mprpSeat() const { return mintSeat; }

 private:
  std::int16_t mintSeat = 0;
};

inline rt::FormInstance<FrmChooseSeat> frmChooseSeat;

}  // namespace velloran
