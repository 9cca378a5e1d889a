#include <gtest/gtest.h>

#include "recording_table.h"

namespace velloran {
namespace {

using Calls = std::vector<std::string>;

const Calls kTaking = {"msDrawPlayArea", "msDrawEarnedTiles", "msDrawNexTile", "print",
                       "print",          "msDrawRound",       "msDrawSeats",   "presentWork"};

// West, falling West, West on the bottom row in columns 4 to 6; a flower on the West in
// column 4, dots above it to row 2, characters up to row 1 in column 6, column 5 empty.
void trioUnderStacks(RecordingTable& t) {
  t.put(12, 4, kWest);
  t.put(12, 6, kWest);
  t.put(11, 4, kFlower1);
  for (int row = 2; row <= 10; ++row) t.put(row, 4, dots(row - 1));
  for (int row = 1; row <= 11; ++row) t.put(row, 6, characters(row % 9 + 1));
  t.falling(12, 5, kWest);
}

TEST(Landing, TakingATrioDropsTheStacksAndTheFlowerThatReachesTheBottomIsOffered) {
  RecordingTable t;
  t.startAnew();
  t.holdHand({kEast, kEast}, 1);
  trioUnderStacks(t);
  t.engine.mudtCellTable(0, 4).Occupied = true;  // the entry row is never shifted or cleared
  t.engine.mblnDropFast = true;
  t.take(4, 12, 3);
  t.take(4, 12, 1);
  t.tick();

  Calls expected = {"msGenerateLightning", "msDrawLightning", "msDrawLightning", "chooseSet"};
  expected.insert(expected.end(), kTaking.begin(), kTaking.end());
  for (const char* call : {"msDrawLightning", "msDrawLightning", "chooseSet"}) {
    expected.push_back(call);
  }
  expected.insert(expected.end(), kTaking.begin(), kTaking.end());
  EXPECT_EQ(t.calls, expected);
  ASSERT_EQ(t.offers.size(), 2u);
  EXPECT_EQ(t.offers[1].rows, std::vector<std::int16_t>{12});
  EXPECT_EQ(t.offers[1].cols, std::vector<std::int16_t>{4});
  EXPECT_EQ(t.offers[1].sizes[0], 1);

  const auto& engine = t.engine;
  for (int slot : {3, 4, 5}) EXPECT_EQ(engine.mudtEarnedTiles[slot].BmpIdx, kWest);
  EXPECT_EQ(engine.mudtEarnedTiles[15].BmpIdx, kFlower1);
  EXPECT_EQ(engine.mintEarnedBonusSlots, 1);
  EXPECT_EQ(engine.mintEarnedCount, 5) << "a flower counts nothing toward the hand";
  EXPECT_EQ(engine.mlngScore, 4) << "a fast-dropped trio scores 4, a flower nothing";
  EXPECT_EQ(t.printed.back(), "454,237 4 255 Wonton ICG 18 bold");
  EXPECT_FALSE(engine.mblnDropFast);

  EXPECT_EQ(engine.mudtCellTable(12, 4).BmpIdx, dots(9)) << "column 4 dropped twice";
  EXPECT_EQ(engine.mudtCellTable(12, 6).BmpIdx, characters(3)) << "column 6 dropped once";
  EXPECT_FALSE(engine.mudtCellTable(12, 5).Occupied);
  for (int col : {4, 5, 6}) EXPECT_FALSE(engine.mudtCellTable(1, col).Occupied);
  EXPECT_TRUE(engine.mudtCellTable(0, 4).Occupied);
  EXPECT_EQ(engine.mudtCellTable(12, 4).X, 130) << "positions stay";
  EXPECT_EQ(engine.mudtCellTable(12, 4).Y, 492);
}

TEST(Landing, TheRunThatCompletesTheHandIsTalliedAndEndsTheCascade) {
  RecordingTable t;
  t.startAnew();
  t.holdHand({dots(1), dots(1), dots(2), dots(2), dots(2), dots(3), dots(3), dots(3), dots(4),
              dots(4), dots(4)},
             1);
  trioUnderStacks(t);
  t.take(4, 12, 3);
  t.tick();
  EXPECT_EQ(t.offers.size(), 1u) << "the flower now on the bottom row is not offered";
  EXPECT_EQ(t.engine.mudtCellTable(12, 4).BmpIdx, kFlower1);
  EXPECT_EQ(t.engine.mintEarnedCount, 14);
  EXPECT_EQ(gstrHandList, "Semi-Pure Suit Hand,Three-Of-A-Kind Hand");
  EXPECT_EQ(glngHandPoints, 3200);
  EXPECT_EQ(t.engine.mlngScore, 3202);
  EXPECT_EQ(t.count("presentWork"), 1);
  EXPECT_EQ(t.engine.mintRow, -1);
}

TEST(Landing, APairGoesToTheNextHandSlots) {
  struct Case {
    std::vector<int> hand;
    int pairIdx;
  };
  for (const Case& c : std::vector<Case>{{{}, 1}, {{2, 2, 2, 3, 3, 3, 4, 4, 4}, 10}}) {
    RecordingTable t;
    t.startAnew();
    int slot = 0;
    for (int kind : c.hand)
      placeTile(t.engine.mudtTileKinds[kind], t.engine.mudtEarnedTiles[++slot]);
    t.engine.mintEarnedHandSlots = t.engine.mintEarnedCount = static_cast<std::int16_t>(slot);
    t.put(12, 4, dots(7));
    t.falling(12, 5, dots(7));
    t.take(4, 12, 2);
    t.tick();
    EXPECT_TRUE(t.engine.mblnPairEarned);
    EXPECT_EQ(t.engine.mintPairIdx, c.pairIdx);
    EXPECT_EQ(t.engine.mudtEarnedTiles[c.pairIdx + 1].BmpIdx, dots(7));
    EXPECT_EQ(t.engine.mintEarnedCount, slot + 2);
    EXPECT_EQ(t.engine.mlngScore, 0) << "a pair scores nothing";
  }
}

TEST(Landing, StoringGivesTheSetKindAndKeepsTheRowsOrder) {
  RecordingTable t;
  t.startAnew();
  auto& engine = t.engine;
  for (int col = 1; col <= 8; ++col) t.put(12, col, kSeason1 + col - 1);
  t.put(11, 1, dots(6));
  t.put(11, 2, dots(5));
  t.put(11, 3, dots(4));
  t.put(10, 1, kRed);
  t.put(10, 2, kRed);
  t.put(10, 3, kRed);
  t.put(9, 1, kEast);
  t.put(9, 2, kEast);
  struct Case {
    int row, first, last, kind;
    std::vector<int> slots;
  };
  for (const Case& c : std::vector<Case>{{11, 1, 3, 2, {1, 2, 3}},
                                         {10, 1, 3, 3, {4, 5, 6}},
                                         {9, 1, 2, 1, {7, 8}},
                                         {12, 1, 1, 0, {15}},
                                         {12, 8, 8, 0, {16}}}) {
    std::int32_t kind = -1;
    engine.msStoreEarnedTiles(static_cast<std::int16_t>(c.row), static_cast<std::int16_t>(c.first),
                              static_cast<std::int16_t>(c.last), kind);
    EXPECT_EQ(kind, c.kind) << "row " << c.row;
    for (std::size_t i = 0; i < c.slots.size(); ++i) {
      EXPECT_EQ(engine.mudtEarnedTiles[c.slots[i]].BmpIdx,
                engine.mudtCellTable(c.row, c.first + static_cast<int>(i)).BmpIdx);
    }
  }
  EXPECT_EQ(engine.mudtEarnedTiles[1].BmpIdx, dots(6)) << "6-5-4 stays 6-5-4";
  EXPECT_TRUE(engine.mudtCellTable(11, 1).Occupied) << "storing leaves the play area alone";
  for (int col = 2; col <= 7; ++col) {
    std::int32_t kind = -1;
    engine.msStoreEarnedTiles(12, static_cast<std::int16_t>(col), static_cast<std::int16_t>(col),
                              kind);
  }
  EXPECT_EQ(engine.mintEarnedBonusSlots, 8);
  EXPECT_EQ(engine.mudtEarnedTiles[22].BmpIdx, kSeason1 + 6) << "the eighth goes to slot 22";
  EXPECT_EQ(engine.mintEarnedCount, 0) << "storing counts nothing; the cascade does";
}

}  // namespace
}  // namespace velloran
