#include "windows/window_helpers.h"

#include <gtest/gtest.h>

#include "runtime/keys.h"
#include "runtime/timer.h"
#include "support/headless_app.h"

namespace velloran {
namespace {

using velloran::testing::HeadlessApp;

TEST(gsStripComma, RemovesExactlyOneCommaFromAnEnd) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"", ""},
      {",", ""},
      {",,", ","},
      {",a,", "a,"},  // both ends: only the leading one goes
      {"Red Dragon Trio,Own Wind Trio,", "Red Dragon Trio,Own Wind Trio"},
      {"a,b", "a,b"},  // commas inside stay
      {"Mixed Hand", "Mixed Hand"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    gsStripComma(text);
    EXPECT_EQ(text, c.expected) << "from \"" << c.text << "\"";
  }
}

using Helpers = HeadlessApp;

TEST_F(Helpers, ReportErrorShowsNumberDescriptionAndProcedure) {
  installErrorReporter();
  gsReportError(11, "Division by zero", "msDisplayGameSummary");
  gsReportError(-2147221504, "Automation error", "Form_Load");
  trap("msShuffleTiles", [] { raiseError(kSubscriptOutOfRange); });
  const auto& boxes = headless->messageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Error 11 - Division by zero");
  EXPECT_EQ(boxes[0].title, "Error In msDisplayGameSummary");
  EXPECT_EQ(boxes[1].text, "Error -2147221504 - Automation error");
  EXPECT_EQ(boxes[2].text, "Error 9 - Subscript out of range");
  EXPECT_EQ(boxes[2].title, "Error In msShuffleTiles");
  setErrorReporter(nullptr);
}

TEST_F(Helpers, PauseWaitsItsTimeWhileServingEvents) {
  rt::Form table("frmMain");
  table.show();
  int ticks = 0;
  rt::Timer timer([&] { ++ticks; }, 100);
  timer.setEnabled(true);
  for (double nothing : {0.0, -3.0}) {
    gsPause(nothing);
    EXPECT_EQ(now(), 0.0) << "returns at once";
    EXPECT_EQ(ticks, 0) << "without serving events";
  }
  gsPause(2.0);
  EXPECT_GE(now(), 2.0);
  EXPECT_LT(now(), 2.0 + 1e-6);
  EXPECT_GE(ticks, 19) << "the tick went on throughout the pause";
}

TEST_F(Helpers, PauseAcrossMidnightEndsOnTime) {
  // The time of day wraps to 0 half-way through; the pause still lasts its 2 seconds.
  auto backend = std::make_unique<rt::HeadlessBackend>(86400.0 - 1.0);
  headless = backend.get();
  app().setBackend(std::move(backend));
  rt::Form table("frmMain");
  table.show();
  rt::Timer timer([] {}, 250);
  timer.setEnabled(true);
  gsPause(2.0);
  EXPECT_NEAR(now(), 2.0, 1e-6);
}

TEST_F(Helpers, SizeFormClientGivesTheCallersClientSizesAndKeepsThePlace) {
  const struct {
    int right, bottom;
    bool menuBar;
    int width, height;
  } cases[] = {
      {399, 120, false, 400, 141},  // the set chooser
      {666, 309, false, 667, 330},  // the break-down
      {794, 560, false, 795, 581},  // the table, without a menu bar
      {794, 560, true, 795, 561},   // the same with one: the bar takes its allowance
  };
  for (const auto& c : cases) {
    rt::Form form("frmTest");
    form.setHasMenuBar(c.menuBar);
    form.move(33, 44);
    gsSizeFormClient(0, 0, c.right, c.bottom, form);
    EXPECT_EQ(form.scaleWidth(), c.width);
    EXPECT_EQ(form.scaleHeight(), c.height);
    EXPECT_EQ(form.left(), 33);
    EXPECT_EQ(form.top(), 44);
  }
}

// The screen is the desktop's work area: a primary monitor on the right, panels at the top
// and bottom. A table larger than it keeps its title bar and toolbar in sight.
TEST_F(Helpers, CenterFormPutsTheOuterRectangleInTheMiddleOfTheWorkArea) {
  rt::Form form("frmMain");
  form.setClientSize(795, 581);
  EXPECT_GT(form.width(), 795) << "the outer rectangle includes the frame";
  const int w = form.width(), h = form.height();
  struct Case {
    rt::Rect area;
    int left, top;
  } cases[] = {
      {{0, 0, 1280, 1024}, (1280 - w) / 2, (1024 - h) / 2},
      {{1280, 0, 1920, 1080}, 1280 + (1920 - w) / 2, (1080 - h) / 2},
      {{0, 28, 1024, 600 - 28 - 48}, (1024 - w) / 2, 28},
      {{100, 50, 640, 480}, 100, 50},
  };
  for (const Case& c : cases) {
    headless->setWorkArea(c.area);
    gsCenterForm(form);
    EXPECT_EQ(form.left(), c.left) << c.area.x << "," << c.area.y;
    EXPECT_EQ(form.top(), c.top) << c.area.x << "," << c.area.y;
  }
}

int aliveForms = 0;
struct Counted : rt::Form {
  Counted() : rt::Form("frmCounted") { ++aliveForms; }
  ~Counted() override { --aliveForms; }
};
struct OtherCounted : Counted {};

TEST_F(Helpers, ReleaseObjectsEmptiesEachInstanceAndSkipsEmptyOnes) {
  rt::FormInstance<Counted> frmAbout;
  rt::FormInstance<OtherCounted> frmHiScore;
  rt::FormInstance<Counted> frmBreakDown;
  frmAbout->show();
  frmBreakDown.get();
  EXPECT_EQ(aliveForms, 2);
  gsReleaseObjects(frmAbout, frmHiScore, frmBreakDown);
  EXPECT_FALSE(frmAbout);
  EXPECT_FALSE(frmHiScore) << "an empty instance stays empty and is not made";
  EXPECT_FALSE(frmBreakDown);
  app().doEvents();
  EXPECT_EQ(aliveForms, 0) << "released forms are gone once no handler of theirs runs";
  frmAbout->show();
  EXPECT_EQ(aliveForms, 1) << "the next use makes a fresh instance";
  frmAbout.release();
  app().doEvents();
}

struct SelfReleasing : rt::Form {
  SelfReleasing() : rt::Form("frmAbout") {}
  void Form_KeyPress(std::int16_t& key) override {
    if (key == rt::vbKeyEscape) unload();
  }
  void Form_Unload(std::int16_t&) override;
};
rt::FormInstance<SelfReleasing> selfReleasing;
void SelfReleasing::Form_Unload(std::int16_t&) {
  gsReleaseObjects(selfReleasing);
}

TEST_F(Helpers, ADialogThatReleasesItselfWhileClosingSurvivesItsOwnLoop) {
  headless->script("frmAbout", rt::pressKeys({rt::vbKeyEscape}));
  selfReleasing->showModal();
  EXPECT_FALSE(selfReleasing);
  app().doEvents();
}

TEST_F(Helpers, PrintTextDrawsOnTheFormSurface) {
  rt::Form form("frmMain");
  form.setClientSize(200, 50);
  form.surface().fillRect(0, 0, 200, 50, rt::rgb(255, 255, 255));
  gsPrintText(form, 10, 10, "1234", rt::rgb(255, 0, 0), "Wonton ICG", 18, true);
  int red = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 200; ++x) red += form.surface().pixel(x, y) == rt::rgb(255, 0, 0);
  EXPECT_GT(red, 20);
}

}  // namespace
}  // namespace velloran
