#include "windows/tile_sprites.h"

#include "base/run_time_error.h"
#include "base/trap.h"
#include "windows/frm_bitmaps.h"

namespace velloran {

std::int16_t gintfTileDir(std::int32_t column) {
  std::int16_t row = 0;
  trap("gintfTileDir", [&] {
    if (column == 5) {
      row = 0;
    } else if (5 < column) {
      row = kTileHeight;
    } else {
      row = 2 * kTileHeight;
    }
  });
  return row;
}

void drawSprite(rt::Picture& target, int x, int y, int width, int height, const rt::Picture& mask,
                int maskX, int maskY, const rt::Picture& picture, int pictureX, int pictureY) {
  rt::BitBlt(target, x, y, width, height, mask, maskX, maskY, rt::SRCAND);
  rt::BitBlt(target, x, y, width, height, picture, pictureX, pictureY, rt::SRCPAINT);
}

void drawTileFace(rt::Picture& target, int x, int y, int kind, int viewRow) {
  if (kind < 1 || kind > 42) raiseError(kSubscriptOutOfRange);
  FrmBitmaps& bitmaps = *frmBitmaps;
  drawSprite(target, x, y, kTileWidth, kTileHeight, bitmaps.picTileBackMask, 0, viewRow,
             bitmaps.picAllTiles, (kind - 1) * kTileWidth, viewRow);
}

}  // namespace velloran
