// What the table window shows of a hand: the falling tile in the view of its column, the
// landed tiles, the next tile, the earned hand and the table panel with its seats, house
// marker and round indicator, each compared pixel by pixel with the game's own pictures
// put where the table's layout says.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/keys.h"
#include "support/pictures.h"
#include "support/table_window.h"

namespace velloran {
namespace {

using testing::block;
using testing::difference;
using testing::kFaceOn;
using testing::kLeftView;
using testing::kRightView;
using testing::kTileH;
using testing::kTileW;
using testing::paintSprite;
using testing::paintTile;
using testing::resource;
using testing::tileAt;
using testing::TileSeen;

// The table's layout, in pixels of the table picture, which the window shows from its corner.
int cellX(int column) {
  return 40 + 30 * (column - 1);
}
int cellY(int row) {
  return 24 + 39 * row;
}
int slotX(int slot) {
  return slot <= 14 ? 352 + 30 * (slot - 1) : 352 + 30 * (slot - 15);
}
int slotY(int slot) {
  return slot <= 14 ? 177 : 129;
}
constexpr int kNextX = 474, kNextY = 44;
constexpr int kToolbarHeight = 22;  // the toolbar lies over the table's top rows

constexpr int kEast = 28, kSouth = 29, kWest = 30, kNorth = 31, kRed = 32, kGreen = 33;

class TablePictures : public testing::TableWindowTest {
 protected:
  const rt::Picture& bareTable() { return resource("bitmap101"); }
  // A block of the bare table with a tile drawn on it.
  rt::Picture tileOnTable(int x, int y, int kind, int view) {
    rt::Picture expected = block(bareTable(), x, y, kTileW, kTileH);
    paintTile(expected, 0, 0, kind, view);
    return expected;
  }
  rt::Picture bare(int x, int y) { return block(bareTable(), x, y, kTileW, kTileH); }
  int kindAt(int position) { return game().mintTileKindOf[game().mintTileSequence[position]]; }
  // Drops the falling tile and serves the game until it has landed.
  void dropAndLand() {
    press({rt::vbKeyDown});
    for (int guard = 0; guard < 100'000 && game().mintRow != -1; ++guard) app().serveNext();
  }
};

TEST_F(TablePictures, TheFallingTileShowsTheViewOfItsColumn) {
  const struct {
    const char* what;
    std::vector<std::int16_t> keys;
    int column;
    int view;
  } cases[] = {
      {"as dealt, in the centre column", {}, 5, kFaceOn},
      {"one step left", {rt::vbKeyLeft}, 4, kLeftView},
      {"at the left edge", {37, 37, 37, 37, 37}, 1, kLeftView},
      {"one step right, by the keypad", {rt::vbKeyNumpad6}, 6, kRightView},
      {"at the right edge", {39, 39, 39, 39, 39}, 9, kRightView},
      {"across the centre and back", {37, 39, 39}, 6, kRightView},
      {"back to the centre", {rt::vbKeyNumpad4, rt::vbKeyRight}, 5, kFaceOn},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    startAnew();
    untilDealt();
    for (const std::int16_t key : c.keys) press({key});
    const int x = cellX(c.column), y = cellY(game().mintRow);
    EXPECT_EQ(tileAt(window(), x, y), (TileSeen{fallingKind(), c.view}));
    EXPECT_EQ(difference(window(), x, y, tileOnTable(x, y, fallingKind(), c.view)), "");
    for (int column = 1; column <= 9; ++column) {
      if (column == c.column) continue;
      EXPECT_EQ(difference(window(), cellX(column), y, bare(cellX(column), y)), "")
          << "column " << column << " shows the bare table";
    }
  }
  EXPECT_TRUE(noErrors());
}

TEST_F(TablePictures, TakingARunRedrawsTheLandedTilesInTheViewOfTheirColumns) {
  answerEveryDialog();  // the set chooser takes the first run offered
  startAnew();
  untilDealt();
  const int kind = fallingKind();
  ASSERT_LT(kind, 35) << "the seed deals a flower or season first";
  // A tile like the falling one waits where it will land beside it: the pair is offered and
  // taken, and the play area is drawn again from the table up.
  struct Placed {
    int row, column, kind;
  };
  std::vector<Placed> placed = {{12, 4, kind},  {12, 1, kEast}, {11, 1, kSouth}, {12, 9, kWest},
                                {1, 8, kNorth}, {7, 3, kGreen}, {0, 2, kRed}};
  for (Placed& p : placed) {
    if (p.kind == kind && p.column != 4) p.kind = 1 + (kind % 27);  // no second run
    put(p.row, p.column, p.kind);
  }
  dropAndLand();
  ASSERT_EQ(game().mintEarnedCount, 2) << "the pair was taken";

  rt::Picture expected = bareTable();
  const int views[] = {0,       kLeftView,  kLeftView,  kLeftView,  kLeftView,
                       kFaceOn, kRightView, kRightView, kRightView, kRightView};
  for (const Placed& p : placed) {
    if (p.row == 0 || (p.row == 12 && p.column == 4)) continue;  // hidden, or taken
    paintTile(expected, cellX(p.column), cellY(p.row), p.kind, views[p.column]);
  }
  const rt::Picture playArea = block(expected, 40, kToolbarHeight, 270, 531 - kToolbarHeight);
  EXPECT_EQ(difference(window(), 40, kToolbarHeight, playArea), "")
      << "the play area, its hidden top row included";
  // The pair is in the hand, face-on, although it came from either side of the centre.
  for (const int slot : {1, 2}) {
    EXPECT_EQ(difference(window(), slotX(slot), slotY(slot),
                         tileOnTable(slotX(slot), slotY(slot), kind, kFaceOn)),
              "")
        << "slot " << slot;
  }
  EXPECT_TRUE(noErrors());
}

TEST_F(TablePictures, EveryEarnedTileShowsFaceOnInItsSlot) {
  startAnew();
  untilDealt();
  for (int slot = 1; slot <= 22; ++slot) {
    const int kind = slot <= 14 ? 2 * slot : 20 + slot;  // suits and honours, then the bonus
    placeTile(game().mudtTileKinds[kind], game().mudtEarnedTiles[slot]);
  }
  game().mudtEarnedTiles[6].Occupied = false;  // an empty slot is left alone
  nextFrame();
  for (int slot = 1; slot <= 22; ++slot) {
    SCOPED_TRACE(slot);
    const int x = slotX(slot), y = slotY(slot);
    const int kind = slot <= 14 ? 2 * slot : 20 + slot;
    EXPECT_EQ(difference(window(), x, y, slot == 6 ? bare(x, y) : tileOnTable(x, y, kind, kFaceOn)),
              "");
  }
}

TEST_F(TablePictures, PeekShowsTheTileDealtAfterTheFallingOneFaceOn) {
  answerEveryDialog();
  const rt::Picture emptyBox = bare(kNextX, kNextY);
  click(8);  // before the first game the wall is empty: nothing to show
  EXPECT_EQ(difference(table().picWork, 0, 0, bareTable()), "");
  click(8);
  startAnew();
  untilDealt();
  EXPECT_EQ(difference(window(), kNextX, kNextY, emptyBox), "") << "Peek is off";

  click(8);
  untilDealt();
  EXPECT_EQ(difference(window(), kNextX, kNextY,
                       tileOnTable(kNextX, kNextY, kindAt(game().mintTilePtr + 1), kFaceOn)),
            "");
  // Each new tile is drawn over the one before, which its mask covers.
  for (int deal = 0; deal < 5; ++deal) {
    SCOPED_TRACE(deal);
    dropAndLand();
    untilDealt();
    EXPECT_EQ(tileAt(window(), kNextX, kNextY),
              (TileSeen{kindAt(game().mintTilePtr + 1), kFaceOn}));
  }

  // Switched while paused: the table picture changes, the window at its next copy.
  click(9);
  click(8);
  EXPECT_EQ(difference(table().picWork, kNextX, kNextY, emptyBox), "");
  EXPECT_NE(difference(window(), kNextX, kNextY, emptyBox), "") << "not copied to the window yet";
  click(9);
  untilDealt();
  EXPECT_EQ(difference(window(), kNextX, kNextY, emptyBox), "");

  // At the last tile of the wall there is none to come: the box keeps what it showed.
  click(8);
  dropAndLand();
  game().mintTilePtr = 142;
  untilDealt();
  ASSERT_EQ(game().mintTilePtr, 143);
  const TileSeen last{kindAt(144), kFaceOn};
  EXPECT_EQ(tileAt(window(), kNextX, kNextY), last);
  dropAndLand();
  untilDealt();
  ASSERT_EQ(game().mintTilePtr, 144);
  ASSERT_NE(kindAt(1), kindAt(144));
  EXPECT_EQ(tileAt(window(), kNextX, kNextY), last);
  EXPECT_TRUE(noErrors());
}

// The table panel as the layout gives it, on the bare table: the table top, the four seat
// labels (the player's in white, the others in blue, each over a black copy one pixel up and
// left), the house marker in front of the house's seat and the round indicator.
rt::Picture tablePanel(int player, int house, int wind, bool chinese) {
  rt::Picture expected = resource("bitmap101");
  const rt::Picture& top = resource("picTableTop");
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) expected.setPixel(592 + x, 304 + y, top.pixel(x, y));
  }
  const struct {
    const char* name;
    int labelX, labelY, markerX, markerY;
  } seats[] = {{"East", 600, 272, 615, 311},
               {"South", 526, 320, 599, 328},
               {"West", 600, 366, 615, 346},
               {"North", 663, 320, 634, 328}};
  const rt::Font font{"Wonton ICG", 18, false};
  for (int seat = 1; seat <= 4; ++seat) {
    const auto& s = seats[seat - 1];
    const std::string text = seat == player ? "Player" : s.name;
    rt::printText(expected, s.labelX - 1, s.labelY - 1, text, rt::rgb(0, 0, 0), font);
    rt::printText(expected, s.labelX, s.labelY, text,
                  seat == player ? rt::rgb(255, 255, 255) : rt::rgb(0, 0, 255), font);
  }
  paintSprite(expected, seats[house - 1].markerX, seats[house - 1].markerY, 16, 16,
              resource("picSmallHouseMask"), 0, 0, resource("picSmallHouse"), (wind - 1) * 16,
              chinese ? 0 : 16);
  paintSprite(expected, 428, 306, 64, 66, resource("picHouseMask"), 0, 0, resource("picHouse"),
              (wind - 1) * 64, chinese ? 0 : 66);
  return expected;
}

// The part of the table the panel lies in, below the score.
rt::Picture panelArea(const rt::Picture& table) {
  return block(table, 420, 266, 375, 160);
}

TEST_F(TablePictures, TheTablePanelShowsTheSeatsTheHouseAndTheRoundWind) {
  const struct {
    int player, house, wind;
    bool chinese;
  } cases[] = {
      {3, 1, 1, true},  {1, 4, 2, true}, {2, 2, 2, false},
      {4, 3, 4, false}, {1, 1, 3, true}, {2, 4, 3, false},
  };
  startAnew();
  click(9);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "player " << c.player << ", house " << c.house << ", wind "
                                      << c.wind << (c.chinese ? ", Chinese" : ""));
    game().mlngPlayerSeat = c.player;
    game().mlngHouse = c.house;
    game().mlngRoundWind = c.wind;
    game().mblnChineseIndicator = c.chinese;
    table().clearWork();
    table().msDrawRound();
    table().msDrawSeats();
    EXPECT_EQ(difference(table().picWork, 420, 266,
                         panelArea(tablePanel(c.player, c.house, c.wind, c.chinese))),
              "");
  }
  EXPECT_TRUE(noErrors());
}

TEST_F(TablePictures, TheRoundButtonRedrawsIndicatorAndMarkerInTheOtherScript) {
  answerEveryDialog();
  click(7);
  EXPECT_EQ(difference(table().picWork, 0, 0, bareTable()), "") << "no game: nothing is drawn";
  click(7);
  startAnew();
  untilDealt();
  EXPECT_EQ(
      difference(window(), 420, 266, panelArea(tablePanel(game().mlngPlayerSeat, 1, 1, true))), "")
      << "a game begins with East's round, the house at seat 1";
  // Paused: the table picture changes, the window only at its next copy.
  click(9);
  const rt::Picture before = window();
  click(7);
  EXPECT_TRUE(window() == before);
  EXPECT_EQ(difference(table().picWork, 420, 266,
                       panelArea(tablePanel(game().mlngPlayerSeat, 1, 1, false))),
            "");
  click(9);
  nextFrame();
  EXPECT_EQ(
      difference(window(), 420, 266, panelArea(tablePanel(game().mlngPlayerSeat, 1, 1, false))),
      "");
  EXPECT_TRUE(noErrors());
}

}  // namespace
}  // namespace velloran
