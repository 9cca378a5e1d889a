// The fixed texts of the dialogs, and the values they show, as the player reads them: each in
// its place, font, size and colour, found in the pixels the dialog showed.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/frm_about.h"
#include "dialogs/frm_game_summary.h"
#include "dialogs/frm_get_name.h"
#include "dialogs/frm_hi_score.h"
#include "dialogs/frm_rounds_setting.h"
#include "dialogs/high_scores.h"
#include "engine/shared.h"
#include "runtime/keys.h"
#include "support/headless_app.h"
#include "support/pictures.h"
#include "support/temp_folder.h"
#include "table/frm_main.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

using testing::Area;
using testing::findText;

constexpr rt::Colour kBlack = rt::rgb(0, 0, 0);
constexpr rt::Colour kGrey = rt::rgb(192, 192, 192);
const rt::Font kTimes9{"Times New Roman", 9.75, true};
const rt::Font kTimes11{"Times New Roman", 11.25, true};
const rt::Font kTimes12{"Times New Roman", 12, true};
const rt::Font kTimes14{"Times New Roman", 14.25, true};

enum class Align { Left, Centred, Anywhere };

// One text on a panel: the panel's place in the dialog's client area, the text, and how it
// is printed. A caption too wide for its panel may be printed smaller, down by `smallerBy`
// points, and only then.
struct Caption {
  const char* what;
  Area panel;
  std::string text;
  rt::Font font;
  rt::Colour colour;
  Align align;
  const rt::Font* asked;  // the font the control asks for, where it has one
  int inset = 2;  // the panel's edges, which hold no text; less than 0 for a font taller than it
  double smallerBy = 0;
  bool alone = true;  // no other pixel of the colour on the panel
};

void expectCaption(const rt::Picture& shown, const Caption& c) {
  SCOPED_TRACE(c.what);
  const Area inside{c.panel.left + c.inset, c.panel.top + c.inset, c.panel.width - 2 * c.inset,
                    c.panel.height - 2 * c.inset};
  const testing::TextSeen seen =
      findText(shown, inside, c.text, c.font, c.colour, c.smallerBy, c.alone);
  ASSERT_TRUE(seen.found) << "\"" << c.text << "\" in " << c.font.name << " " << c.font.points
                          << (c.font.bold ? " bold" : "") << ", colour 0x" << std::hex << c.colour;
  if (seen.points < c.font.points) {
    EXPECT_GT(rt::textWidth(c.font, c.text), c.panel.width - 8) << "smaller, though it fits";
  }
  const rt::Font printed{c.font.name, seen.points, c.font.bold};
  const double middleY = seen.y + rt::textHeight(printed) / 2.0;
  const double middleX = seen.x + rt::textWidth(printed, c.text) / 2.0;
  if (c.align != Align::Anywhere) {
    EXPECT_NEAR(middleY, c.panel.top + c.panel.height / 2.0, 1.0) << "centred from top to bottom";
  }
  if (c.align == Align::Centred) {
    EXPECT_NEAR(middleX, c.panel.left + c.panel.width / 2.0, 1.0) << "centred from side to side";
  }
  if (c.align == Align::Left) {
    EXPECT_GE(seen.x - c.panel.left, 2) << "starts just inside the panel";
    EXPECT_LE(seen.x - c.panel.left, 6) << "starts just inside the panel";
  }
  if (c.asked) {
    EXPECT_EQ(c.asked->name, c.font.name);
  }
}

// Most of a dialog made of panels shows their light grey.
double greyShare(const rt::Picture& shown) {
  int grey = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) grey += shown.pixel(x, y) == kGrey;
  }
  return double(grey) / (shown.width() * shown.height());
}

class DialogTexts : public testing::HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    installErrorReporter();
    app().setProgramFolder(scratch.path());
    frmMain->setClientSize(795, 581);
    frmMain->move(37, 20);
    gintNumRounds = 4;
    for (typHiScore& entry : gudtHiScores) entry = typHiScore{};
  }
  void TearDown() override {
    gsReleaseObjects(frmAbout, frmGameSummary, frmGetName, frmHiScore, frmRoundsSetting, frmMain);
    HeadlessApp::TearDown();
    setErrorReporter(nullptr);
    app().setProgramFolder("");
  }
  // Shows the dialog and returns what its client area showed.
  const rt::Picture& showing(rt::Form& dialog) {
    dialog.show();
    app().doEvents();
    return headless->shown(dialog.name());
  }

  testing::TempFolder scratch;
};

