#include <gtest/gtest.h>

#include "recording_table.h"
#include "support/case_names.h"

namespace velloran {
namespace {

struct RunCase {
  const char* what;
  std::vector<int> kinds;  // from column 1
  int row = 12;
  bool pairEarned = false;
  int earned = 0;
  bool qualifies;
  friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.what; }
};

class RunKinds : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunKinds, QualifiesByTheSetKindRules) {
  const RunCase& c = GetParam();
  RecordingTable t;
  t.startAnew();
  t.engine.mblnPairEarned = c.pairEarned;
  t.engine.mintEarnedCount = static_cast<std::int16_t>(c.earned);
  for (std::size_t i = 0; i < c.kinds.size(); ++i)
    t.put(c.row, static_cast<int>(i) + 1, c.kinds[i]);
  const auto size = static_cast<std::int32_t>(c.kinds.size());
  EXPECT_EQ(t.engine.mblnfTileConnection(static_cast<std::int16_t>(c.row), 1, size), c.qualifies);
  EXPECT_EQ(t.engine.mintPossibleSetCount, c.qualifies ? 1 : 0);
  for (int slot = 1; slot <= 3; ++slot) {
    const typCell& stored = gudtPossibleSets(1, slot);
    const bool used = c.qualifies && slot <= size;
    EXPECT_EQ(stored.Occupied, used);
    EXPECT_EQ(stored.BmpIdx, used ? c.kinds[slot - 1] : 0) << "stored left to right";
  }
}

INSTANTIATE_TEST_SUITE_P(
    SetDetection, RunKinds,
    ::testing::Values(
        RunCase{"flower on the bottom row", {kFlower1}, 12, false, 0, true},
        RunCase{"flower on row 11", {kFlower1}, 11, false, 0, false},
        RunCase{"suit tile alone", {dots(3)}, 12, false, 0, false},
        RunCase{"season alone with 12 earned", {kSeason2}, 12, false, 12, true},
        RunCase{"pair of dots", {dots(7), dots(7)}, 11, false, 0, true},
        RunCase{"pair of honours", {kEast, kEast}, 12, false, 0, true},
        RunCase{"pair once a pair is earned", {dots(7), dots(7)}, 12, true, 0, false},
        RunCase{"one rank in two suits", {dots(7), bamboo(7)}, 12, false, 0, false},
        RunCase{"two seasons", {kSeason1, kSeason2}, 12, false, 0, false},
        RunCase{"flower and season", {kSeason1, kFlower2}, 12, false, 0, false},
        RunCase{"three red dragons", {kRed, kRed, kRed}, 10, false, 0, true},
        RunCase{"East South West", {kEast, kSouth, kWest}, 12, false, 0, false},
        RunCase{"fives of three suits", {dots(5), bamboo(5), characters(5)}, 12, false, 0, false},
        RunCase{"two fives and a five of another suit",
                {dots(5), dots(5), bamboo(5)},
                12,
                false,
                0,
                false},
        RunCase{"trio of characters",
                {characters(9), characters(9), characters(9)},
                12,
                false,
                9,
                true},
        RunCase{"trio with 12 earned", {dots(2), dots(2), dots(2)}, 12, false, 12, false},
        RunCase{"2-3-4 bamboo", {bamboo(2), bamboo(3), bamboo(4)}, 12, false, 0, true},
        RunCase{"4-3-2 bamboo", {bamboo(4), bamboo(3), bamboo(2)}, 12, false, 0, true},
        RunCase{"2-4-3 bamboo", {bamboo(2), bamboo(4), bamboo(3)}, 12, false, 0, false},
        RunCase{"3-4-5 in two suits", {dots(3), bamboo(4), dots(5)}, 12, false, 0, false},
        RunCase{"three seasons", {kSeason1, kSeason2, kSeason3}, 12, false, 0, false}),
    velloran::testing::NamedByWhat());

TEST(SetDetection, EmptyCellsAndOtherSizesFormNothing) {
  RecordingTable t;
  t.startAnew();
  t.put(12, 2, dots(1));
  t.put(12, 3, dots(1));
  for (int size : {1, 2, 3}) EXPECT_FALSE(t.engine.mblnfTileConnection(12, 1, size));
  EXPECT_FALSE(t.engine.mblnfTileConnection(12, 2, 0));
  EXPECT_FALSE(t.engine.mblnfTileConnection(12, 2, 4));
  EXPECT_EQ(t.engine.mintPossibleSetCount, 0);
}

struct WindowCase {
  int refCol;
  bool afterRemoval;
  int width;
  int singles[2], pairs[2], trios[2];
};

