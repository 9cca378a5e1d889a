#pragma once
// The table window: the program's one main window. It owns the game (the engine holds
// the game state), draws the table off screen and copies it to the window, carries the
// commands of the toolbar and the Level menu, flashes the lightning and plays the music.

#include <cstdint>
#include <string>

#include "base/bounded_array.h"
#include "engine/engine.h"
#include "engine/table_window_port.h"
#include "engine/tiles.h"
#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"
#include "runtime/music_device.h"
#include "runtime/picture.h"
#include "runtime/popup_menu.h"
#include "runtime/timer.h"

namespace velloran {

class FrmMain : public rt::Form, public TableWindowPort {
 public:
  FrmMain();
  ~FrmMain() override;

  // Window events.
  void Form_Load() override;
  void Form_Unload(std::int16_t& cancel) override;
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) override;
  void Timer1_Timer();
  void tbrVLR_ButtonClick(int place);
  void mnuLevelItem_Click(std::int16_t index);
  void mmcVLR_StatusUpdate();

  // The game: its rules and state.
  GameEngine game{*this};

  // Controls.
  rt::Picture picWork;                   // the off-screen table, 800 x 600
  rt::Picture picBlank{30, 39};          // the background under the falling tile
  rt::Picture picBlankNextTile{30, 39};  // the empty next-tile box
  rt::Timer Timer1;
  rt::Toolbar tbrVLR;
  rt::MultimediaControl mmcVLR;
  BoundedArray<rt::MenuItem, 1, 5> mnuLevelItem;
  BoundedArray<std::string, 0, 13> mstrToolTips;

  // The seats round the table panel.
  BoundedArray<std::string, 1, 4> mstrSeatNames;
  BoundedArray<typPosition, 1, 4> mudtSeatLabelPsns;
  BoundedArray<typPosition, 1, 4> mudtHouseMarkPsns;

  // Drawing (the engine calls these too).
  void msDrawTile() override;
  void msDrawPlayArea() override;
  void msDrawEarnedTiles() override;
  void msDrawNexTile() override;
  void msDrawRound() override;
  void msDrawSeats() override;
  void msDrawHouseIndicator();
  void msGenerateLightning() override;
  void msDrawLightning() override;
  void msAssignSeatPsns();
  void msSetToolTipText();

  // Music.
  void msToggleMusic();
  void mmcVLR_PlayClick(std::int16_t ignored);
  void mmcVLR_StopClick() override;
  void mmcVLR_StopClick(std::int16_t ignored);

  // The rest of what the rules ask of the window.
  bool mblnfHiScore() override;
  void clearWork() override;
  void eraseFallingTile(std::int16_t x, std::int16_t y) override;
  void printOnWork(std::int16_t x, std::int16_t y, const std::string& text, std::int32_t colour,
                   const std::string& fontName, std::int16_t fontSize, bool bold) override;
  void presentWork() override;
  SetChoice chooseSet(const DynamicArray<std::int16_t>& aintCurrRow,
                      const DynamicArray<std::int16_t>& aintLeftMostCol) override;
  void showBreakDown() override;
  void showGameSummary(std::int16_t aintRoundsPlayed, std::int16_t aintGamesPlayed,
                       std::int16_t aintGamesWon) override;
  void showHiScores() override;
  bool timerEnabled() const override { return Timer1.enabled(); }
  void setTimerEnabled(bool enabled) override { Timer1.setEnabled(enabled); }
  std::int32_t timerInterval() const override { return Timer1.interval(); }
  void setTimerInterval(std::int32_t milliseconds) override { Timer1.setInterval(milliseconds); }
  void doEvents() override;

 private:
  [[noreturn]] void msShutDown();
  void startAnew();
  void copyToWindow(int x, int y, int width, int height);
  std::string toolTipFor(int place) const;
};

// Sets up the music device and opens the song; False when it cannot.
bool gblnfInitMCI(rt::MultimediaControl& device, bool firstSetting, bool secondSetting,
                  std::int16_t interval, const std::string& fileName,
                  const std::string& deviceType);

inline rt::FormInstance<FrmMain> frmMain;

}  // namespace velloran
