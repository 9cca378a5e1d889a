#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dialogs/frm_break_down.h"
#include "engine/shared.h"
#include "runtime/keys.h"
#include "runtime/text.h"
#include "support/headless_app.h"
#include "table/frm_main.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

using velloran::testing::HeadlessApp;

TEST(mstrfDouble, GivesTheDoublesTheTallyCountsForEachName) {
  const struct {
    const char* name;
    const char* doubles;
  } cases[] = {
      {"Own Season Tile", "1 Double"},
      {"Own Flower Tile", "1 Double"},
      {"Four Seasons Set", "2 Doubles"},
      {"Four Flowers Set", "2 Doubles"},
      {"Seven Flower/Season Combo", "3 Doubles"},
      {"Red Dragon Trio", "1 Double"},
      {"Green Dragon Trio", "1 Double"},
      {"Blue Dragon Trio", "1 Double"},
      {"Two Dragons Set", "3 Doubles"},
      {"Three Dragons Set", "4 Doubles"},
      {"Prevailing Wind Trio", "1 Double"},
      {"Own Wind Trio", "1 Double"},
      {"Four Winds Set", "4 Doubles"},
      {"Three Winds Set", "3 Doubles"},
      {"Pure Suit Hand", "6 Doubles"},
      {"Semi-Pure Suit Hand", "3 Doubles"},
      {"Three-Of-A-Kind Hand", "3 Doubles"},
      {"Dragons And Winds Hand", "6 Doubles"},
      {"Ones-Nines-Only Hand", "6 Doubles"},
      {"Sequence Hand", "1 Double"},
      {"Mixed Hand", "0 Double"},
      {"mixed hand", "0 Double"},  // names are compared exactly
      {"Pure Suit Hand ", "0 Double"},
      {"", "0 Double"},
  };
  for (const auto& c : cases) EXPECT_EQ(FrmBreakDown::mstrfDouble(c.name), c.doubles) << c.name;
}

// One value as the player reads it on the board: yellow at (x, y) over a dark grey copy
// one pixel up and `shadowLeft` pixels to the left, inside a field `room` pixels wide
// (0 for the totals, which keep the board's full size).
struct Printed {
  std::string text;
  int x, y, shadowLeft;
  int room = 0;
};
std::vector<Printed> row(int i, const std::string& name, const std::string& doubles) {
  const int x = i <= 6 ? 38 : 354, y = 55 + 38 * ((i - 1) % 6);
  return {{name, x, y, 1, 187}, {doubles, x + (i <= 6 ? 211 : 212), y, 0, 70}};
}
std::vector<Printed> totals(const std::string& doubles, const std::string& points) {
  return {{doubles, 208, 284, 1}, {points, 520, 284, 0}};
}

// The board of the given values. The rows print in the largest size up to 11 points (by
// half points) at which each stays inside its field: our stand-in font is wider than the
// board's own.
rt::Picture boardShowing(const std::vector<Printed>& values) {
  const rt::Font full{"Wonton ICG", 11, true};
  rt::Font rows = full;
  const auto fits = [&] {
    for (const Printed& v : values) {
      if (v.room > 0 && rt::textWidth(rows, v.text) > v.room) return false;
    }
    return true;
  };
  while (!fits()) rows.points -= 0.5;
  rt::Picture board = rt::loadResourcePicture("bitmap102");
  for (const rt::Colour colour : {rt::rgb(64, 64, 64), rt::rgb(255, 255, 0)}) {
    const int d = colour == rt::rgb(255, 255, 0) ? 0 : 1;
    for (const Printed& v : values) {
      rt::printText(board, v.x - d * v.shadowLeft, v.y - d, v.text, colour,
                    v.room > 0 ? rows : full);
    }
  }
  return board;
}

bool boardMatches(const rt::Picture& shown, const rt::Picture& expected) {
  for (int y = 0; y < expected.height(); ++y) {
    for (int x = 0; x < expected.width(); ++x) {
      if (shown.pixel(x, y) != expected.pixel(x, y)) {
        ADD_FAILURE() << "first difference at " << x << "," << y;
        return false;
      }
    }
  }
  return true;
}

class BreakDown : public HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    installErrorReporter();
    frmMain->setClientSize(795, 581);
    frmMain->move(70, 20);
  }
  void TearDown() override {
    // Windows left loaded would outlive the event loop at exit.
    gsReleaseObjects(frmBreakDown, frmMain);
    HeadlessApp::TearDown();
    setErrorReporter(nullptr);
  }

  // Shows the break-down of a hand and closes it with the key; returns what it showed.
  const rt::Picture& show(const std::string& handList, std::int32_t points,
                          std::int16_t closeKey = rt::vbKeyReturn) {
    gstrHandList = handList;
    glngHandPoints = points;
    headless->script("frmBreakDown", rt::pressKeys({closeKey}));
    frmBreakDown->showModal();
    EXPECT_FALSE(frmBreakDown) << "the dialog lets its instance go as it closes";
    return headless->shown("frmBreakDown");
  }
};

