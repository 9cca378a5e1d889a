#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "recording_table.h"

namespace velloran {
namespace {

TEST(TileSet, EveryShuffleIsAPermutationAndKindsComeFourOrOnce) {
  RecordingTable table;
  auto& engine = table.engine;
  std::map<int, int> kindCounts;
  for (int t = 1; t <= 144; ++t) ++kindCounts[engine.mintTileKindOf[t]];
  for (int kind = 1; kind <= 42; ++kind) EXPECT_EQ(kindCounts[kind], kind <= 34 ? 4 : 1) << kind;

  std::map<int, int> firstDealt;
  for (int shuffle = 0; shuffle < 200; ++shuffle) {
    engine.msShuffleTiles();
    std::vector<int> wall(engine.mintTileSequence.begin(), engine.mintTileSequence.end());
    std::sort(wall.begin(), wall.end());
    for (int p = 1; p <= 144; ++p) ASSERT_EQ(wall[p - 1], p) << "shuffle " << shuffle;
    ++firstDealt[engine.mintTileSequence[1]];
  }
  EXPECT_GT(firstDealt.size(), 50u) << "the first tile dealt varies from hand to hand";
  EXPECT_TRUE(table.reports.empty());
}

TEST(TileSet, KindsAndTileNumbers) {
  RecordingTable table;
  const auto& kinds = table.engine.mudtTileKinds;
  struct Case {
    int kind, value, suit, bonus;
  };
  for (const Case& c : std::vector<Case>{{1, 1, 1, 0},
                                         {9, 9, 1, 0},
                                         {10, 1, 2, 0},
                                         {27, 9, 3, 0},
                                         {28, 10, 0, 0},
                                         {31, 13, 0, 0},
                                         {34, 16, 0, 0},
                                         {35, 0, 0, 1},
                                         {38, 0, 0, 4},
                                         {39, 0, 0, 5},
                                         {42, 0, 0, 8}}) {
    EXPECT_EQ(kinds[c.kind].Value, c.value) << c.kind;
    EXPECT_EQ(kinds[c.kind].Suit, c.suit) << c.kind;
    EXPECT_EQ(kinds[c.kind].Bonus, c.bonus) << c.kind;
    EXPECT_EQ(kinds[c.kind].BmpIdx, c.kind);
  }
  const auto& kindOf = table.engine.mintTileKindOf;
  for (auto [tile, kind] : std::vector<std::pair<int, int>>{{1, 1},
                                                            {10, 1},
                                                            {36, 9},
                                                            {37, 10},
                                                            {73, 19},
                                                            {108, 27},
                                                            {109, 28},
                                                            {115, 34},
                                                            {116, 28},
                                                            {136, 34},
                                                            {137, 35},
                                                            {144, 42}}) {
    EXPECT_EQ(kindOf[tile], kind) << "tile " << tile;
  }
}

TEST(TileSet, SlotPositions) {
  RecordingTable table;
  const auto& engine = table.engine;
  struct Case {
    typCell slot;
    int x, y;
  };
  for (const Case& c : std::vector<Case>{{engine.mudtCellTable(0, 5), 160, 24},
                                         {engine.mudtCellTable(12, 1), 40, 492},
                                         {engine.mudtCellTable(12, 9), 280, 492},
                                         {engine.mudtCellTable(1, 1), 40, 63},
                                         {engine.mudtEarnedTiles[1], 352, 177},
                                         {engine.mudtEarnedTiles[14], 742, 177},
                                         {engine.mudtEarnedTiles[15], 352, 129},
                                         {engine.mudtEarnedTiles[22], 562, 129},
                                         {gudtPossibleSets(1, 1), 6, 6},
                                         {gudtPossibleSets(5, 1), 6, 51},
                                         {gudtPossibleSets(4, 2), 330, 6},
                                         {gudtPossibleSets(12, 3), 360, 96}}) {
    EXPECT_EQ(c.slot.X, c.x);
    EXPECT_EQ(c.slot.Y, c.y);
    EXPECT_FALSE(c.slot.Occupied);
  }
}

}  // namespace
}  // namespace velloran
