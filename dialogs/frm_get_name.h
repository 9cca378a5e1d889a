#pragma once
// Asks the name for a new high score; Enter takes it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

// What a name may hold: the punctuation marks, the blank, the digits and the letters
// (either case, as the key filter ignores case): every printable ASCII character.
inline constexpr std::string_view kNameCharacters =
    "~!@#$%^&*()_+`-={}|[]\\:\";'<>?,./ 1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";

class FrmGetName : public rt::Form {
 public:
  FrmGetName();
  void msLoadFormVariables(std::int32_t alngScore);
  const std::string& mprpName() const { return mstrName; }

  void Form_Load() override;
  void Form_KeyPress(std::int16_t& keyAscii) override;

  // 0 the background, 1 the frame round the name box, 2 the message.
  std::array<rt::Panel3D, 3> SSPanel1;
  rt::TextBox txtName;

 private:
  void txtName_GotFocus();
  void txtName_KeyPress(std::int16_t& keyAscii);
  void takeName();

  std::string mstrName;
  std::int32_t mlngNewHiScore = 0;
};

inline rt::FormInstance<FrmGetName> frmGetName;

}  // namespace velloran
