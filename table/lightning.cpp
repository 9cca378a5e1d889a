// Now and then a bolt of lightning over the upper right of the table, and thunder when
// it goes out.

#include <cmath>

#include "base/checked_math.h"
#include "base/clock.h"
#include "base/random.h"
#include "base/trap.h"
#include "runtime/app.h"
#include "runtime/wave_sound.h"
#include "table/frm_main.h"
#include "windows/frm_bitmaps.h"
#include "windows/game_files.h"
#include "windows/tile_sprites.h"

namespace velloran {
namespace {
constexpr int kLightningX = 580;
constexpr int kLightningY = 0;
}  // namespace

void FrmMain::msGenerateLightning() {
  trap("msGenerateLightning", [&] {
    if (gameClock().timeOfDay() < game.mlngLastLightning + 60.0 || game.mblnLightningPending) {
      return;
    }
    if (static_cast<int>(std::floor(rnd() * 10)) == 0) game.mblnLightningPending = true;
  });
}

void FrmMain::msDrawLightning() {
  trap("msDrawLightning", [&] {
    const FrmBitmaps& bitmaps = *frmBitmaps;
    const int w = game.mintLightningW, h = game.mintLightningH;
    if (game.mblnLightningPending) {
      game.mblnLightningPending = false;
      game.mblnLightningShown = true;
      game.mlngLastLightning = toLong(gameClock().timeOfDay());
      drawSprite(picWork, kLightningX, kLightningY, w, h, bitmaps.picLightningMask, 0, 0,
                 bitmaps.picLightning, 0, 0);
      msDrawEarnedTiles();  // the hand stays in front of the bolt
      copyToWindow(kLightningX, kLightningY, w, h);
    } else if (game.mblnLightningShown) {
      game.mblnLightningShown = false;
      rt::BitBlt(picWork, kLightningX, kLightningY, w, h, bitmaps.picBlankLightning, 0, 0,
                 rt::SRCCOPY);
      msDrawEarnedTiles();
      copyToWindow(kLightningX, kLightningY, w, h);
      rt::sndPlaySound(gameFilePath("Thunder2.wav"), rt::kSoundAsync | rt::kSoundNoDefault);
    }
  });
}

}  // namespace velloran
