#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/random.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_break_down.h"
#include "dialogs/frm_choose_seat.h"
#include "dialogs/frm_choose_tiles.h"
#include "dialogs/frm_game_summary.h"
#include "dialogs/frm_get_name.h"
#include "dialogs/frm_hi_score.h"
#include "dialogs/frm_rounds_setting.h"
#include "runtime/keys.h"
#include "support/headless_app.h"
#include "table/frm_main.h"
#include "table/help.h"
#include "windows/frm_bitmaps.h"
#include "windows/tile_sprites.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

using rt::pressKeys;

class TableWindow : public velloran::testing::HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    folder = std::filesystem::path(::testing::TempDir()) /
             ("velloran_table_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    // The help is looked for in the working folder first: make that the game's folder too.
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    // The game's own files beside it, as the build puts them beside the executable.
    for (const char* file : {"quiven1.mid", "Thunder2.wav"}) {
      std::filesystem::copy_file(std::filesystem::path(VELLORAN_BINARY_DIR) / file, folder / file);
    }
    app().setProgramFolder(folder.string());
    installErrorReporter();
    pinRandom(20261210);
    frmMain->show();
  }
  void TearDown() override {
    closeHelp();
    gsReleaseObjects(frmAbout, frmBitmaps, frmBreakDown, frmChooseSeat, frmChooseTiles,
                     frmGameSummary, frmGetName, frmHiScore, frmRoundsSetting, frmMain);
    app().doEvents();
    setErrorReporter(nullptr);
    unpinRandom();
    std::filesystem::current_path(previousFolder);
    std::filesystem::remove_all(folder);
  }

  FrmMain& table() { return *frmMain; }
  GameEngine& game() { return frmMain->game; }
  void click(int place) { table().tbrVLR_ButtonClick(place); }
  void startAnew() {
    headless->script("frmChooseSeat", pressKeys({rt::vbKeyReturn}));
    click(1);
  }
  // Standing answers for every dialog a game opens.
  void answerEveryDialog() {
    headless->respond("frmChooseTiles", pressKeys({rt::vbKeyReturn}));
    headless->respond("frmBreakDown", pressKeys({rt::vbKeyReturn}));
    headless->respond("frmGameSummary", pressKeys({rt::vbKeyReturn}));
    headless->respond("frmHiScore", pressKeys({rt::vbKeyReturn}));
    auto name = rt::typeText("Tester");
    const auto enter = pressKeys({rt::vbKeyReturn});
    name.insert(name.end(), enter.begin(), enter.end());
    headless->respond("frmGetName", name);
  }
  void serveFor(double seconds) { app().serveUntil(now() + seconds); }
  std::string toolTip(int place) { return table().tbrVLR.buttons[place - 1].toolTipText; }
  bool noErrors() {
    for (const auto& box : headless->messageBoxes()) ADD_FAILURE() << box.title << ": " << box.text;
    return headless->messageBoxes().empty();
  }

  std::filesystem::path folder;
  std::filesystem::path previousFolder;
};

TEST_F(TableWindow, StartUpShowsTheBareTableWithTheDefaultOptions) {
  EXPECT_TRUE(noErrors());
  EXPECT_FALSE(game().mblnShowNextTile);
  EXPECT_TRUE(game().mblnMusicOn);
  EXPECT_TRUE(game().mblnShowBreakDown);
  EXPECT_EQ(game().mlngLevel, 1);
  EXPECT_TRUE(table().mnuLevelItem[1].checked);
  EXPECT_TRUE(game().mblnChineseIndicator);
  EXPECT_EQ(gintNumRounds, 4);
  EXPECT_EQ(game().mlngRoundWind, 0);
  EXPECT_FALSE(table().Timer1.enabled());
  EXPECT_EQ(table().Timer1.interval(), 500);
  EXPECT_EQ(table().scaleWidth(), 795);
  EXPECT_EQ(table().scaleHeight(), 581);
  EXPECT_EQ(game().mintLightningW, 200);
  EXPECT_EQ(game().mintLightningH, 233);

  const std::vector<std::string> tips = {"Start Anew",
                                         "Level:Easy",
                                         "Break Down:On",
                                         "Music:On",
                                         "High Scores",
                                         "Rounds Setting",
                                         "Round:(In Chinese)",
                                         "Peek:Off",
                                         "Pause",
                                         "Stop",
                                         "About Velloran...",
                                         "Help",
                                         "",
                                         "Exit"};
  for (int place = 1; place <= 14; ++place) EXPECT_EQ(toolTip(place), tips[place - 1]);
  // Exit ends exactly at the window's right edge.
  EXPECT_EQ(table().tbrVLR.buttonLeft(14) + table().tbrVLR.buttons[13].width, 795);

  // Below the toolbar the window shows the table picture itself: no tiles, seats or indicator.
  const rt::Picture picture = rt::loadResourcePicture("bitmap101");
  const rt::Picture& shown = headless->shown("frmMain");
  int different = 0;
  for (int y = table().tbrVLR.height; y < 581; ++y) {
    for (int x = 0; x < 795; ++x) different += shown.pixel(x, y) != picture.pixel(x, y);
  }
  EXPECT_EQ(different, 0);
}

