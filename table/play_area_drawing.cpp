// Drawing the play area, the falling tile, the next-tile preview and the earned hand,
// all into the off-screen picture.

#include "base/run_time_error.h"
#include "base/trap.h"
#include "table/frm_main.h"
#include "windows/tile_sprites.h"

namespace velloran {

void FrmMain::msDrawTile() {
  trap("msDrawTile", [&] {
    if (game.mintRow < 1 || game.mintRow > 12 || game.mintCurrTile < 1) {
      raiseError(kSubscriptOutOfRange);  // only a tile in the visible rows is drawn
    }
    const typCell& cell = game.mudtCellTable(game.mintRow, game.mintCol);
    rt::BitBlt(picBlank, 0, 0, kTileWidth, kTileHeight, picWork, cell.X, cell.Y, rt::SRCCOPY);
    drawTileFace(picWork, cell.X, cell.Y, game.mintTileKindOf[game.mintCurrTile],
                 gintfTileDir(game.mintCol));
    presentWork();
  });
}

void FrmMain::msDrawPlayArea() {
  trap("msDrawPlayArea", [&] {
    picWork.clear();
    for (int row = 1; row <= 12; ++row) {
      for (int col = 1; col <= 9; ++col) {
        const typCell& cell = game.mudtCellTable(row, col);
        if (cell.Occupied) drawTileFace(picWork, cell.X, cell.Y, cell.BmpIdx, gintfTileDir(col));
      }
    }
  });
}

void FrmMain::msDrawNexTile() {
  trap("msDrawNexTile", [&] {
    if (!game.mblnShowNextTile) {
      rt::BitBlt(picWork, 474, 44, kTileWidth, kTileHeight, picBlankNextTile, 0, 0, rt::SRCCOPY);
      return;
    }
    if (game.mintTilePtr == 144) return;  // the wall is exhausted
    const std::int16_t next = game.mintTileSequence[game.mintTilePtr + 1];
    if (next == 0) return;  // no wall dealt yet
    drawTileFace(picWork, 474, 44, game.mintTileKindOf[next], gintfTileDir(5));
  });
}

void FrmMain::msDrawEarnedTiles() {
  trap("msDrawEarnedTiles", [&] {
    for (int slot = 1; slot <= 22; ++slot) {
      const typCell& cell = game.mudtEarnedTiles[slot];
      if (cell.Occupied) drawTileFace(picWork, cell.X, cell.Y, cell.BmpIdx, 0);
    }
  });
}

}  // namespace velloran
