#pragma once
// The end of a game: rounds and hands played, hands won and the winning percentage.

#include <cstdint>

#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmGameSummary : public rt::Form {
 public:
  FrmGameSummary();
  void msLoadFormVariables(std::int16_t aintRoundsPlayed, std::int16_t aintGamesPlayed,
                           std::int16_t aintGamesWon);
};

inline rt::FormInstance<FrmGameSummary> frmGameSummary;

}  // namespace velloran
