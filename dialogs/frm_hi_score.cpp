#include "dialogs/frm_hi_score.h"

#include <string>

#include "base/trap.h"
#include "dialogs/dialog_layout.h"
#include "dialogs/high_scores.h"
#include "runtime/keys.h"
#include "runtime/text.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

const rt::Font kTableFont{"Times New Roman", 12, true};
constexpr rt::Colour kShadow = rt::rgb(64, 64, 64);
constexpr rt::Colour kInk = rt::rgb(0, 0, 0);

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

FrmHiScore::FrmHiScore() : rt::Form("frmHiScore") {
  setBorderStyle(rt::BorderStyle::None);
  setClientSize(499, 350);
}

void FrmHiScore::Form_Load() {
  const rt::Picture sheet = rt::loadResourcePicture("bitmap104");
  // What the sizing adds beyond the sheet continues its outer frame.
  surface().setBackColour(sheet.pixel(0, sheet.height() - 1));
  setPicture(sheet);
  gsSizeFormClient(0, 0, scaleWidth(), scaleHeight() - 20, *this);
  centreOverTable(*this);
  msInitPrtPsns();
  msPrintHiScores();
}

void FrmHiScore::Form_KeyPress(std::int16_t& keyAscii) {
  if (keyAscii == rt::vbKeyReturn || keyAscii == rt::vbKeyEscape) unload();
}

void FrmHiScore::Form_Unload(std::int16_t&) {
  gsReleaseObjects(frmHiScore);
}

void FrmHiScore::msInitPrtPsns() {
  trap("msInitPrtPsns", [&] {
    for (int i = 1; i <= 5; ++i) {
      const auto y = static_cast<std::int16_t>(138 + 32 * (i - 1));
      mudtNamePsns[i] = {66, y};
      mudtRoundsPsns[i] = {230, y};
      mudtLevelPsns[i] = {322, y};
      mudtScorePsns[i] = {445, y};
    }
  });
}

void FrmHiScore::msPrintHiScores() {
  trap("msPrintHiScores", [&] {
    // The file, when there is one, is what the sheet shows; else the table in memory.
    if (hiScoreFileExists()) gblnfReadHiScoreFile();
    for (int i = 1; i <= 5; ++i) {
      const typHiScore& entry = gudtHiScores[i];
      if (entry.Score == 0) continue;
      const std::string name = trimmed(entry.Name);
      const std::string rounds = std::to_string(entry.RoundsPlayed);
      const std::string level = std::to_string(entry.Level);
      const std::string score = std::to_string(entry.Score);
      // A dark grey copy one pixel up and to the left, under the black.
      for (const int d : {1, 0}) {
        const auto print = [&](int x, int y, const std::string& text) {
          gsPrintText(*this, static_cast<std::int16_t>(x - d), static_cast<std::int16_t>(y - d),
                      text, d == 1 ? kShadow : kInk, kTableFont.name, kTableFont.points,
                      kTableFont.bold);
        };
        print(mudtNamePsns[i].X, mudtNamePsns[i].Y, name);
        print(mudtRoundsPsns[i].X, mudtRoundsPsns[i].Y, rounds);
        print(mudtLevelPsns[i].X, mudtLevelPsns[i].Y, level);
        // The score's position is its right edge.
        print(mudtScorePsns[i].X - rt::textWidth(kTableFont, score), mudtScorePsns[i].Y, score);
      }
    }
    refresh();
  });
}

}  // namespace velloran
