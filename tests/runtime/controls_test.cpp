#include "runtime/controls.h"

#include <gtest/gtest.h>

#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/popup_menu.h"
#include "support/headless_app.h"

namespace velloran::rt {
namespace {

using velloran::testing::HeadlessApp;
using Controls = HeadlessApp;

struct Dialog : Form {
  using Form::Form;
  std::vector<int> formKeys;
  void Form_KeyPress(std::int16_t& keyAscii) override { formKeys.push_back(keyAscii); }
};

TEST_F(Controls, AreDrawnOverTheSurfaceWhichKeepsItsOwnImage) {
  Dialog chooser("frmChooseTiles");
  chooser.setClientSize(60, 40);
  chooser.surface().fillRect(0, 0, 60, 40, rgb(0, 128, 0));
  Shape frame(chooser);
  frame.borderWidth = 3;
  frame.move(10, 5, 36, 45);
  chooser.show();
  const Picture& shown = headless->shown("frmChooseTiles");
  EXPECT_EQ(shown.pixel(10, 5), rgb(255, 0, 0));
  EXPECT_EQ(shown.pixel(12, 20), rgb(255, 0, 0)) << "three pixels of border";
  EXPECT_EQ(shown.pixel(13, 20), rgb(0, 128, 0)) << "outline only, no fill";
  EXPECT_EQ(chooser.surface().pixel(10, 5), rgb(0, 128, 0));
  frame.visible = false;
  chooser.refresh();
  EXPECT_EQ(headless->shown("frmChooseTiles").pixel(10, 5), rgb(0, 128, 0));
}

TEST_F(Controls, KeysGoToTheFocusedTextBoxWhichFiltersAndLimitsThem) {
  Dialog name("frmGetName");
  Panel3D frame(name);
  frame.move(24, 72, 249, 69);
  TextBox box(name, &frame);
  box.move(133, 24, 97, 25);
  box.maxLength = 10;
  int gotFocus = 0;
  box.onGotFocus = [&] { ++gotFocus; };
  box.onKeyPress = [](std::int16_t& key) {
    if (key == '#') key = 0;  // refused
  };
  name.show();
  box.setFocus();
  headless->script("frmGetName", typeText("ab#cdefghijkl"));
  headless->script("frmGetName", pressKeys({vbKeyBack}));
  app().doEvents();
  EXPECT_EQ(box.text(), "abcdefghi") << "ten at most, # refused, then one backspace";
  EXPECT_TRUE(name.formKeys.empty()) << "the form does not preview the box's keys";
  EXPECT_EQ(gotFocus, 1);
  box.select(0, static_cast<int>(box.text().size()));
  headless->script("frmGetName", typeText("Z"));
  app().doEvents();
  EXPECT_EQ(box.text(), "Z") << "typing replaces the selection";
  EXPECT_EQ(box.absoluteLeft(), 24 + 133);
}

TEST_F(Controls, TabMovesTheFocusAndButtonsClickByMouseOrKey) {
  Dialog rounds("frmRoundsSetting");
  CommandButton ok(rounds), cancel(rounds);
  ok.move(48, 88, 73, 25);
  cancel.move(136, 88, 73, 25);
  std::vector<std::string> clicks;
  ok.onClick = [&] { clicks.push_back("ok"); };
  cancel.onClick = [&] { clicks.push_back("cancel"); };
  rounds.show();
  ok.setFocus();
  headless->script("frmRoundsSetting", pressKeys({vbKeyTab, vbKeyReturn}));
  headless->script("frmRoundsSetting", clickAt(60, 100));  // press and release on OK
  headless->script("frmRoundsSetting", {{{InputEvent::Kind::MouseDown, nullptr, 1, 0, 140, 95}, 0},
                                        {{InputEvent::Kind::MouseUp, nullptr, 1, 0, 5, 5}, 0}});
  app().doEvents();
  EXPECT_EQ(clicks, (std::vector<std::string>{"cancel", "ok"}))
      << "Tab to Cancel, Enter clicks it; a release outside the button is no click";
}

TEST_F(Controls, SpinButtonStepsByItsHalves) {
  Dialog rounds("frmRoundsSetting");
  SpinButton spin(rounds);
  spin.move(208, 28, 25, 41);
  int value = 4;
  spin.onSpinUp = [&] { ++value; };
  spin.onSpinDown = [&] { --value; };
  rounds.show();
  headless->script("frmRoundsSetting", clickAt(215, 30));
  headless->script("frmRoundsSetting", clickAt(215, 30));
  headless->script("frmRoundsSetting", clickAt(215, 65));
  app().doEvents();
  EXPECT_EQ(value, 5);
}

// Buttons "Tip 1", "Tip 2", ... with blue pictures across the whole width of the window;
// the place `spacer` (if any) is a spacer.
void fillToolbar(Toolbar& bar, int places, int spacer = 0) {
  bar.width = bar.owner().scaleWidth();
  for (int place = 1; place <= places; ++place) {
    Toolbar::Button button;
    if (place != spacer) {
      button.picture = Picture(16, 16, rgb(0, 0, 60 * place));
      button.toolTipText = "Tip " + std::to_string(place);
    }
    bar.buttons.push_back(button);
  }
}

TEST_F(Controls, ToolbarReportsThePlaceClickedAndShowsTooltipsAfterAPause) {
  Dialog table("frmMain");
  table.setClientSize(400, 300);
  Toolbar bar(table);
  fillToolbar(bar, 4, 3);
  std::vector<int> clicked;
  bar.onButtonClick = [&](int place) { clicked.push_back(place); };
  table.show();
  EXPECT_EQ(bar.placeAt(0), 1);
  EXPECT_EQ(bar.placeAt(23 * 3 + 5), 4);
  headless->script("frmMain", clickAt(30, 10));
  headless->script("frmMain", {{{InputEvent::Kind::MouseMove, nullptr, 0, 0, 5, 10}, 0}});
  app().doEvents();
  EXPECT_EQ(clicked, (std::vector<int>{2}));
  EXPECT_EQ(bar.shownToolTip(), "");
  app().serveUntil(now() + 0.6);
  EXPECT_EQ(bar.shownToolTip(), "Tip 1");
}

TEST_F(Controls, ATooltipStaysInsideTheWindowNarrowerThanItsPicture) {
  // The table's picture is wider than its window: a tooltip at the right edge keeps to the
  // window, not to the picture.
  Dialog table("frmMain");
  table.setPicture(Picture(420, 300, rgb(0, 128, 0)));
  table.setClientSize(400, 300);
  Toolbar bar(table);
  bar.width = 400;
  Toolbar::Button exit;
  exit.width = 400;
  exit.picture = Picture(16, 16, rgb(0, 0, 255));
  exit.toolTipText = "Exit";
  bar.buttons.push_back(exit);
  table.show();
  headless->script("frmMain", {{{InputEvent::Kind::MouseMove, nullptr, 0, 0, 398, 10}, 0}});
  app().serveUntil(now() + 0.6);
  ASSERT_EQ(bar.shownToolTip(), "Exit");
  const Picture& shown = headless->shown("frmMain");
  int rightmostBorder = -1;  // the tooltip's black frame, on its top edge
  for (int x = 0; x < shown.width(); ++x) {
    if (shown.pixel(x, 22 + 2) == kButtonText) rightmostBorder = x;
  }
  ASSERT_GE(rightmostBorder, 0) << "the tooltip shows";
  EXPECT_EQ(shown.pixel(rightmostBorder, 22 + 2 + 4), kButtonText)
      << "its right edge, a black line down, is inside the window: the whole tip shows";
}

// The table window copies only what changed in its work picture and sends only what changed
// on the screen: a screen kept up to date from those rectangles alone shows what a whole
// composition would, tooltip and toolbar included, however the drawing falls.
TEST_F(Controls, ChangesShowAsAWholeCompositionWould) {
  Dialog table("frmMain");
  table.setClientSize(300, 200);
  Toolbar bar(table);
  fillToolbar(bar, 3);
  Picture work(320, 240, rgb(10, 20, 30));
  table.setPicture(work);
  table.show();
  headless->script("frmMain", {{{InputEvent::Kind::MouseMove, nullptr, 0, 0, 40, 10}, 0}});
  app().serveUntil(now() + 0.6);
  ASSERT_EQ(bar.shownToolTip(), "Tip 2") << "a tooltip over the drawing";
  table.refresh();

  Picture screen = table.composedImage();
  std::uint32_t seed = 12345;
  const auto next = [&](int below) {
    seed = seed * 1103515245 + 12345;
    return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(below));
  };
  for (int step = 0; step < 200; ++step) {
    // Blocks in every corner, under the bar and the tip too; some the same colour as before.
    const int x = next(330) - 20, y = next(260) - 20, w = next(60) + 1, h = next(60) + 1;
    if (step % 7 == 3) {
      work.clear();
    } else if (step % 5 == 1) {
      BitBlt(work, x, y, w, h, work, next(300), next(200), SRCCOPY);
    } else {
      work.fillRect(x, y, w, h, step % 3 ? rgb(next(256), next(256), next(256)) : rgb(10, 20, 30));
    }
    if (step % 4 == 0) continue;  // some drawing waits for the next copy
    copyChanges(table.surface(), work, {0, 0, work.width(), work.height()});
    for (const Rect& area : table.composeChanges()) {
      BitBlt(screen, area.x, area.y, area.width, area.height, table.composedImage(), area.x, area.y,
             SRCCOPY);
    }
    Picture whole = table.surface();
    for (const Control* control : table.controls()) control->draw(whole);
    int wrong = 0;
    for (int yy = 0; yy < 200; ++yy) {
      for (int xx = 0; xx < 300; ++xx) {
        wrong += table.surface().pixel(xx, yy) != work.pixel(xx, yy);
        wrong += screen.pixel(xx, yy) != whole.pixel(xx, yy);
      }
    }
    ASSERT_EQ(wrong, 0) << "at step " << step;
  }
  EXPECT_TRUE(table.composeChanges().empty()) << "nothing drawn, nothing to send";
}

TEST_F(Controls, PopupMenuReturnsTheChoiceAndLetsTimersRun) {
  Dialog table("frmMain");
  table.show();
  int ticks = 0;
  Timer tick([&] { ++ticks; }, 100);
  tick.setEnabled(true);
  const std::vector<MenuItem> levels = {{"Easy", true},
                                        {"Medium", false},
                                        {"Hard", false},
                                        {"Very Hard", false},
                                        {"Super Hard", false}};
  headless->script("mnuLevel", pressKeys({vbKeyDown, vbKeyDown, vbKeyReturn}, 0.35));
  EXPECT_EQ(popupMenu(table, "mnuLevel", levels, 30, 22), 2);
  EXPECT_GE(ticks, 9) << "the tick kept coming while the menu was open";
  headless->script("mnuLevel", pressKeys({vbKeyDown, vbKeyEscape}));
  EXPECT_EQ(popupMenu(table, "mnuLevel", levels, 30, 22), 0);
  headless->script("mnuLevel",
                   {{{InputEvent::Kind::MouseUp, nullptr, 1, 0, 20, 2 + 18 * 4 + 5}, 0}});
  EXPECT_EQ(popupMenu(table, "mnuLevel", levels, 30, 22), 5);
}

}  // namespace
}  // namespace velloran::rt
