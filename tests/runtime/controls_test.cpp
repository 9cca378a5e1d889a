#include "runtime/controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/popup_menu.h"
#include "support/headless_app.h"

namespace velloran::rt {
namespace {

using velloran::testing::chord;
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

// The name box: ten characters at most, in the frame of its dialog.
struct NameBox : Dialog {
  NameBox() : Dialog("frmGetName") {
    frame.move(24, 72, 249, 69);
    box.move(133, 24, 97, 25);
    box.maxLength = 10;
  }
  Panel3D frame{*this};
  TextBox box{*this, &frame};
};

struct Editing {
  const char* what;
  std::string text;
  int selStart, selLength;  // before the keys
  std::vector<std::vector<ScriptedInput>> keys;
  std::string expectedText;
  int expectedStart, expectedLength;
  std::string expectedClipboard;  // the clipboard held "before" until then
};

TEST_F(Controls, TheTextBoxSelectsCopiesCutsAndPastesAsADesktopOne) {
  constexpr std::int16_t kShift = vbShiftMask, kCtrl = vbCtrlMask;
  const auto key = [](std::int16_t code, std::int16_t shift = 0) { return chord(code, shift); };
  const Editing cases[] = {
      {"Shift+Left selects back from the caret",
       "abcdef",
       6,
       0,
       {key(vbKeyLeft, kShift), key(vbKeyLeft, kShift)},
       "abcdef",
       4,
       2,
       "before"},
      {"Shift+Home selects to the start",
       "abcdef",
       3,
       0,
       {key(vbKeyHome, kShift)},
       "abcdef",
       0,
       3,
       "before"},
      {"Shift+End selects to the end",
       "abcdef",
       2,
       0,
       {key(vbKeyEnd, kShift)},
       "abcdef",
       2,
       4,
       "before"},
      {"Shift+Left after Shift+Right shrinks the selection",
       "abcdef",
       2,
       0,
       {key(vbKeyRight, kShift), key(vbKeyRight, kShift), key(vbKeyRight, kShift),
        key(vbKeyLeft, kShift)},
       "abcdef",
       2,
       2,
       "before"},
      {"Shift+Right past the end stays at the end",
       "ab",
       1,
       0,
       {key(vbKeyRight, kShift), key(vbKeyRight, kShift)},
       "ab",
       1,
       1,
       "before"},
      {"Left ends a selection at its start",
       "abcdef",
       1,
       3,
       {key(vbKeyLeft)},
       "abcdef",
       1,
       0,
       "before"},
      {"typing replaces the selection", "abcdef", 1, 3, {typeText("Z")}, "aZef", 2, 0, "before"},
      {"Backspace takes the selection", "abcdef", 1, 3, {key(vbKeyBack)}, "aef", 1, 0, "before"},
      {"Ctrl+C copies the selection", "abcdef", 1, 3, {key('C', kCtrl)}, "abcdef", 1, 3, "bcd"},
      {"Ctrl+C, nothing selected", "abcdef", 3, 0, {key('C', kCtrl)}, "abcdef", 3, 0, "before"},
      {"Ctrl+X cuts the selection", "abcdef", 1, 3, {key('X', kCtrl)}, "aef", 1, 0, "bcd"},
      {"Ctrl+X, nothing selected", "abcdef", 3, 0, {key('X', kCtrl)}, "abcdef", 3, 0, "before"},
      {"Ctrl+Insert copies, Shift+Delete cuts",
       "abcdef",
       0,
       2,
       {key(vbKeyInsert, kCtrl), key(vbKeyRight), key(vbKeyEnd, kShift), key(vbKeyDelete, kShift)},
       "ab",
       2,
       0,
       "cdef"},
      {"Shift+Delete, nothing selected",
       "abcdef",
       3,
       0,
       {key(vbKeyDelete, kShift)},
       "abcdef",
       3,
       0,
       "before"},
  };
  for (const Editing& c : cases) {
    SCOPED_TRACE(c.what);
    NameBox name;
    name.show();
    name.box.setFocus();
    name.box.setText(c.text);
    name.box.select(c.selStart, c.selLength);
    headless->setClipboardText("before");
    for (const auto& keys : c.keys) headless->script("frmGetName", keys);
    app().doEvents();
    EXPECT_EQ(name.box.text(), c.expectedText);
    EXPECT_EQ(name.box.selStart(), c.expectedStart);
    EXPECT_EQ(name.box.selLength(), c.expectedLength);
    EXPECT_EQ(headless->clipboardText(), c.expectedClipboard);
  }
}

// A paste brings the clipboard's first line into the box, without control characters, and
// no more than the box has room for.
TEST_F(Controls, ATextBoxPastesTheFirstLineOfTheClipboard) {
  const struct {
    const char* what;
    std::string text;
    int selStart, selLength;
    std::string clipboard;
    std::string expected;
  } cases[] = {
      {"a line feed ends it", "", 0, 0, "Tom\nJones", "Tom"},
      {"a carriage return ends it", "", 0, 0, "Ann\r\nLee", "Ann"},
      {"an empty first line brings nothing", "abc", 3, 0, "\nJones", "abc"},
      {"tabs and control characters stay out", "", 0, 0,
       "A\tB\x01"
       "C\x7F"
       "D",
       "ABCD"},
      {"it replaces the selection", "abcdef", 1, 4, "XY", "aXYf"},
      {"it is cut to the room left", "abcdefgh", 4, 0, "XYZ", "abcdXYefgh"},
      {"it is cut to ten characters", "", 0, 0, "Pasted Name Too Long", "Pasted Nam"},
  };
  for (const auto& c : cases) {
    for (const std::int16_t shift :
         {static_cast<std::int16_t>(vbCtrlMask), static_cast<std::int16_t>(vbShiftMask)}) {
      SCOPED_TRACE(std::string(c.what) + (shift == vbCtrlMask ? ", Ctrl+V" : ", Shift+Insert"));
      NameBox name;
      name.show();
      name.box.setFocus();
      name.box.setText(c.text);
      name.box.select(c.selStart, c.selLength);
      headless->setClipboardText(c.clipboard);
      headless->script(
          "frmGetName",
          chord(shift == vbCtrlMask ? std::int16_t{'V'} : std::int16_t{vbKeyInsert}, shift));
      app().doEvents();
      EXPECT_EQ(name.box.text(), c.expected);
      EXPECT_EQ(headless->clipboardText(), c.clipboard) << "a paste leaves the clipboard";
    }
  }
}

// The mouse selects as on a desktop: a press places the caret, a drag selects, a double-click
// takes the word under the pointer; presses apart in time or place are two single clicks.
TEST_F(Controls, TheMouseSelectsInATextBox) {
  using Kind = InputEvent::Kind;
  NameBox name;
  name.show();
  name.box.setText("Ann Lee");
  name.box.setFocus();
  TextBox& box = name.box;
  const int y = box.absoluteTop() + box.height / 2;
  // Between characters `place` - 1 and `place`, with the text unscrolled.
  const auto at = [&](int place) {
    return box.absoluteLeft() + 4 + textWidth(box.font, box.text().substr(0, place));
  };
  const auto mouse = [&](Kind kind, int x, double delay = 0) {
    headless->script("frmGetName", {{{kind, nullptr, 1, 0, x, y}, delay}});
  };
  const struct {
    const char* what;
    std::function<void()> act;
    int expectedStart, expectedLength;
  } cases[] = {
      {"a click places the caret",
       [&] { mouse(Kind::MouseDown, at(2) + 1), mouse(Kind::MouseUp, at(2) + 1); }, 2, 0},
      {"a drag selects",
       [&] {
         mouse(Kind::MouseDown, at(1));
         mouse(Kind::MouseMove, at(3));
         mouse(Kind::MouseMove, at(5));
         mouse(Kind::MouseUp, at(5));
       },
       1, 4},
      {"a drag back selects back",
       [&] {
         mouse(Kind::MouseDown, at(6));
         mouse(Kind::MouseMove, at(2));
         mouse(Kind::MouseUp, at(2));
       },
       2, 4},
      {"a double-click takes the word",
       [&] {
         for (int i = 0; i < 2; ++i)
           mouse(Kind::MouseDown, at(5) + 2), mouse(Kind::MouseUp, at(5) + 2);
       },
       4, 3},
      {"a double-click on the first word",
       [&] {
         for (int i = 0; i < 2; ++i)
           mouse(Kind::MouseDown, at(1) + 2), mouse(Kind::MouseUp, at(1) + 2);
       },
       0, 3},
      {"two clicks a second apart are two clicks",
       [&] {
         mouse(Kind::MouseDown, at(5)), mouse(Kind::MouseUp, at(5));
         mouse(Kind::MouseDown, at(5), 1.0), mouse(Kind::MouseUp, at(5));
       },
       5, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    box.select(0, 0);
    headless->manualClock().advance(2);  // no double-click with the case before
    c.act();
    app().serveUntil(now() + 1.5);
    EXPECT_EQ(box.selStart(), c.expectedStart);
    EXPECT_EQ(box.selLength(), c.expectedLength);
  }
  // The selection shows white on dark blue, as a desktop's.
  box.select(0, 3);
  name.refresh();
  const Picture& shown = headless->shown("frmGetName");
  int blue = 0, white = 0;
  for (int x = at(0); x < at(3); ++x) {
    for (int yy = box.absoluteTop() + 2; yy < box.absoluteTop() + box.height - 2; ++yy) {
      blue += shown.pixel(x, yy) == rgb(0, 0, 128);
      white += shown.pixel(x, yy) == rgb(255, 255, 255);
    }
  }
  EXPECT_GT(blue, 100);
  EXPECT_GT(white, 10) << "the letters";
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