TEST_F(DialogTexts, TheAboutBoxNamesTheGameAndItsMakersInTheirColours) {
  FrmAbout& about = *frmAbout;
  const rt::Picture& shown = showing(about);
  const rt::Colour red = rt::rgb(255, 0, 0), blue = rt::rgb(0, 0, 255);
  const Caption captions[] = {
      {"title",
       {40, 24, 193, 25},
       "Velloran v1.0",
       kTimes9,
       kBlack,
       Align::Centred,
       &about.SSPanel1[1].font},
      {"first label",
       {48, 64, 97, 17},
       "Programmed By:",
       kTimes9,
       kBlack,
       Align::Left,
       &about.SSPanel1[2].font,
       0},
      {"second label",
       {48, 88, 97, 17},
       "Graphics By:",
       kTimes9,
       kBlack,
       Align::Left,
       &about.SSPanel1[3].font,
       0},
      {"first name",
       {152, 64, 97, 17},
       about.SSPanel1[4].caption,
       kTimes9,
       red,
       Align::Left,
       &about.SSPanel1[4].font,
       0},
      {"second name",
       {152, 88, 97, 17},
       about.SSPanel1[5].caption,
       kTimes9,
       red,
       Align::Left,
       &about.SSPanel1[5].font,
       0},
      {"credits",
       {48, 112, 185, 16},
       about.pnlCopyright.caption,
       kTimes9,
       blue,
       Align::Left,
       &about.pnlCopyright.font,
       0},
  };
  for (const Caption& c : captions) expectCaption(shown, c);
  EXPECT_FALSE(about.SSPanel1[4].caption.empty());
  EXPECT_GT(greyShare(shown), 0.8);
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(DialogTexts, TheGameSummaryShowsItsLabelsAndValuesInTheirColours) {
  setenv("LC_ALL", "C", 1);  // the user's decimal separator: "."
  FrmGameSummary& summary = *frmGameSummary;
  summary.msLoadFormVariables(4, 16, 4);
  const rt::Picture& shown = showing(summary);
  const rt::Colour label = rt::rgb(192, 64, 0), value = rt::rgb(255, 128, 0);
  // The results table lies at (48, 72) of the dialog: (24, 32) inside the board at (24, 40).
  const auto row = [](int i) { return 72 + 16 + 32 * i; };
  const Caption captions[] = {
      {"heading",
       {120, 16, 110, 17},
       "Game Over...",
       kTimes14,
       kBlack,
       Align::Centred,
       &summary.SSPanel1(1).font,
       -4},
      {"board title",
       {70, 53, 208, 17},
       "+++ Game Summary +++",
       kTimes14,
       rt::rgb(0, 0, 255),
       Align::Centred,
       &summary.SSPanel1(7).font,
       -4},
      {"rounds label",
       {72, row(0), 145, 25},
       "# Of Rounds Played",
       kTimes12,
       label,
       Align::Left,
       &summary.SSPanel1(3).font,
       0},
      {"hands label",
       {72, row(1), 137, 25},
       "# Of Games Played",
       kTimes12,
       label,
       Align::Left,
       &summary.SSPanel1(4).font,
       0},
      {"wins label",
       {72, row(2), 137, 25},
       "# Of Games Won",
       kTimes12,
       label,
       Align::Left,
       &summary.SSPanel1(5).font,
       0},
      {"percentage label",
       {72, row(3), 145, 25},
       "Winning Percentage",
       kTimes12,
       label,
       Align::Left,
       &summary.SSPanel1(6).font,
       0},
      {"rounds",
       {224, row(0), 57, 25},
       "4",
       kTimes12,
       value,
       Align::Centred,
       &summary.pnlGameSummary[0].font},
      {"hands",
       {224, row(1), 57, 25},
       "16",
       kTimes12,
       value,
       Align::Centred,
       &summary.pnlGameSummary[1].font},
      {"wins",
       {224, row(2), 57, 25},
       "4",
       kTimes12,
       value,
       Align::Centred,
       &summary.pnlGameSummary[2].font},
      {"percentage",
       {224, row(3), 57, 25},
       "25%",
       kTimes12,
       value,
       Align::Centred,
       &summary.pnlGameSummary[3].font},
  };
  for (const Caption& c : captions) expectCaption(shown, c);
  EXPECT_GT(greyShare(shown), 0.8);
  unsetenv("LC_ALL");
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(DialogTexts, TheRoundsDialogNamesWhatItSetsAndShowsTheNumber) {
  FrmRoundsSetting& rounds = *frmRoundsSetting;
  const rt::Picture& shown = showing(rounds);
  const rt::Font panels{"Wonton ICG", 14.25, false};
  const rt::Font buttons{"Wonton ICG", 12, false};
  const Caption captions[] = {
      // Its number stands beside it in the same panel, from x 120 on.
      {"caption",
       {24, 24, 120, 49},
       " # of Rounds",
       panels,
       kBlack,
       Align::Left,
       &rounds.sspRoundsCaption.font,
       2,
       3},
      {"number", {144, 36, 41, 25}, "4", panels, kBlack, Align::Centred, &rounds.sspNumRounds.font},
      {"OK", {48, 88, 73, 25}, "OK", buttons, kBlack, Align::Centred, &rounds.cmdOK.font, 5},
      {"Cancel",
       {136, 88, 73, 25},
       "Cancel",
       buttons,
       kBlack,
       Align::Centred,
       &rounds.cmdCancel.font,
       5},
  };
  for (const Caption& c : captions) expectCaption(shown, c);
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(DialogTexts, TheNameEntryCongratulatesAndShowsTheNameAsTyped) {
  FrmGetName& name = *frmGetName;
  name.msLoadFormVariables(1600);
  showing(name);
  headless->script("frmGetName", rt::typeText("Al-3"));
  while (!headless->scriptDone("frmGetName")) app().doEvents();
  const rt::Picture& shown = headless->shown("frmGetName");
  const Caption captions[] = {
      {"message",
       {24, 16, 249, 20},
       "Congratulations!  You Have A High Score Of 1600!",
       kTimes11,
       kBlack,
       Align::Anywhere,
       &name.SSPanel1[2].font,
       2,
       4.5},
      // Left of the name box, which stands at (133, 24) in the frame.
      {"frame",
       {24, 72, 133, 69},
       " Enter Your Name",
       kTimes11,
       kBlack,
       Align::Left,
       &name.SSPanel1[1].font},
      // In the box, a caret after the text.
      {"name",
       {157, 96, 97, 25},
       "Al-3",
       kTimes11,
       kBlack,
       Align::Anywhere,
       &name.txtName.font,
       2,
       0,
       false},
  };
  for (const Caption& c : captions) expectCaption(shown, c);
  EXPECT_TRUE(headless->messageBoxes().empty());
}

// The high-score sheet shows its file's rows over the sheet's picture, each value in Times
// New Roman 12 bold, black over a dark grey copy one pixel up and to the left: the name
// from X 66 without its blanks, the rounds from 230, the level from 322, and the score
// ending at 445; row i at Y 138 + 32 (i - 1).
TEST_F(DialogTexts, TheHighScoreSheetPrintsTheRowsOfTheFile) {
  const typHiScore entries[] = {{"  Bo      ", 12, 5, 1600},
                                {"          ", 4, 3, 51200},
                                {"Ann Marie", 100, 1, -50},
                                {"Cy", 4, 2, 0},
                                {"Zed", 1, 1, 7}};
  for (int i = 1; i <= 5; ++i) gudtHiScores[i] = entries[i - 1];
  gsSaveHiScore();
  for (typHiScore& entry : gudtHiScores) entry = typHiScore{};  // the sheet reads the file

  rt::Picture expected = testing::resource("bitmap104");
  for (int i = 1; i <= 5; ++i) {
    const typHiScore& e = entries[i - 1];
    if (e.Score == 0) continue;
    std::string name = e.Name;
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    const std::string score = std::to_string(e.Score);
    const int y = 138 + 32 * (i - 1);
    for (const int d : {1, 0}) {
      const rt::Colour colour = d ? rt::rgb(64, 64, 64) : kBlack;
      rt::printText(expected, 66 - d, y - d, name, colour, kTimes12);
      rt::printText(expected, 230 - d, y - d, std::to_string(e.RoundsPlayed), colour, kTimes12);
      rt::printText(expected, 322 - d, y - d, std::to_string(e.Level), colour, kTimes12);
      rt::printText(expected, 445 - rt::textWidth(kTimes12, score) - d, y - d, score, colour,
                    kTimes12);
    }
  }
  headless->script("frmHiScore", testing::closingKey(rt::vbKeyEscape));
  frmHiScore->showModal();
  EXPECT_EQ(testing::difference(headless->shown("frmHiScore"), 0, 0, expected), "");
  EXPECT_TRUE(headless->messageBoxes().empty());
}

}  // namespace
}  // namespace velloran
