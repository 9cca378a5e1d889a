#include "table/frm_main.h"

#include "base/checked_math.h"
#include "base/trap.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_break_down.h"
#include "dialogs/frm_choose_seat.h"
#include "dialogs/frm_choose_tiles.h"
#include "dialogs/frm_game_summary.h"
#include "dialogs/frm_get_name.h"
#include "dialogs/frm_hi_score.h"
#include "dialogs/frm_rounds_setting.h"
#include "dialogs/high_scores.h"
#include "runtime/app.h"
#include "runtime/timing_trace.h"
#include "table/help.h"
#include "windows/frm_bitmaps.h"
#include "windows/game_files.h"
#include "windows/table_window.h"
#include "windows/window_helpers.h"

namespace velloran {

FrmMain::FrmMain() : rt::Form("frmMain"), Timer1([this] { Timer1_Timer(); }, 500), tbrVLR(*this) {
  setCaption("Velloran");
  setBorderStyle(rt::BorderStyle::FixedSingle);
  tbrVLR.buttons.resize(14);
  tbrVLR.onButtonClick = [this](int place) { tbrVLR_ButtonClick(place); };
  mmcVLR.onStatusUpdate = [this] { mmcVLR_StatusUpdate(); };
  const char* const levels[] = {"Easy", "Medium", "Hard", "Very Hard", "Super Hard"};
  for (int index = 1; index <= 5; ++index) mnuLevelItem[index].caption = levels[index - 1];
  mnuLevelItem[1].checked = true;
  setTableWindow(this);
}

FrmMain::~FrmMain() {
  setTableWindow(nullptr);
}

void FrmMain::Form_Load() {
  trap("Form_Load", [&] {
    picWork.setBackground(rt::loadResourcePicture("bitmap101"));
    frmBitmaps->load();
    FrmBitmaps& bitmaps = *frmBitmaps;
    rt::BitBlt(bitmaps.picBlankLightning, 0, 0, bitmaps.picBlankLightning.width(),
               bitmaps.picBlankLightning.height(), picWork, 580, 0, rt::SRCCOPY);
    game.mintLightningW = narrowChecked<std::int16_t>(bitmaps.picBlankLightning.width());
    game.mintLightningH = narrowChecked<std::int16_t>(bitmaps.picBlankLightning.height());
    setPicture(picWork);
    picWork.clearDamage();  // the window starts as the work picture is: nothing to copy yet
    gsSizeFormClient(0, 0, 794, 560, *this);

    // The button pictures, one per button but the spacer; Exit ends at the right edge.
    for (int place = 1; place <= 14; ++place) {
      if (place == 13) continue;
      const std::string name =
          std::string("toolbar") + (place < 10 ? "0" : "") + std::to_string(place);
      tbrVLR.buttons[place - 1].picture = rt::loadResourcePicture(name);
    }
    tbrVLR.width = scaleWidth();
    const int exitWidth = tbrVLR.buttons[13].width;
    tbrVLR.buttons[12].width =
        tbrVLR.width - (static_cast<int>(tbrVLR.buttons.size()) - 1) * exitWidth;

    gsCenterForm(*this);
    rt::BitBlt(picBlankNextTile, 0, 0, 30, 39, picWork, 474, 44, rt::SRCCOPY);
    msAssignSeatPsns();
    game.mblnMciOK = gblnfInitMCI(mmcVLR, true, false, 0, gameFilePath("quiven1.mid"), "Sequencer");
    game.msInitVar();
    game.mblnMusicOn = true;
    game.mblnShowBreakDown = true;
    game.mlngLevel = 1;
    game.mblnChineseIndicator = true;
    gintNumRounds = 4;
    msSetToolTipText();
  });
}

void FrmMain::Form_Unload(std::int16_t&) {
  msShutDown();
}

void FrmMain::msShutDown() {
  ignoreErrors([&] {
    if (mmcVLR.mode() == rt::kModeOpen) mmcVLR.setCommand("Close");
  });
  gsReleaseObjects(frmAbout, frmBitmaps, frmBreakDown, frmChooseSeat, frmChooseTiles,
                   frmGameSummary, frmGetName, frmHiScore, frmRoundsSetting, frmMain);
  ignoreErrors([&] { closeHelp(); });
  rt::App::instance().end();
}

void FrmMain::Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) {
  game.Form_KeyDown(keyCode, shift);
}

void FrmMain::Timer1_Timer() {
  const rt::timing::Span span("tick");
  game.Timer1_Timer();
}

bool FrmMain::mblnfHiScore() {
  return velloran::mblnfHiScore(game);
}

void FrmMain::clearWork() {
  picWork.clear();
}

void FrmMain::eraseFallingTile(std::int16_t x, std::int16_t y) {
  rt::BitBlt(picWork, x, y, picBlank.width(), picBlank.height(), picBlank, 0, 0, rt::SRCCOPY);
}

void FrmMain::printOnWork(std::int16_t x, std::int16_t y, const std::string& text,
                          std::int32_t colour, const std::string& fontName, std::int16_t fontSize,
                          bool bold) {
  gsPrintText(picWork, x, y, text, static_cast<rt::Colour>(colour), fontName, fontSize, bold);
}

// The window's surface is drawn on only here, from picWork: only what changed there since
// the last copy needs copying and showing.
void FrmMain::copyToWindow(int x, int y, int width, int height) {
  rt::copyChanges(surface(), picWork, {x, y, width, height});
  refreshChanges();
}

void FrmMain::presentWork() {
  copyToWindow(0, 0, picWork.width(), picWork.height());
}

SetChoice FrmMain::chooseSet(const DynamicArray<std::int16_t>& aintCurrRow,
                             const DynamicArray<std::int16_t>& aintLeftMostCol) {
  frmChooseTiles->msLoadFormVariables(aintCurrRow, aintLeftMostCol);
  frmChooseTiles->showModal();
  SetChoice choice;
  choice.col = frmChooseTiles->mprpCellTableCol();
  choice.row = frmChooseTiles->mprpCellTableRow();
  choice.numTiles = frmChooseTiles->mprpNumTiles();
  gsReleaseObjects(frmChooseTiles);
  return choice;
}

void FrmMain::showBreakDown() {
  frmBreakDown->showModal();
}

void FrmMain::showGameSummary(std::int16_t aintRoundsPlayed, std::int16_t aintGamesPlayed,
                              std::int16_t aintGamesWon) {
  frmGameSummary->msLoadFormVariables(aintRoundsPlayed, aintGamesPlayed, aintGamesWon);
  frmGameSummary->showModal();
}

void FrmMain::showHiScores() {
  frmHiScore->showModal();
}

void FrmMain::doEvents() {
  rt::DoEvents();
}

}  // namespace velloran
