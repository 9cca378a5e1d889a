#include "dialogs/frm_choose_seat.h"

#include <cmath>

#include "base/random.h"
#include "base/trap.h"
#include "dialogs/dialog_layout.h"
#include "runtime/keys.h"
#include "windows/frm_bitmaps.h"
#include "windows/tile_sprites.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

constexpr int kTileGap = 12;
constexpr std::int32_t kEastWind = 28;

}  // namespace

FrmChooseSeat::FrmChooseSeat() : rt::Form("frmChooseSeat"), shpSeat(*this) {
  setBorderStyle(rt::BorderStyle::None);
  setClientSize(256, 256);
  shpSeat.borderColour = rt::rgb(255, 0, 255);
  shpSeat.borderWidth = 3;
  shpSeat.move(0, 0, kTileWidth + 6, kTileHeight + 6);
  shpSeat.visible = false;
}

void FrmChooseSeat::Form_Load() {
  trap("Form_Load", [&] {
    setPicture(rt::loadResourcePicture("bitmap103"));
    centreOverTable(*this);
    mintSelTile = 1;
    msLoadTiles();
    msShuffleTiles();
    moveFrameToSelection();
    shpSeat.visible = true;
  });
}

void FrmChooseSeat::msLoadTiles() {
  trap("msLoadTiles", [&] {
    // Four tiles and three gaps, centred; halves round to even.
    const int rowWidth = 4 * kTileWidth + 3 * kTileGap;
    auto x = static_cast<std::int16_t>(std::nearbyint((scaleWidth() - rowWidth) / 2.0));
    const auto y = static_cast<std::int16_t>(std::nearbyint((scaleHeight() - kTileHeight) / 2.0));
    for (int i = 1; i <= 4; ++i) {
      mudtTilePsns[i] = {x, y};
      x = static_cast<std::int16_t>(x + kTileWidth + kTileGap);
    }
    // Seen face-on, as a tile in the centre column of the table.
    const int view = gintfTileDir(5);
    for (int i = 1; i <= 4; ++i) {
      const typPosition& at = mudtTilePsns[i];
      drawSprite(surface(), at.X, at.Y, kTileWidth, kTileHeight, frmBitmaps->picTileBackMask, 0,
                 view, frmBitmaps->picTileBack, 0, view);
    }
    refresh();
  });
}

void FrmChooseSeat::msShuffleTiles() {
  trap("msShuffleTiles", [&] {
    randomize();
    for (std::int32_t& face : mlngFaces) face = 0;
    for (int i = 1; i <= 4; ++i) {
      bool taken = true;
      while (taken) {
        const auto f = static_cast<std::int32_t>(std::floor(rnd() * 4.0)) + kEastWind;
        taken = false;
        for (int j = 1; j <= i && !taken; ++j) taken = mlngFaces[j] == f;
        if (!taken) mlngFaces[i] = f;
      }
    }
  });
}

std::int16_t FrmChooseSeat::mintfGetSeat() {
  std::int16_t seat = 0;
  trap("mintfGetSeat", [&] {
    const std::int32_t face = mlngFaces[mintSelTile];
    if (face >= kEastWind && face <= kEastWind + 3) {
      seat = static_cast<std::int16_t>(face - kEastWind + 1);
    }
  });
  return seat;
}

void FrmChooseSeat::moveFrameToSelection() {
  const typPosition& tile = mudtTilePsns[mintSelTile];
  const int b = shpSeat.borderWidth;
  shpSeat.move(tile.X - b, tile.Y - b, shpSeat.width, shpSeat.height);
}

void FrmChooseSeat::Form_KeyDown(std::int16_t& keyCode, std::int16_t) {
  trap("Form_KeyDown", [&] {
    if (seatTaken) return;
    switch (keyCode) {
      case rt::vbKeyLeft:
      case rt::vbKeyNumpad4:
        mintSelTile = static_cast<std::int16_t>(mintSelTile == 1 ? 4 : mintSelTile - 1);
        break;
      case rt::vbKeyRight:
      case rt::vbKeyNumpad6:
        mintSelTile = static_cast<std::int16_t>(mintSelTile == 4 ? 1 : mintSelTile + 1);
        break;
      default:
        break;
    }
    moveFrameToSelection();
    refresh();
  });
}

void FrmChooseSeat::Form_KeyPress(std::int16_t& keyAscii) {
  trap("Form_KeyPress", [&] {
    if (keyAscii != rt::vbKeyReturn || seatTaken) return;
    seatTaken = true;
    mintSeat = mintfGetSeat();
    const int view = gintfTileDir(5);
    for (int i = 1; i <= 4; ++i) {
      drawTileFace(surface(), mudtTilePsns[i].X, mudtTilePsns[i].Y, mlngFaces[i], view);
    }
    refresh();
    gsPause(2);
    unload();
  });
}

}  // namespace velloran
