#include "windows/frm_bitmaps.h"

namespace velloran {

FrmBitmaps::FrmBitmaps() : rt::Form("frmBitmaps"), picBlankLightning(200, 233) {}

void FrmBitmaps::Form_Load() {
  // No trap of its own: a missing picture is reported by the table window's start-up.
  picTileBackMask = rt::loadResourcePicture("picTileBackMask");
  picTableTop = rt::loadResourcePicture("picTableTop");
  picLightningMask = rt::loadResourcePicture("picLightningMask");
  picLightning = rt::loadResourcePicture("picLightning");
  picSmallHouseMask = rt::loadResourcePicture("picSmallHouseMask");
  picSmallHouse = rt::loadResourcePicture("picSmallHouse");
  picHouseMask = rt::loadResourcePicture("picHouseMask");
  picHouse = rt::loadResourcePicture("picHouse");
  picPassMask = rt::loadResourcePicture("picPassMask");
  picPass = rt::loadResourcePicture("picPass");
  picAllTiles = rt::loadResourcePicture("picAllTiles");
  picTileBack = rt::loadResourcePicture("picTileBack");
}

}  // namespace velloran
