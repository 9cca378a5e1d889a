// The table picture and the dialog boards: the places where the game draws and prints over
// them must be where the pictures leave room for it.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "runtime/picture.h"

namespace velloran {
namespace {

using rt::Colour;
using rt::Picture;

struct Box {
  int left, top, right, bottom;  // inclusive
};

int countIn(const Picture& picture, Box box, const std::function<bool(Colour)>& test) {
  int count = 0;
  for (int y = box.top; y <= box.bottom; ++y) {
    for (int x = box.left; x <= box.right; ++x) {
      if (test(picture.pixel(x, y))) ++count;
    }
  }
  return count;
}

bool reddish(Colour c) {
  return rt::redOf(c) > rt::greenOf(c) + 40 && rt::redOf(c) > rt::blueOf(c) + 40;
}

bool greyish(Colour c) {
  const int hi = std::max({rt::redOf(c), rt::greenOf(c), rt::blueOf(c)});
  const int lo = std::min({rt::redOf(c), rt::greenOf(c), rt::blueOf(c)});
  return hi - lo <= 40;
}

class TablePicture : public ::testing::Test {
 protected:
  const Picture table = rt::loadResourcePicture("bitmap101");
};

// Tiles land in x 40 to 309, y 63 to 530; the frame's inner edge must run right round that.
TEST_F(TablePicture, FrameHasItsInnerEdgeOnThePlayArea) {
  const Colour edge = table.pixel(39, 62);
  EXPECT_TRUE(reddish(edge));
  const auto isEdge = [edge](Colour c) { return c == edge; };
  // the ring just outside the play area is all frame
  EXPECT_EQ(countIn(table, {39, 62, 39, 531}, isEdge), 470);
  EXPECT_EQ(countIn(table, {310, 62, 310, 531}, isEdge), 470);
  EXPECT_EQ(countIn(table, {39, 62, 310, 62}, isEdge), 272);
  EXPECT_EQ(countIn(table, {39, 531, 310, 531}, isEdge), 272);
  // and none of it reaches into the play area
  EXPECT_EQ(countIn(table, {40, 63, 309, 530}, isEdge), 0);
  // the frame itself is red all round
  for (const Box& side : {Box{31, 100, 37, 500}, Box{312, 100, 318, 500}, Box{60, 54, 290, 60},
                          Box{60, 533, 290, 539}}) {
    EXPECT_EQ(countIn(table, side, [](Colour c) { return !reddish(c); }), 0);
  }
}

// At start-up the game saves the 30 x 39 block at (474, 44) as the empty next-tile box and puts
// it back whenever Peek is off: that block must be the whole inside of the box, and only it.
TEST_F(TablePicture, NextTileBoxIsTheBlockTheGameSavesAsEmpty) {
  Picture saved(30, 39);
  rt::BitBlt(saved, 0, 0, 30, 39, table, 474, 44, rt::SRCCOPY);
  const Colour inside = saved.pixel(0, 0);
  EXPECT_EQ(countIn(saved, {0, 0, 29, 38}, [inside](Colour c) { return c == inside; }), 30 * 39);
  const auto isInside = [inside](Colour c) { return c == inside; };
  EXPECT_EQ(countIn(table, {473, 43, 504, 43}, isInside), 0);
  EXPECT_EQ(countIn(table, {473, 83, 504, 83}, isInside), 0);
  EXPECT_EQ(countIn(table, {473, 43, 473, 83}, isInside), 0);
  EXPECT_EQ(countIn(table, {504, 43, 504, 83}, isInside), 0);
}

// Where the game draws tiles, prints the score, shows the round indicator and lays out the
// seat panel, the table shows only its grey sky: no caption may reach into those places.
TEST_F(TablePicture, LeavesThePlacesTheGameDrawsOnToTheSky) {
  struct Place {
    const char* what;
    Box box;
  };
  for (const Place& place :
       {Place{"flower and season tiles", {352, 129, 591, 167}},
        Place{"tiles in possession", {352, 177, 771, 215}}, Place{"score", {453, 236, 600, 262}},
        Place{"round indicator", {428, 306, 491, 371}},
        Place{"seat panel", {526, 272, 740, 395}}}) {
    SCOPED_TRACE(place.what);
    EXPECT_EQ(countIn(table, place.box, [](Colour c) { return !greyish(c); }), 0);
  }
}

// ---------------------------------------------------------------- the boards

// The break-down prints each pattern name and its doubles into a recessed field, and the
// totals into the bar along the bottom: each print place must lie on plain field colour.
TEST(BreakDownBoard, HasAPlainFieldUnderEveryPrintPlace) {
  const Picture board = rt::loadResourcePicture("bitmap102");
  const Colour field = board.pixel(38, 55);
  for (int row = 0; row < 6; ++row) {
    const int y = 55 + 38 * row;
    for (const Box& text : {Box{38, y, 38 + 150, y + 17}, Box{249, y, 249 + 60, y + 17},
                            Box{354, y, 354 + 150, y + 17}, Box{566, y, 566 + 60, y + 17}}) {
      SCOPED_TRACE(testing::Message() << "row " << row + 1 << " at x " << text.left);
      EXPECT_EQ(countIn(board, text, [field](Colour c) { return c != field; }), 0);
    }
  }
  const Colour bar = board.pixel(208, 284);
  for (const Box& total : {Box{207, 283, 300, 301}, Box{520, 283, 620, 301}}) {
    EXPECT_EQ(countIn(board, total, [bar](Colour c) { return c != bar; }), 0);
  }
}

bool magenta(Colour c) {
  return rt::redOf(c) > 200 && rt::blueOf(c) > 200 && rt::greenOf(c) < 120;
}

// The four tiles and their frame sit in the middle band (x 47 to 209, y 105 to 150); the
// lettering goes above and below it.
TEST(SeatBoard, KeepsTheTileBandClearOfLettering) {
  const Picture board = rt::loadResourcePicture("bitmap103");
  EXPECT_EQ(countIn(board, {47, 105, 209, 150},
                    [](Colour c) {
                      return !(rt::greenOf(c) > rt::redOf(c) && rt::greenOf(c) > rt::blueOf(c));
                    }),
            0);
  EXPECT_GT(countIn(board, {0, 0, 255, 104}, magenta), 100);
  EXPECT_GT(countIn(board, {0, 151, 255, 255}, magenta), 100);
}

bool gold(Colour c) {
  return rt::redOf(c) > 150 && rt::greenOf(c) > 110;
}

// Names, rounds, levels and scores print in dark ink on the gold sheet at rows 138 + 32 (i - 1);
// their places must be bare gold, with the row number printed to their left.
TEST(HighScoreSheet, LeavesTheValuePlacesBare) {
  const Picture sheet = rt::loadResourcePicture("bitmap104");
  for (int row = 0; row < 5; ++row) {
    const int y = 138 + 32 * row;
    SCOPED_TRACE(testing::Message() << "row " << row + 1);
    for (const Box& value : {Box{65, y - 1, 200, y + 17}, Box{229, y - 1, 290, y + 17},
                             Box{321, y - 1, 350, y + 17}, Box{360, y - 1, 445, y + 17}}) {
      EXPECT_EQ(countIn(sheet, value, [](Colour c) { return !gold(c); }), 0);
    }
    EXPECT_GT(countIn(sheet, {20, y, 60, y + 17}, [](Colour c) { return !gold(c); }), 10);
  }
}

}  // namespace
}  // namespace velloran
