#include "support/table_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "runtime/keys.h"

namespace velloran {
namespace {

using rt::pressKeys;

using TableWindow = velloran::testing::TableWindowTest;

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
  // The first tick of a run comes 500 ms after the deal; it brings a tile into row 1 (how
  // it looks there is the business of the table's pictures).
  serveFor(0.49);
  EXPECT_EQ(game().mintRow, -1);
  serveFor(0.02);
  EXPECT_EQ(game().mintRow, 1);
  EXPECT_EQ(game().mintCol, 5);
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
