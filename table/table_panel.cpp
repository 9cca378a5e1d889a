// The table panel: the seats round the small table, the house marker and the round
// indicator.

#include "base/trap.h"
#include "table/frm_main.h"
#include "windows/frm_bitmaps.h"
#include "windows/tile_sprites.h"
#include "windows/window_helpers.h"

namespace velloran {

void FrmMain::msAssignSeatPsns() {
  trap("msAssignSeatPsns", [&] {
    const char* const names[] = {"East", "South", "West", "North"};
    const typPosition labels[] = {{600, 272}, {526, 320}, {600, 366}, {663, 320}};
    const typPosition markers[] = {{615, 311}, {599, 328}, {615, 346}, {634, 328}};
    for (int seat = 1; seat <= 4; ++seat) {
      mstrSeatNames[seat] = names[seat - 1];
      mudtSeatLabelPsns[seat] = labels[seat - 1];
      mudtHouseMarkPsns[seat] = markers[seat - 1];
    }
  });
}

void FrmMain::msDrawRound() {
  trap("msDrawRound", [&] {
    if (game.mlngRoundWind == 0) return;
    const FrmBitmaps& bitmaps = *frmBitmaps;
    const int w = bitmaps.picHouseMask.width(), h = bitmaps.picHouseMask.height();
    drawSprite(picWork, 428, 306, w, h, bitmaps.picHouseMask, 0, 0, bitmaps.picHouse,
               (static_cast<int>(game.mlngRoundWind) - 1) * w, game.mblnChineseIndicator ? 0 : h);
  });
}

// No trap: an error here is reported by the caller.
void FrmMain::msDrawSeats() {
  const FrmBitmaps& bitmaps = *frmBitmaps;
  rt::BitBlt(picWork, 592, 304, bitmaps.picTableTop.width(), bitmaps.picTableTop.height(),
             bitmaps.picTableTop, 0, 0, rt::SRCCOPY);
  for (int seat = 1; seat <= 4; ++seat) {
    const bool player = game.mlngPlayerSeat == seat;
    const std::string& text = player ? std::string("Player") : mstrSeatNames[seat];
    const rt::Colour colour = player ? 0xFFFFFF : 0xFF0000;
    const typPosition at = mudtSeatLabelPsns[seat];
    gsPrintText(picWork, static_cast<std::int16_t>(at.X - 1), static_cast<std::int16_t>(at.Y - 1),
                text, 0, "Wonton ICG", 18, false);
    gsPrintText(picWork, at.X, at.Y, text, colour, "Wonton ICG", 18, false);
  }
  msDrawHouseIndicator();
}

void FrmMain::msDrawHouseIndicator() {
  trap("msDrawHouseIndicator", [&] {
    if (game.mlngRoundWind == 0) return;
    const FrmBitmaps& bitmaps = *frmBitmaps;
    const int w = bitmaps.picSmallHouseMask.width(), h = bitmaps.picSmallHouseMask.height();
    const typPosition at = mudtHouseMarkPsns[static_cast<int>(game.mlngHouse)];
    drawSprite(picWork, at.X, at.Y, w, h, bitmaps.picSmallHouseMask, 0, 0, bitmaps.picSmallHouse,
               (static_cast<int>(game.mlngRoundWind) - 1) * w, game.mblnChineseIndicator ? 0 : h);
  });
}

}  // namespace velloran