TEST(SetDetection, WindowsOfStartColumns) {
  RecordingTable t;
  for (const WindowCase& c :
       std::vector<WindowCase>{// After a landing the width is ignored.
                               {1, false, 3, {1, 1}, {1, 1}, {1, 1}},
                               {2, false, 3, {2, 2}, {1, 2}, {1, 2}},
                               {5, false, 3, {5, 5}, {4, 5}, {3, 5}},
                               {8, false, 3, {8, 8}, {7, 8}, {6, 7}},
                               {9, false, 3, {9, 9}, {8, 8}, {7, 7}},
                               // After a removal every window that covers a column the run left.
                               {4, true, 3, {4, 6}, {3, 6}, {2, 6}},
                               {1, true, 3, {1, 3}, {1, 3}, {1, 3}},
                               {7, true, 3, {7, 9}, {6, 8}, {5, 7}},
                               {9, true, 1, {9, 9}, {8, 8}, {7, 7}},
                               {5, true, 2, {5, 6}, {4, 6}, {3, 6}}}) {
    const int* expected[] = {c.singles, c.pairs, c.trios};
    for (int size = 1; size <= 3; ++size) {
      std::int16_t first = -7, last = -7;
      t.engine.msGetColumns(static_cast<std::int16_t>(c.refCol), first, last, c.afterRemoval, size,
                            static_cast<std::int16_t>(c.width));
      EXPECT_EQ(first, expected[size - 1][0]) << c.refCol << " " << c.afterRemoval << " " << size;
      EXPECT_EQ(last, expected[size - 1][1]) << c.refCol << " " << c.afterRemoval << " " << size;
    }
  }
  std::int16_t first = -7, last = -7;
  t.engine.msGetColumns(5, first, last, false, 4, 1);
  EXPECT_EQ(first, -7) << "another size leaves the range as it was";
  EXPECT_EQ(last, -7);
}

TEST(SetDetection, FourEqualTilesOfferPairsThenTriosInColumnOrderAroundTheLanding) {
  RecordingTable t;
  t.startAnew();
  for (int col : {3, 5, 6}) t.put(12, col, dots(5));
  t.falling(12, 4, dots(5));
  t.engine.mblnDropFast = true;
  t.tick();  // lands; the player passes
  ASSERT_EQ(t.offers.size(), 1u);
  const Offer& offer = t.offers[0];
  EXPECT_EQ(offer.rows, (std::vector<std::int16_t>{12, 12, 12, 12}));
  EXPECT_EQ(offer.cols, (std::vector<std::int16_t>{3, 4, 3, 4}))
      << "the pair at 5 lies outside the landing's windows";
  EXPECT_EQ(offer.sizes, (std::vector<int>{2, 2, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(offer.setCount, 4);

  // A pass leaves the run where it lies and empties the candidate table.
  for (int col : {3, 4, 5, 6}) EXPECT_TRUE(t.engine.mudtCellTable(12, col).Occupied);
  EXPECT_EQ(t.count("msDrawPlayArea"), 0);
  EXPECT_EQ(t.engine.mintPossibleSetCount, 0);
  for (int k = 1; k <= 12; ++k) EXPECT_FALSE(gudtPossibleSets(k, 1).Occupied);
  EXPECT_FALSE(t.engine.mblnDropFast);
  EXPECT_EQ(t.engine.mintEarnedCount, 0);
}

TEST(SetDetection, APassAfterARemovalStopsAtElevenCandidatesLeavingAPlaceForPass) {
  RecordingTable t;
  t.startAnew();
  // A sequence completed in row 12 under stacks of red dragons in columns 3 to 6.
  t.put(12, 4, dots(1));
  t.put(12, 6, dots(3));
  for (int row = 6; row <= 11; ++row) {
    for (int col = 3; col <= 6; ++col) t.put(row, col, kRed);
  }
  t.falling(12, 5, dots(2));
  t.take(4, 12, 3);
  t.tick();
  ASSERT_EQ(t.offers.size(), 2u);
  EXPECT_EQ(t.offers[0].cols, std::vector<std::int16_t>{4});
  const Offer& crowded = t.offers[1];
  EXPECT_EQ(crowded.setCount, 11);
  EXPECT_EQ(crowded.rows, (std::vector<std::int16_t>{12, 12, 11, 11, 11, 10, 10, 10, 9, 9, 9}));
  EXPECT_EQ(crowded.cols, (std::vector<std::int16_t>{4, 5, 3, 4, 5, 3, 4, 5, 3, 4, 5}));
  EXPECT_EQ(crowded.sizes[11], 0) << "the twelfth place stays free";
}

}  // namespace
}  // namespace velloran
