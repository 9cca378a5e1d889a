// Steering the falling tile with the keyboard: one column left or right, or the fast drop.

#include "base/trap.h"
#include "engine/engine.h"

namespace velloran {

namespace {
constexpr std::int16_t kLeft = 37, kKeypad4 = 100;
constexpr std::int16_t kRight = 39, kKeypad6 = 102;
constexpr std::int16_t kDown = 40, kKeypad2 = 98;
constexpr std::int32_t kFastDropInterval = 5;
}  // namespace

void GameEngine::Form_KeyDown(std::int16_t& keyCode, std::int16_t /*shift*/) {
  trap("Form_KeyDown", [&] {
    // A due flash shows and goes out at once, so that a key never leaves one on screen.
    const bool ticking = window_.timerEnabled();
    if (ticking) {
      window_.msDrawLightning();
      window_.msDrawLightning();
    }
    // Only a tile falling in the visible rows can be steered (before the first hand the
    // row is 0), and not while it drops fast or the tick is off.
    if (!ticking || mintRow < 1 || window_.timerInterval() == kFastDropInterval) return;
    int step = 0;
    switch (keyCode) {
      case kLeft:
      case kKeypad4:
        if (mintCol != 1) step = -1;
        break;
      case kRight:
      case kKeypad6:
        if (mintCol != 9) step = 1;
        break;
      case kDown:
      case kKeypad2:
        window_.setTimerInterval(kFastDropInterval);
        mblnDropFast = true;
        return;
      default:
        return;
    }
    if (step == 0 || mudtCellTable(mintRow, mintCol + step).Occupied) return;
    msEraseTile();
    mintCol = static_cast<std::int16_t>(mintCol + step);
    window_.msDrawTile();
  });
}

}  // namespace velloran
