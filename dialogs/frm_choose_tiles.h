#pragma once
// The set chooser: the candidate runs float over the lower table; the arrow keys move a
// red frame and Enter takes the framed run, or Pass.

#include <cstdint>

#include "base/bounded_array.h"
#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"
#include "runtime/picture.h"

namespace velloran {

class FrmChooseTiles : public rt::Form {
 public:
  FrmChooseTiles();

  void msLoadFormVariables(const DynamicArray<std::int16_t>& aintCurrRow,
                           const DynamicArray<std::int16_t>& aintLeftMostCol);
  std::int16_t mprpCellTableCol() const { return mintCellTableCol; }
  std::int16_t mprpCellTableRow() const { return mintCellTableRow; }
  std::int16_t mprpNumTiles() const { return mintNumTiles; }

  void Form_Load() override;
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) override;
  void Form_KeyPress(std::int16_t& keyAscii) override;
  void Form_Unload(std::int16_t& cancel) override;

 private:
  void msLoadTiles();
  void msHiLiteTiles(std::int16_t option);

  rt::Picture picWork;  // the whole strip, drawn off screen
  rt::Picture picTile;  // one tile face
  rt::Shape Shape1;     // the highlight frame

  DynamicArray<std::int16_t> mintCurrRow;
  DynamicArray<std::int16_t> mintLeftMostCol;
  std::int16_t mintOptionCount = 0;
  std::int16_t mintCellTableRow = 0;
  std::int16_t mintCellTableCol = 0;
  std::int16_t mintSelOption = 0;
  std::int16_t mintNumTiles = 0;
};

inline rt::FormInstance<FrmChooseTiles> frmChooseTiles;

}  // namespace velloran
