#pragma once
// The five best results on the high-score sheet; Enter or Escape closes it.

#include <cstdint>

#include "base/bounded_array.h"
#include "engine/tiles.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmHiScore : public rt::Form {
 public:
  FrmHiScore();

  void Form_Load() override;
  void Form_KeyPress(std::int16_t& keyAscii) override;
  void Form_Unload(std::int16_t& cancel) override;

 private:
  void msInitPrtPsns();
  void msPrintHiScores();

  // Where row i's values go: the top-left of each text, but the right edge of the score.
  BoundedArray<typPosition, 1, 5> mudtNamePsns;
  BoundedArray<typPosition, 1, 5> mudtRoundsPsns;
  BoundedArray<typPosition, 1, 5> mudtLevelPsns;
  BoundedArray<typPosition, 1, 5> mudtScorePsns;
};

inline rt::FormInstance<FrmHiScore> frmHiScore;

}  // namespace velloran
