#include "dialogs/frm_choose_tiles.h"

#include <cmath>

#include "base/trap.h"
#include "engine/shared.h"
#include "runtime/keys.h"
#include "windows/frm_bitmaps.h"
#include "windows/table_window.h"
#include "windows/tile_sprites.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

// Where the strip lies on the table, in table pixels.
constexpr int kStripLeft = 353;
constexpr int kStripTop = 436;
constexpr int kStripWidth = 400;
constexpr int kStripHeight = 140;

}  // namespace

FrmChooseTiles::FrmChooseTiles()
    : rt::Form("frmChooseTiles"), picTile(kTileWidth, kTileHeight), Shape1(*this) {
  setBorderStyle(rt::BorderStyle::None);
  Shape1.borderColour = rt::rgb(255, 0, 0);
  Shape1.borderWidth = 3;
  Shape1.visible = false;
}

void FrmChooseTiles::msLoadFormVariables(const DynamicArray<std::int16_t>& aintCurrRow,
                                         const DynamicArray<std::int16_t>& aintLeftMostCol) {
  trap("msLoadFormVariables", [&] {
    mintCurrRow.redim(aintCurrRow.upper());
    mintLeftMostCol.redim(aintLeftMostCol.upper());
    for (int k = 1; k <= aintLeftMostCol.upper(); ++k) {
      mintCurrRow[k] = aintCurrRow[k];
      mintLeftMostCol[k] = aintLeftMostCol[k];
    }
  });
}

void FrmChooseTiles::Form_Load() {
  trap("Form_Load", [&] {
    const rt::Form& table = tableWindow();
    picWork = rt::Picture(kStripWidth, kStripHeight);
    gsSizeFormClient(0, 0, kStripWidth - 1, kStripHeight - 20, *this);
    const double across = static_cast<double>(table.width()) / table.scaleWidth();
    const double down = static_cast<double>(table.height()) / table.scaleHeight();
    move(static_cast<int>(std::lround(table.left() + kStripLeft * across)),
         static_cast<int>(std::lround(table.top() + kStripTop * down)));
    // The table under the strip becomes its background, so the runs float over the table:
    // taken from where the strip lands on the table's client area, which the table's frame
    // puts a few pixels off the strip's own place.
    const int underX = left() + frame().left - table.left() - table.frame().left;
    const int underY = top() + frame().top - table.top() - table.frame().top;
    rt::BitBlt(picWork, 0, 0, kStripWidth, kStripHeight, table.surface(), underX, underY,
               rt::SRCCOPY);
    msLoadTiles();
    // Our window is a row taller than the strip: the table shows there too, not a seam.
    rt::BitBlt(surface(), 0, 0, scaleWidth(), scaleHeight(), table.surface(), underX, underY,
               rt::SRCCOPY);
    rt::BitBlt(surface(), 0, 0, picWork.width(), picWork.height(), picWork, 0, 0, rt::SRCCOPY);
    refresh();
    mintSelOption = 1;
    mintNumTiles = 0;
    msHiLiteTiles(1);
  });
}

void FrmChooseTiles::msLoadTiles() {
  trap("msLoadTiles", [&] {
    const FrmBitmaps& bitmaps = *frmBitmaps;
    int n = 0;
    for (int k = 1; k <= 12; ++k) {
      if (!gudtPossibleSets(k, 1).Occupied) continue;
      ++n;
      for (int t = 1; t <= 3; ++t) {
        const typCell& slot = gudtPossibleSets(k, t);
        if (!slot.Occupied) continue;
        const int view = gintfTileDir(mintLeftMostCol[k] + t - 1);
        rt::BitBlt(picTile, 0, 0, kTileWidth, kTileHeight, bitmaps.picAllTiles,
                   (slot.BmpIdx - 1) * kTileWidth, view, rt::SRCCOPY);
        drawSprite(picWork, slot.X, slot.Y, kTileWidth, kTileHeight, bitmaps.picTileBackMask, 0,
                   view, picTile, 0, 0);
      }
    }
    mintOptionCount = static_cast<std::int16_t>(n + 1);
    // The landing never offers more than 11 runs, so the grid of 12 always has a slot
    // left for Pass after the last one.
    const typCell& pass = gudtPossibleSets(n + 1, 1);
    const int passWidth = bitmaps.picPass.width(), passHeight = bitmaps.picPass.height();
    drawSprite(picWork, pass.X, pass.Y, passWidth, passHeight, bitmaps.picPassMask, 0, 0,
               bitmaps.picPass, 0, 0);
  });
}

void FrmChooseTiles::msHiLiteTiles(std::int16_t option) {
  trap("msHiLiteTiles", [&] {
    int count = 0;
    for (int t = 1; t <= 3; ++t) count += gudtPossibleSets(option, t).Occupied ? 1 : 0;
    mintNumTiles = static_cast<std::int16_t>(count);
    const int w = option == mintOptionCount ? 90 : count * kTileWidth;
    const int b = Shape1.borderWidth;
    const typCell& first = gudtPossibleSets(option, 1);
    Shape1.move(first.X - b, first.Y - b, w + 2 * b, kTileHeight + 2 * b);
    Shape1.visible = true;
    refresh();
  });
}

void FrmChooseTiles::Form_KeyDown(std::int16_t& keyCode, std::int16_t) {
  // The options fill a grid four wide, row by row; Pass is the last of them.
  const int option = mintSelOption, last = mintOptionCount;
  const auto exists = [last](int o) { return o <= last; };
  int next = option;
  switch (keyCode) {
    case rt::vbKeyLeft:
    case rt::vbKeyNumpad4:
      next = option == 1 ? last : option - 1;
      break;
    case rt::vbKeyRight:
    case rt::vbKeyNumpad6:
      next = option == last ? 1 : option + 1;
      break;
    case rt::vbKeyDown:
    case rt::vbKeyNumpad2:
      if (option <= 4) {
        next = exists(option + 4) ? option + 4 : option;
      } else if (option <= 8) {
        next = exists(option + 4) ? option + 4 : option - 4;
      } else {
        next = option - 8;
      }
      break;
    case rt::vbKeyUp:
    case rt::vbKeyNumpad8:
      if (option >= 5) {
        next = option - 4;
      } else if (last >= 9) {
        next = exists(option + 8) ? option + 8 : option + 4;
      } else {
        next = exists(option + 4) ? option + 4 : option;
      }
      break;
    default:
      break;
  }
  mintSelOption = static_cast<std::int16_t>(next);
  msHiLiteTiles(mintSelOption);
}

void FrmChooseTiles::Form_KeyPress(std::int16_t& keyAscii) {
  trap("Form_KeyPress", [&] {
    if (keyAscii != rt::vbKeyReturn) return;
    if (mintSelOption != mintOptionCount) {
      mintCellTableRow = mintCurrRow[mintSelOption];
      mintCellTableCol = mintLeftMostCol[mintSelOption];
    } else {
      mintCellTableRow = 0;
      mintCellTableCol = 0;
    }
    unload();
  });
}

void FrmChooseTiles::Form_Unload(std::int16_t&) {
  mintCurrRow.erase();
  mintLeftMostCol.erase();
}

}  // namespace velloran
