#include "dialogs/frm_game_summary.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "base/trap.h"
#include "dialogs/dialog_layout.h"
#include "runtime/keys.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

constexpr int kDesignWidth = 352;
constexpr int kDesignHeight = 278;
// The frame panel's margin that the window adds to its design size.
constexpr int kMargin = 0;
constexpr rt::Colour kLabelColour = rt::rgb(192, 64, 0);
constexpr rt::Colour kValueColour = rt::rgb(255, 128, 0);
const rt::Font kTitleFont{"Times New Roman", 14.25, true};
const rt::Font kRowFont{"Times New Roman", 12, true};

// The decimal separator of the user's own number format, "." when it cannot be told.
std::string decimalSeparator() {
  std::string separator = ".";
  if (locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr))) {
    // Only a one-byte separator can be shown in the game's single-byte text.
    const char* radix = nl_langinfo_l(RADIXCHAR, user);
    if (radix && radix[0] != '\0' && radix[1] == '\0') separator = radix;
    freelocale(user);
  }
  return separator;
}

// A number of hundredths written in its shortest form: no trailing zeros, no separator
// for a whole number.
std::string shortestForm(long long hundredths) {
  const long long size = std::llabs(hundredths);
  std::string text = std::to_string(size / 100);
  if (hundredths < 0) text.insert(text.begin(), '-');
  const int fraction = static_cast<int>(size % 100);
  if (fraction == 0) return text;
  text += decimalSeparator() + std::to_string(fraction / 10);
  if (fraction % 10 != 0) text += std::to_string(fraction % 10);
  return text;
}

void setUpPanel(rt::Panel3D& panel, int left, int top, int width, int height,
                const std::string& caption = "", const rt::Font& font = kRowFont,
                rt::Colour colour = rt::kButtonText) {
  panel.move(left, top, width, height);
  panel.caption = caption;
  panel.font = font;
  panel.foreColour = colour;
}

}  // namespace

FrmGameSummary::FrmGameSummary()
    : rt::Form("frmGameSummary"),
      frame_(*this),
      gameOver_(*this, &frame_),
      board_(*this, &frame_),
      boardTitle_(*this, &board_),
      results_(*this, &board_),
      labels_{{{*this, &results_}, {*this, &results_}, {*this, &results_}, {*this, &results_}}},
      pnlGameSummary{
          {{*this, &results_}, {*this, &results_}, {*this, &results_}, {*this, &results_}}},
      border_(*this) {
  // A single fixed border and no title bar: it closes on Enter or Escape only. The window
  // draws its border itself, the same on every desktop and with no window manager.
  setBorderStyle(rt::BorderStyle::None);
  border_.borderColour = rt::kWindowFrame;
  border_.enabled = false;  // the clicks go to the box, as to any window's border
  setClientSize(kDesignWidth, kDesignHeight);
  surface().setBackColour(rt::kButtonFace);
  setUpPanel(frame_, 0, 0, 353, 279);
  frame_.bevelWidth = 2;
  setUpPanel(gameOver_, 120, 16, 110, 17, "Game Over...", kTitleFont);
  gameOver_.bevelWidth = 0;
  setUpPanel(board_, 24, 40, 305, 217);
  setUpPanel(boardTitle_, 46, 13, 208, 17, "+++ Game Summary +++", kTitleFont, rt::rgb(0, 0, 255));
  boardTitle_.bevelWidth = 0;
  setUpPanel(results_, 24, 32, 255, 161);
  results_.raised = false;
  const char* labels[] = {"# Of Rounds Played", "# Of Games Played", "# Of Games Won",
                          "Winning Percentage"};
  const int labelWidths[] = {145, 137, 137, 145};
  for (int row = 0; row < 4; ++row) {
    const int top = 16 + 32 * row;
    setUpPanel(labels_[row], 24, top, labelWidths[row], 25, labels[row], kRowFont, kLabelColour);
    labels_[row].alignment = rt::Alignment::Left;
    labels_[row].bevelWidth = 0;
    setUpPanel(pnlGameSummary[row], 176, top, 57, 25, "", kRowFont, kValueColour);
    pnlGameSummary[row].raised = false;
  }
}

rt::Panel3D& FrmGameSummary::SSPanel1(int index) {
  switch (index) {
    case 0:
      return frame_;
    case 1:
      return gameOver_;
    case 2:
      return board_;
    case 7:
      return boardTitle_;
    case 8:
      return results_;
    default:
      if (index >= 3 && index <= 6) return labels_[static_cast<std::size_t>(index - 3)];
      raiseError(kSubscriptOutOfRange);
  }
}

void FrmGameSummary::msLoadFormVariables(std::int16_t aintRoundsPlayed,
                                         std::int16_t aintGamesPlayed, std::int16_t aintGamesWon) {
  mintSummaryRounds = aintRoundsPlayed;
  mintSummaryGames = aintGamesPlayed;
  mintSummaryWins = aintGamesWon;
}

void FrmGameSummary::Form_Load() {
  trap("Form_Load", [&] {
    gsSizeFormClient(0, 0, kDesignWidth + kMargin, kDesignHeight + kMargin - 20, *this);
    frame_.move(0, 0, scaleWidth(), scaleHeight());
    border_.move(0, 0, scaleWidth(), scaleHeight());
    centreOverTable(*this);
    msClearGameSummary();
    msDisplayGameSummary();
  });
}

void FrmGameSummary::Form_KeyPress(std::int16_t& keyAscii) {
  if (keyAscii == rt::vbKeyReturn || keyAscii == rt::vbKeyEscape) unload();
}

void FrmGameSummary::Form_Unload(std::int16_t&) {
  gsReleaseObjects(frmGameSummary);
}

void FrmGameSummary::msClearGameSummary() {
  for (rt::Panel3D& panel : pnlGameSummary) panel.setCaption("");
}

void FrmGameSummary::msDisplayGameSummary() {
  trap("msDisplayGameSummary", [&] {
    pnlGameSummary[0].setCaption(std::to_string(mintSummaryRounds));
    pnlGameSummary[1].setCaption(std::to_string(mintSummaryGames));
    pnlGameSummary[2].setCaption(std::to_string(mintSummaryWins));
    // No hands played has no percentage: the error is reported and the panel stays empty.
    if (mintSummaryGames == 0) raiseError(kDivisionByZero);
    const double percentage = static_cast<double>(mintSummaryWins) / mintSummaryGames * 100;
    // Two decimals, a half going to the even digit (the default rounding of nearbyint).
    const auto hundredths = static_cast<long long>(std::nearbyint(percentage * 100));
    pnlGameSummary[3].setCaption(shortestForm(hundredths) + "%");
  });
}

}  // namespace velloran
