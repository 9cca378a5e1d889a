#pragma once
// The end of a game: rounds and hands played, hands won and the winning percentage.

#include <array>
#include <cstdint>

#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"

namespace velloran {

class FrmGameSummary : public rt::Form {
 public:
  FrmGameSummary();
  void msLoadFormVariables(std::int16_t aintRoundsPlayed, std::int16_t aintGamesPlayed,
                           std::int16_t aintGamesWon);

  void Form_Load() override;
  void Form_KeyPress(std::int16_t& keyAscii) override;
  void Form_Unload(std::int16_t& cancel) override;

  // The panels by number: 0 the frame, 1 "Game Over...", 2 the inner board, 7 its title,
  // 8 the table of results, 3 to 6 the labels of its four rows.
  rt::Panel3D& SSPanel1(int index);

 private:
  // Made containers first, as controls are drawn in the order they were made.
  rt::Panel3D frame_;
  rt::Panel3D gameOver_;
  rt::Panel3D board_;
  rt::Panel3D boardTitle_;
  rt::Panel3D results_;
  std::array<rt::Panel3D, 4> labels_;

 public:
  // The values: rounds played, hands played, hands won, winning percentage.
  std::array<rt::Panel3D, 4> pnlGameSummary;

 private:
  rt::Shape border_;  // made last: it lies over the frame panel's edge

  void msClearGameSummary();
  void msDisplayGameSummary();

  std::int16_t mintSummaryRounds = 0;
  std::int16_t mintSummaryGames = 0;
  std::int16_t mintSummaryWins = 0;
};

inline rt::FormInstance<FrmGameSummary> frmGameSummary;

}  // namespace velloran
