#pragma once
// Key codes (key-down events) and character codes (key-press events) as the game reads them.

#include <cstdint>

namespace velloran::rt {

enum KeyCode : std::int16_t {
  vbKeyBack = 8,
  vbKeyTab = 9,
  vbKeyReturn = 13,
  vbKeyShift = 16,
  vbKeyControl = 17,
  vbKeyMenu = 18,
  vbKeyPause = 19,
  vbKeyEscape = 27,
  vbKeySpace = 32,
  vbKeyPageUp = 33,
  vbKeyPageDown = 34,
  vbKeyEnd = 35,
  vbKeyHome = 36,
  vbKeyLeft = 37,
  vbKeyUp = 38,
  vbKeyRight = 39,
  vbKeyDown = 40,
  vbKeyInsert = 45,
  vbKeyDelete = 46,
  vbKey0 = 48,  // to vbKey9 = 57
  vbKeyA = 65,  // to vbKeyZ = 90
  vbKeyNumpad0 = 96,
  vbKeyNumpad2 = 98,
  vbKeyNumpad4 = 100,
  vbKeyNumpad6 = 102,
  vbKeyNumpad8 = 104,
  vbKeyNumpad9 = 105,
  vbKeyF1 = 112,  // to vbKeyF12 = 123
};

// Shift state bits of a key event.
enum ShiftState : std::int16_t { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// The character a key-down also types, or 0: Enter, Escape, Backspace and Tab type their
// control characters; letters, digits and the rest come as typed text.
constexpr std::int16_t controlCharacterOf(std::int16_t keyCode) {
  switch (keyCode) {
    case vbKeyBack:
    case vbKeyTab:
    case vbKeyReturn:
    case vbKeyEscape:
      return keyCode;
    default:
      return 0;
  }
}

}  // namespace velloran::rt
