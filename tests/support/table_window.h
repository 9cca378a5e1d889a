#pragma once
// The table window, headless, in a folder of its own with the game's song and thunder
// beside it: what a player starts, with the random stream pinned so that a game plays the
// same way every run.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/random.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_break_down.h"
#include "dialogs/frm_choose_seat.h"
#include "dialogs/frm_choose_tiles.h"
#include "dialogs/frm_game_summary.h"
#include "dialogs/frm_get_name.h"
#include "dialogs/frm_hi_score.h"
#include "dialogs/frm_rounds_setting.h"
#include "engine/shared.h"
#include "runtime/keys.h"
#include "support/frame_log.h"
#include "support/headless_app.h"
#include "support/temp_folder.h"
#include "table/frm_main.h"
#include "table/help.h"
#include "windows/frm_bitmaps.h"
#include "windows/window_helpers.h"

namespace velloran::testing {

class TableWindowTest : public HeadlessApp {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<rt::HeadlessBackend>();
    headless = backend.get();
    auto log = std::make_unique<FrameLog>(std::move(backend), "frmMain");
    frames = log.get();
    app().setBackend(std::move(log));
    folder = scratch.path();
    ASSERT_FALSE(folder.empty());
    // The help is looked for in the working folder first: make that the game's folder too.
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    // The game's own files beside it, as the build puts them beside the executable.
    for (const char* file : {"quiven1.mid", "Thunder2.wav"}) {
      std::filesystem::copy_file(std::filesystem::path(VELLORAN_BINARY_DIR) / file, folder / file);
    }
    app().setProgramFolder(folder.string());
    installErrorReporter();
    pinRandom(seed());
    gintNumRounds = 4;
    beforeStart();
    frmMain->show();
  }
  void TearDown() override {
    closeHelp();
    gsReleaseObjects(frmAbout, frmBitmaps, frmBreakDown, frmChooseSeat, frmChooseTiles,
                     frmGameSummary, frmGetName, frmHiScore, frmRoundsSetting, frmMain);
    // The windows let go are deleted now, even after Exit has ended every loop: none may
    // outlive the test and take the next test's table window with it as it goes.
    app().shutdown();
    setErrorReporter(nullptr);
    unpinRandom();
    gintNumRounds = 4;
    std::filesystem::current_path(previousFolder);
  }
  // What a test changes in the game's folder before the program starts.
  virtual void beforeStart() {}
  virtual std::uint64_t seed() const { return 20261210; }

  FrmMain& table() { return *frmMain; }
  GameEngine& game() { return frmMain->game; }
  void click(int place) { table().tbrVLR_ButtonClick(place); }
  void startAnew() {
    headless->script("frmChooseSeat", rt::pressKeys({rt::vbKeyReturn}));
    click(1);
  }
  // Keys pressed at the table, served at once.
  void press(std::initializer_list<std::int16_t> keys) {
    headless->script("frmMain", rt::pressKeys(keys));
    while (!headless->scriptDone("frmMain")) app().doEvents();
  }
  // Standing answers for every dialog a game opens.
  void answerEveryDialog(const std::string& name = "Tester") {
    headless->respond("frmChooseTiles", rt::pressKeys({rt::vbKeyReturn}));
    headless->respond("frmBreakDown", rt::pressKeys({rt::vbKeyReturn}));
    headless->respond("frmGameSummary", rt::pressKeys({rt::vbKeyReturn}));
    headless->respond("frmHiScore", rt::pressKeys({rt::vbKeyReturn}));
    auto typed = rt::typeText(name);
    const auto enter = rt::pressKeys({rt::vbKeyReturn});
    typed.insert(typed.end(), enter.begin(), enter.end());
    headless->respond("frmGetName", typed);
  }
  int fallingKind() { return game().mintTileKindOf[game().mintCurrTile]; }
  // Serves the game until a new tile has been dealt into the top row.
  void untilDealt() {
    const int dealt = game().mintTilePtr;
    for (int guard = 0; guard < 100'000; ++guard) {
      if (game().mintRow == 1 && game().mintTilePtr != dealt) return;
      app().serveNext();
    }
    FAIL() << "no tile was dealt";
  }
  // Puts a tile of the kind on the table, as if it had landed there.
  void put(int row, int column, int kind) {
    placeTile(game().mudtTileKinds[kind], game().mudtCellTable(row, column));
  }
  void serveFor(double seconds) { app().serveUntil(now() + seconds); }
  // Serves the game until the window shows a new picture.
  void nextFrame() {
    const int before = headless->presentCount("frmMain");
    for (int guard = 0; guard < 100'000 && headless->presentCount("frmMain") == before; ++guard) {
      app().serveNext();
    }
  }
  // What the table window shows: only what was presented reaches it.
  const rt::Picture& window() { return frames->screen(); }
  std::string toolTip(int place) { return table().tbrVLR.buttons[place - 1].toolTipText; }
  bool noErrors() {
    for (const auto& box : headless->messageBoxes()) ADD_FAILURE() << box.title << ": " << box.text;
    return headless->messageBoxes().empty();
  }

  FrameLog* frames = nullptr;  // every picture the table window shows, when asked
  TempFolder scratch;
  std::filesystem::path folder;
  std::filesystem::path previousFolder;
};

}  // namespace velloran::testing
