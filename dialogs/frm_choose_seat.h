#pragma once
// The seat draw: four face-down wind tiles; the player takes one and it names the seat.

#include <cstdint>

#include "base/bounded_array.h"
#include "engine/tiles.h"
#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmChooseSeat : public rt::Form {
 public:
  FrmChooseSeat();
  std::int16_t mprpSeat() const { return mintSeat; }

  void Form_Load() override;
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) override;
  void Form_KeyPress(std::int16_t& keyAscii) override;

 private:
  std::int16_t mintfGetSeat();
  void msLoadTiles();
  void msShuffleTiles();
  void moveFrameToSelection();

  rt::Shape shpSeat;  // the highlight frame

  std::int16_t mintSelTile = 0;
  std::int16_t mintSeat = 0;
  BoundedArray<typPosition, 1, 4> mudtTilePsns;
  BoundedArray<std::int32_t, 1, 4> mlngFaces;
  // Once a tile is taken the faces are up: further keys must not pick another.
  bool seatTaken = false;
};

inline rt::FormInstance<FrmChooseSeat> frmChooseSeat;

}  // namespace velloran
