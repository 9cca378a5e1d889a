#pragma once
// The window that holds the sprite pictures: tile faces and backs with their mask, the
// lightning, the wind markers and the Pass plate. It is loaded at start-up and never shown.

#include "runtime/form.h"
#include "runtime/form_instance.h"
#include "runtime/picture.h"

namespace velloran {

class FrmBitmaps : public rt::Form {
 public:
  FrmBitmaps();
  void Form_Load() override;

  rt::Picture picTileBackMask;    // 30 x 117: the tile mask in its three views
  rt::Picture picTableTop;        // 64 x 64
  rt::Picture picBlankLightning;  // 200 x 233: filled with the table under the lightning
  rt::Picture picLightningMask;   // 200 x 233
  rt::Picture picLightning;       // 200 x 233
  rt::Picture picSmallHouseMask;  // 16 x 16
  rt::Picture picSmallHouse;      // 64 x 32: four winds by two scripts
  rt::Picture picHouseMask;       // 64 x 66
  rt::Picture picHouse;           // 256 x 132: four winds by two scripts
  rt::Picture picPassMask;        // 90 x 39
  rt::Picture picPass;            // 90 x 39
  rt::Picture picAllTiles;        // 1260 x 117: 42 faces by three views
  rt::Picture picTileBack;        // 30 x 117
};

inline rt::FormInstance<FrmBitmaps> frmBitmaps;

}  // namespace velloran