template <class... Parts>
std::vector<Printed> join(const Parts&... parts) {
  std::vector<Printed> all;
  (all.insert(all.end(), parts.begin(), parts.end()), ...);
  return all;
}

TEST_F(BreakDown, PrintsEachPatternWithItsDoublesThenTheTotalAndThePoints) {
  const struct {
    const char* handList;
    std::int32_t points;
    std::vector<Printed> shown;
  } cases[] = {
      {"Mixed Hand", 50, join(row(1, "Mixed Hand", "0 Double"), totals("0", "50"))},
      {"Mixed Hand", 0, join(row(1, "Mixed Hand", "0 Double"), totals("0", "0"))},
      {"Own Season Tile,Own Flower Tile,Four Flowers Set,Red Dragon Trio,Prevailing Wind Trio,"
       "Own Wind Trio,Semi-Pure Suit Hand,Three-Of-A-Kind Hand",
       409600,
       join(row(1, "Own Season Tile", "1 Double"), row(2, "Own Flower Tile", "1 Double"),
            row(3, "Four Flowers Set", "2 Doubles"), row(4, "Red Dragon Trio", "1 Double"),
            row(5, "Prevailing Wind Trio", "1 Double"), row(6, "Own Wind Trio", "1 Double"),
            row(7, "Semi-Pure Suit Hand", "3 Doubles"), row(8, "Three-Of-A-Kind Hand", "3 Doubles"),
            totals("13", "409600"))},
      {"Two Dragons Set,Three-Of-A-Kind Hand,Dragons And Winds Hand", 204800,
       join(row(1, "Two Dragons Set", "3 Doubles"), row(2, "Three-Of-A-Kind Hand", "3 Doubles"),
            row(3, "Dragons And Winds Hand", "6 Doubles"), totals("12", "204800"))},
      {"", 50, join(row(1, "", "0 Double"), totals("0", "50"))},
      {"Seven Flower/Season Combo,Own Flower Tile,Pure Suit Hand,Sequence Hand", 51200,
       join(row(1, "Seven Flower/Season Combo", "3 Doubles"), row(2, "Own Flower Tile", "1 Double"),
            row(3, "Pure Suit Hand", "6 Doubles"), row(4, "Sequence Hand", "1 Double"),
            totals("11", "51200"))},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(boardMatches(show(c.handList, c.points), boardShowing(c.shown))) << c.handList;
  }
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(BreakDown, LiesCentredOneInchBelowTheTablesMiddleAndClosesOnlyOnEnterOrEscape) {
  frmBreakDown->load();
  EXPECT_EQ(frmBreakDown->borderStyle(), rt::BorderStyle::None);
  EXPECT_EQ(frmBreakDown->caption(), "Velloran");
  EXPECT_EQ(frmBreakDown->scaleWidth(), 667);
  EXPECT_EQ(frmBreakDown->left(), std::lround(70 + (frmMain->width() - 667) / 2.0));
  EXPECT_EQ(frmBreakDown->top(),
            std::lround(20 + 96 + (frmMain->height() - frmBreakDown->height()) / 2.0));

  headless->script("frmBreakDown", rt::typeText("q 1"));
  headless->script("frmBreakDown", rt::pressKeys({rt::vbKeyBack, rt::vbKeyTab, rt::vbKeyDown}));
  headless->script("frmBreakDown", rt::pressKeys({rt::vbKeyEscape}, 5.0));
  const double start = now();
  frmBreakDown->showModal();
  EXPECT_NEAR(now() - start, 5.0, 1e-9) << "open until Escape";
  EXPECT_FALSE(frmBreakDown);
}

TEST_F(BreakDown, AThirteenthPatternIsReportedAndLeavesTheTwelveRowsWithoutTotals) {
  std::string list;
  std::vector<Printed> rows;
  for (int i = 1; i <= 13; ++i) {
    list += (i > 1 ? "," : "") + std::string("Sequence Hand");
    if (i <= 12) rows = join(rows, row(i, "Sequence Hand", "1 Double"));
  }
  EXPECT_TRUE(boardMatches(show(list, 3200), boardShowing(rows)));
  ASSERT_EQ(headless->messageBoxes().size(), 1u);
  EXPECT_EQ(headless->messageBoxes()[0].text, "Error 9 - Subscript out of range");
  EXPECT_EQ(headless->messageBoxes()[0].title, "Error In msBreakDown");
}

}  // namespace
}  // namespace velloran
