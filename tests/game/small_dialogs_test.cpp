#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>

#include "dialogs/frm_about.h"
#include "dialogs/frm_game_summary.h"
#include "dialogs/frm_get_name.h"
#include "dialogs/frm_hi_score.h"
#include "dialogs/frm_rounds_setting.h"
#include "engine/shared.h"
#include "runtime/keys.h"
#include "support/headless_app.h"
#include "table/frm_main.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

using velloran::testing::closingKey;
using velloran::testing::HeadlessApp;

class SmallDialogs : public HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    installErrorReporter();
    // No high-score file here: the sheet shows the (empty) table in memory.
    app().setProgramFolder("/nonexistent-velloran-folder");
    frmMain->setClientSize(795, 581);
    frmMain->move(37, 20);
    gintNumRounds = 4;
  }
  void TearDown() override {
    gsReleaseObjects(frmAbout, frmGameSummary, frmGetName, frmHiScore, frmRoundsSetting, frmMain);
    HeadlessApp::TearDown();
    setErrorReporter(nullptr);
    app().setProgramFolder("");
    gintNumRounds = 4;
  }
};

TEST_F(SmallDialogs, EachIsSizedForItsFrameAndCentredOverTheTable) {
  const struct {
    const char* name;
    std::function<rt::Form&()> dialog;
    int width, height;
    bool untitled;              // no title bar, so no close or minimise box either
    bool singleBorder = false;  // a thin line of its own round its edge, with no title bar
  } cases[] = {
      {"frmHiScore", []() -> rt::Form& { return *frmHiScore; }, 500, 351, true},
      {"frmGetName", []() -> rt::Form& { return *frmGetName; }, 298, 160, false},
      {"frmRoundsSetting", []() -> rt::Form& { return *frmRoundsSetting; }, 257, 137, false},
      {"frmGameSummary",
       []() -> rt::Form& {
         frmGameSummary->msLoadFormVariables(1, 4, 1);
         return *frmGameSummary;
       },
       353, 279, true, true},
      {"frmAbout", []() -> rt::Form& { return *frmAbout; }, 272, 153, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (int opening = 1; opening <= 2; ++opening) {
      rt::Form& dialog = c.dialog();
      dialog.load();
      EXPECT_EQ(dialog.scaleWidth(), c.width);
      EXPECT_EQ(dialog.scaleHeight(), c.height);
      if (c.untitled) {
        EXPECT_EQ(dialog.borderStyle(), rt::BorderStyle::None);
      }
      if (c.singleBorder) {
        // Drawn by the window itself, the same under any window manager or none.
        dialog.refresh();
        const rt::Picture& shown = headless->shown(c.name);
        const int w = dialog.scaleWidth(), h = dialog.scaleHeight();
        int edge = 0, inside = 0;  // black pixels on the edge, and one pixel in
        const auto black = [&](int x, int y) { return shown.pixel(x, y) == rt::kWindowFrame; };
        for (int x = 0; x < w; ++x) edge += black(x, 0) + black(x, h - 1);
        for (int y = 0; y < h; ++y) edge += black(0, y) + black(w - 1, y);
        for (int x = 1; x < w - 1; ++x) inside += black(x, 1) + black(x, h - 2);
        for (int y = 1; y < h - 1; ++y) inside += black(1, y) + black(w - 2, y);
        EXPECT_EQ(edge, 2 * (w + h)) << "a line all round";
        EXPECT_EQ(inside, 0) << "a single one";
      }
      // The two outer rectangles share their centre, to the pixel.
      EXPECT_LE(
          std::abs(2 * dialog.left() + dialog.width() - 2 * frmMain->left() - frmMain->width()), 1);
      EXPECT_LE(
          std::abs(2 * dialog.top() + dialog.height() - 2 * frmMain->top() - frmMain->height()), 1);
      dialog.unload();
      app().doEvents();
    }
  }
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(SmallDialogs, EnterOrEscapeClosesTheSummaryAndTheAboutBoxButNothingElseDoes) {
  const struct {
    const char* name;
    std::function<void()> show;
    std::function<bool()> alive;
  } cases[] = {
      {"frmGameSummary",
       [] {
         frmGameSummary->msLoadFormVariables(4, 16, 4);
         frmGameSummary->showModal();
       },
       [] { return static_cast<bool>(frmGameSummary); }},
      {"frmAbout", [] { frmAbout->showModal(); }, [] { return static_cast<bool>(frmAbout); }},
  };
  for (const auto& c : cases) {
    for (const std::int16_t key : {rt::vbKeyReturn, rt::vbKeyEscape}) {
      SCOPED_TRACE(std::string(c.name) + " " + std::to_string(key));
      headless->script(c.name, rt::typeText(" q"));
      headless->script(c.name, rt::pressKeys({rt::vbKeyTab, rt::vbKeyF1}));
      headless->script(c.name, rt::clickAt(100, 60));
      headless->script(c.name, closingKey(key));
      c.show();
      EXPECT_TRUE(headless->scriptDone(c.name)) << "open until the closing key";
      EXPECT_FALSE(c.alive()) << "released when it closed";
      app().doEvents();
    }
  }
}

TEST_F(SmallDialogs, TheSummaryShowsTheCountsAndTheRoundedWinningPercentage) {
  const struct {
    std::int16_t rounds, played, won;
    const char* percentage;
  } cases[] = {
      {4, 16, 4, "25%"},  {4, 3, 2, "66.67%"}, {4, 3, 1, "33.33%"}, {1, 5, 0, "0%"},
      {2, 7, 7, "100%"},  {8, 32, 1, "3.12%"},  // 3.125: the half goes to the even digit
      {4, 40, 1, "2.5%"},
  };
  setenv("LC_ALL", "C", 1);  // the user's decimal separator: "."
  for (const auto& c : cases) {
    SCOPED_TRACE(c.percentage);
    frmGameSummary->msLoadFormVariables(c.rounds, c.played, c.won);
    frmGameSummary->load();
    const auto& values = frmGameSummary->pnlGameSummary;
    EXPECT_EQ(values[0].caption, std::to_string(c.rounds));
    EXPECT_EQ(values[1].caption, std::to_string(c.played));
    EXPECT_EQ(values[2].caption, std::to_string(c.won));
    EXPECT_EQ(values[3].caption, c.percentage);
    frmGameSummary->unload();
    app().doEvents();
  }
  EXPECT_TRUE(headless->messageBoxes().empty());
  unsetenv("LC_ALL");
}

TEST_F(SmallDialogs, ASummaryWithNoHandsPlayedReportsTheDivisionAndKeepsTheCounts) {
  frmGameSummary->msLoadFormVariables(4, 0, 0);
  frmGameSummary->load();
  const auto& values = frmGameSummary->pnlGameSummary;
  EXPECT_EQ(values[0].caption, "4");
  EXPECT_EQ(values[1].caption, "0");
  EXPECT_EQ(values[3].caption, "");
  ASSERT_EQ(headless->messageBoxes().size(), 1u);
  EXPECT_EQ(headless->messageBoxes()[0].text, "Error 11 - Division by zero");
  EXPECT_EQ(headless->messageBoxes()[0].title, "Error In msDisplayGameSummary");
  EXPECT_TRUE(frmGameSummary->loaded()) << "the dialog still opens";
  frmGameSummary->unload();
}

TEST_F(SmallDialogs, TheAboutBoxNamesTheGameAndItsVersion) {
  frmAbout->load();
  EXPECT_EQ(frmAbout->SSPanel1[1].caption, "Velloran v1.0");
  EXPECT_FALSE(frmAbout->pnlCopyright.caption.empty());
  frmAbout->unload();
}

// The spin button's halves and the two buttons of the rounds dialog.
const auto kUp = rt::clickAt(220, 35);
const auto kDown = rt::clickAt(220, 60);
const auto kOK = rt::clickAt(84, 100);
const auto kCancel = rt::clickAt(172, 100);

TEST_F(SmallDialogs, RoundsStepWithinOneToAHundredAndOnlyOKKeepsThem) {
  const struct {
    std::int16_t start;
    int ups, downs;
    bool ok;
    std::int16_t expected;
  } cases[] = {
      {4, 0, 6, true, 1},     // down stops at 1
      {98, 5, 0, true, 100},  // up stops at 100
      {4, 3, 1, true, 6},
      {4, 3, 0, false, 4},  // Cancel keeps the old value
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    gintNumRounds = c.start;
    for (int i = 0; i < c.ups; ++i) headless->script("frmRoundsSetting", kUp);
    for (int i = 0; i < c.downs; ++i) headless->script("frmRoundsSetting", kDown);
    headless->script("frmRoundsSetting", c.ok ? kOK : kCancel);
    frmRoundsSetting->showModal();
    EXPECT_TRUE(headless->scriptDone("frmRoundsSetting"));
    EXPECT_EQ(gintNumRounds, c.expected);
    EXPECT_FALSE(frmRoundsSetting) << "released when it closed";
    app().doEvents();
  }
}

TEST_F(SmallDialogs, TheRoundsDialogShowsTheNumberItEdits) {
  frmRoundsSetting->show();
  EXPECT_EQ(frmRoundsSetting->sspNumRounds.caption, "4") << "a fresh run plays four rounds";
  headless->script("frmRoundsSetting", kUp);
  headless->script("frmRoundsSetting", kUp);
  headless->script("frmRoundsSetting", kDown);
  app().doEvents();
  EXPECT_EQ(frmRoundsSetting->sspNumRounds.caption, "5");
  EXPECT_EQ(gintNumRounds, 4) << "nothing is kept before OK";
  frmRoundsSetting->unload();
}

}  // namespace
}  // namespace velloran