TEST_F(TableWindow, WithoutItsSongTheGameStartsAndPlaysSilently) {
  gsReleaseObjects(frmBitmaps, frmMain);
  app().doEvents();
  std::filesystem::remove(folder / "quiven1.mid");
  frmMain->show();
  ASSERT_EQ(headless->messageBoxes().size(), 1u);
  EXPECT_EQ(headless->messageBoxes()[0].title, "Error In gblnfInitMCI");
  EXPECT_FALSE(game().mblnMciOK);
  EXPECT_EQ(toolTip(8), "Peek:Off") << "start-up went on after the music";
  startAnew();
  click(4);
  click(4);
  click(10);
  EXPECT_EQ(headless->messageBoxes().size(), 1u) << "nothing more is reported";
  EXPECT_EQ(table().mmcVLR.updateInterval(), 0);
  EXPECT_TRUE(game().mblnGameRunning);
}

TEST_F(TableWindow, OptionButtonsFlipTheirSettingAndTheirTooltipOnly) {
  const struct {
    int place;
    std::string after;
  } cases[] = {{3, "Break Down:Off"}, {4, "Music:Off"}, {7, "Round:(In English)"}, {8, "Peek:On"}};
  for (const auto& c : cases) {
    click(c.place);
    EXPECT_EQ(toolTip(c.place), c.after);
  }
  EXPECT_FALSE(game().mblnShowBreakDown);
  EXPECT_FALSE(game().mblnMusicOn);
  EXPECT_FALSE(game().mblnChineseIndicator);
  EXPECT_TRUE(game().mblnShowNextTile);
  EXPECT_EQ(table().mmcVLR.updateInterval(), 0) << "no music before the first game";
  EXPECT_TRUE(noErrors());
}

TEST_F(TableWindow, TheLevelMenuChecksOneItemAndTheButtonNamesIt) {
  headless->script("mnuLevel",
                   pressKeys({rt::vbKeyDown, rt::vbKeyDown, rt::vbKeyDown, rt::vbKeyReturn}));
  click(2);
  EXPECT_EQ(game().mlngLevel, 3);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(table().mnuLevelItem[i].checked, i == 3);
  EXPECT_EQ(toolTip(2), "Level:Hard");
  headless->script("mnuLevel", pressKeys({rt::vbKeyEscape}));
  click(2);
  EXPECT_EQ(game().mlngLevel, 3);
  EXPECT_EQ(toolTip(2), "Level:Hard");
  // The menu event is a handler of its own: it reports its own failure.
  table().mnuLevelItem_Click(6);
  ASSERT_EQ(headless->messageBoxes().size(), 1u);
  EXPECT_EQ(headless->messageBoxes()[0].title, "Error In mnuLevelItem_Click");
}

TEST_F(TableWindow, PauseWaitsForTheFirstGameAndThenTogglesTheTick) {
  click(9);
  EXPECT_FALSE(table().Timer1.enabled()) << "no hand to tick on before the first game";
  startAnew();
  ASSERT_TRUE(table().Timer1.enabled());
  click(9);
  EXPECT_FALSE(table().Timer1.enabled());
  click(9);
  EXPECT_TRUE(table().Timer1.enabled());
  click(10);  // Stop: the tick and the music stop, the game does not end
  EXPECT_FALSE(table().Timer1.enabled());
  EXPECT_TRUE(game().mblnGameRunning);
  EXPECT_EQ(table().mmcVLR.updateInterval(), 0);
  click(9);
  EXPECT_TRUE(table().Timer1.enabled()) << "after Stop, Pause lets the hand go on";
}

TEST_F(TableWindow, StartAnewDrawsASeatAndDealsTheFirstHandWithMusic) {
  startAnew();
  EXPECT_TRUE(noErrors());
  EXPECT_GE(game().mlngPlayerSeat, 1);
  EXPECT_LE(game().mlngPlayerSeat, 4);
  EXPECT_EQ(game().mlngHouse, 1);
  EXPECT_EQ(game().mlngRoundWind, 1);
  EXPECT_TRUE(game().mblnGameRunning);
  EXPECT_TRUE(table().Timer1.enabled());
  EXPECT_FALSE(frmChooseSeat) << "the seat draw's instance is let go";
  EXPECT_EQ(table().mmcVLR.updateInterval(), 55) << "the music starts at the next status event";
  // The first tick of a run comes 500 ms after the deal; it brings a tile into row 1,
  // column 5, face-on.
  serveFor(0.49);
  EXPECT_EQ(game().mintRow, -1);
  serveFor(0.02);
  ASSERT_EQ(game().mintRow, 1);
  rt::Picture expected = table().picWork;
  const typCell& cell = game().mudtCellTable(1, 5);
  rt::BitBlt(expected, cell.X, cell.Y, 30, 39, table().picBlank, 0, 0, rt::SRCCOPY);
  drawTileFace(expected, cell.X, cell.Y, game().mintTileKindOf[game().mintCurrTile], 0);
  EXPECT_TRUE(expected == table().picWork);
  std::int16_t right = rt::vbKeyRight;
  table().Form_KeyDown(right, 0);
  EXPECT_EQ(game().mintCol, 6);
  // Steered right of the centre, the tile shows the view with its right edge.
  rt::Picture steered = table().picWork;
  const typCell& moved = game().mudtCellTable(1, 6);
  drawTileFace(steered, moved.X, moved.Y, game().mintTileKindOf[game().mintCurrTile], 39);
  EXPECT_TRUE(steered == table().picWork);
}

