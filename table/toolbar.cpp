// The toolbar's commands and the Level menu.

#include "base/trap.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_choose_seat.h"
#include "dialogs/frm_hi_score.h"
#include "dialogs/frm_rounds_setting.h"
#include "runtime/app.h"
#include "runtime/text.h"
#include "table/frm_main.h"
#include "table/help.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

enum Place {
  kStartAnew = 1,
  kLevel = 2,
  kBreakDown = 3,
  kMusic = 4,
  kHighScores = 5,
  kRoundsSetting = 6,
  kRound = 7,
  kPeek = 8,
  kPause = 9,
  kStop = 10,
  kAbout = 11,
  kHelp = 12,
  kSpacer = 13,
  kExit = 14,
};

const char* onOff(bool on) {
  return on ? "On" : "Off";
}

}  // namespace

std::string FrmMain::toolTipFor(int place) const {
  const std::string& base = mstrToolTips[place - 1];
  switch (place) {
    case kLevel:
      return base + mnuLevelItem[static_cast<int>(game.mlngLevel)].caption;
    case kBreakDown:
      return base + onOff(game.mblnShowBreakDown);
    case kMusic:
      return base + onOff(game.mblnMusicOn);
    case kRound:
      return base + (game.mblnChineseIndicator ? "(In Chinese)" : "(In English)");
    case kPeek:
      return base + onOff(game.mblnShowNextTile);
    default:
      return base;
  }
}

void FrmMain::msSetToolTipText() {
  trap("msSetToolTipText", [&] {
    const char* const texts[] = {
        "Start Anew", "Level:", "Break Down:", "Music:", "High Scores",       "Rounds Setting",
        "Round:",     "Peek:",  "Pause",       "Stop",   "About Velloran...", "Help",
        "",           "Exit"};
    for (int i = 0; i <= 13; ++i) mstrToolTips[i] = texts[i];
    for (int place = 1; place <= 14; ++place) {
      tbrVLR.buttons[place - 1].toolTipText = toolTipFor(place);
    }
  });
}

void FrmMain::tbrVLR_ButtonClick(int place) {
  trap("tbrVLR_ButtonClick", [&] {
    auto setOwnToolTip = [&] { tbrVLR.buttons[place - 1].toolTipText = toolTipFor(place); };
    // High scores and about stop a running game's tick while they are open.
    auto showPausingTheGame = [&](rt::Form& dialog) {
      if (game.mblnGameRunning) Timer1.setEnabled(false);
      dialog.showModal();
      if (game.mblnGameRunning) Timer1.setEnabled(true);
    };
    switch (place) {
      case kStartAnew:
        startAnew();
        break;
      case kLevel: {
        std::vector<rt::MenuItem> items(mnuLevelItem.begin(), mnuLevelItem.end());
        const int chosen = rt::popupMenu(*this, "mnuLevel", items, mouseX(), mouseY());
        if (chosen) mnuLevelItem_Click(static_cast<std::int16_t>(chosen));
        setOwnToolTip();
        break;
      }
      case kBreakDown:
        game.mblnShowBreakDown = !game.mblnShowBreakDown;
        setOwnToolTip();
        break;
      case kMusic:
        game.mblnMusicOn = !game.mblnMusicOn;
        setOwnToolTip();
        msToggleMusic();
        break;
      case kHighScores:
        showPausingTheGame(*frmHiScore);
        break;
      case kRoundsSetting:
        frmRoundsSetting->showModal();
        break;
      case kRound:
        game.mblnChineseIndicator = !game.mblnChineseIndicator;
        setOwnToolTip();
        msDrawRound();
        msDrawHouseIndicator();
        break;
      case kPeek:
        game.mblnShowNextTile = !game.mblnShowNextTile;
        setOwnToolTip();
        msDrawNexTile();
        break;
      case kPause:
        // Before the first game there is no hand for a tick to work on.
        if (game.mlngRoundWind != 0) Timer1.setEnabled(!Timer1.enabled());
        break;
      case kStop:
        Timer1.setEnabled(false);
        mmcVLR_StopClick(0);
        game.msSetStopped(true);
        break;
      case kAbout:
        showPausingTheGame(*frmAbout);
        break;
      case kHelp:
        showHelpIndex(*this);
        break;
      case kSpacer:
        break;
      case kExit:
        unload();
        break;
      default:
        break;
    }
  });
}

void FrmMain::startAnew() {
  Timer1.setEnabled(false);
  game.msSetStopped(false);
  // The table's first hand writes the seats' names: its fonts open while the player draws
  // a seat, not in the middle of the deal.
  rt::App::instance().whenIdle([] {
    rt::prepareFont({"Wonton ICG", 18, false});
    rt::prepareFont({"Wonton ICG", 18, true});
  });
  frmChooseSeat->showModal();
  const std::int32_t seat = frmChooseSeat->mprpSeat();
  frmChooseSeat.release();
  game.startGame(seat);
  msToggleMusic();
}

void FrmMain::mnuLevelItem_Click(std::int16_t index) {
  trap("mnuLevelItem_Click", [&] {
    game.mlngLevel = index;
    mnuLevelItem[index].checked = true;
    for (int i = 1; i <= 5; ++i) {
      if (i != index) mnuLevelItem[i].checked = false;
    }
  });
}

}  // namespace velloran