TEST_F(TableWindow, AWholeGamePlaysThroughTheWindowToTheHighScores) {
  gintNumRounds = 1;
  answerEveryDialog();
  startAnew();
  int guard = 0;
  while (game().mblnGameRunning && ++guard < 2'000'000) app().serveNext();
  EXPECT_FALSE(game().mblnGameRunning);
  EXPECT_FALSE(table().Timer1.enabled());
  EXPECT_TRUE(game().mblnInTick) << "every later tick returns at once";
  EXPECT_EQ(game().mintRoundsPlayed, 1);
  EXPECT_GE(game().mintGamesPlayed, 4);
  EXPECT_TRUE(noErrors());
  const auto file = folder / "HiScore.dat";
  if (game().mlngScore > 0) {
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::file_size(file), 90u);
    std::ifstream in(file, std::ios::binary);
    std::string name(10, '\0');
    in.read(name.data(), 10);
    EXPECT_EQ(name, "Tester    ");
  }
  EXPECT_EQ(table().mmcVLR.updateInterval(), 0) << "the music stops at the end of a game";
}

TEST_F(TableWindow, LightningFlashesForOneTickAndThunderFollows) {
  startAnew();
  const rt::Picture blank = frmBitmaps->picBlankLightning;
  game().mlngLastLightning -= 61;  // a minute has passed since the hand began
  int guard = 0;
  while (!game().mblnLightningShown && ++guard < 10'000) app().serveNext();
  ASSERT_TRUE(game().mblnLightningShown);
  const auto areaDiffers = [&] {
    int differ = 0;
    const rt::Picture& shown = headless->shown("frmMain");
    for (int y = 40; y < 233; ++y) {
      for (int x = 0; x < 200; x += 3) differ += shown.pixel(580 + x, y) != blank.pixel(x, y);
    }
    return differ;
  };
  EXPECT_GT(areaDiffers(), 500) << "the bolt is on the window";
  std::int16_t key = rt::vbKeyA;  // any key while the tick runs puts the flash out
  table().Form_KeyDown(key, 0);
  EXPECT_FALSE(game().mblnLightningShown);
  EXPECT_EQ(areaDiffers(), 0);
}

TEST_F(TableWindow, HighScoresDuringAPausedGameLetTheHandGoOnAfterwards) {
  startAnew();
  click(9);
  ASSERT_FALSE(table().Timer1.enabled());
  headless->script("frmHiScore", pressKeys({rt::vbKeyEscape}));
  click(5);
  EXPECT_TRUE(table().Timer1.enabled());
  EXPECT_FALSE(frmHiScore);
}

TEST_F(TableWindow, HelpSaysWhenItsFileIsMissingAndOpensOnTheScreen) {
  click(12);
  ASSERT_EQ(headless->messageBoxes().size(), 1u);
  EXPECT_EQ(headless->messageBoxes()[0].text, "Cannot find the VLR.hlp file.");
  std::ofstream(folder / "VLR.hlp") << "# Velloran\nHow to play.\n";
  click(12);
  EXPECT_EQ(headless->messageBoxes().size(), 1u);
  EXPECT_GT(headless->presentCount("frmHelp"), 0);
  // The table is centred on a 1024 x 768 screen: there is no room beside it.
  const rt::Form* help = app().activeForm();
  ASSERT_TRUE(help && help->name() == "frmHelp");
  EXPECT_GE(help->left(), 0);
  EXPECT_LE(help->left() + help->width(), 1024) << "the help lies wholly on the screen";
  EXPECT_LE(help->top() + help->height(), 768);
}

TEST_F(TableWindow, ExitEndsTheProgramAndReleasesEveryWindow) {
  startAnew();
  EXPECT_THROW(click(14), rt::ProgramEnded);
  EXPECT_FALSE(frmMain);
  EXPECT_FALSE(frmBitmaps);
  EXPECT_FALSE(std::filesystem::exists(folder / "HiScore.dat")) << "nothing is saved at exit";
}

}  // namespace
}  // namespace velloran
