#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "recording_table.h"
#include "support/case_names.h"

namespace velloran {
namespace {

using Calls = std::vector<std::string>;

struct StepCase {
  int col, blockedCol;
  std::int16_t key;
  int colAfter;
  // "key 37 in column 5, column 4 taken"
  friend std::string describe(const StepCase& c) {
    return "key " + std::to_string(c.key) + " in column " + std::to_string(c.col) +
           (c.blockedCol ? ", column " + std::to_string(c.blockedCol) + " taken" : "");
  }
  friend void PrintTo(const StepCase& c, std::ostream* os) { *os << describe(c); }
};

class Steering : public ::testing::TestWithParam<StepCase> {};

TEST_P(Steering, SidewaysStepsTestOnlyTheNeighbourInTheTilesRow) {
  const StepCase& c = GetParam();
  RecordingTable t;
  t.startAnew();
  t.falling(4, c.col, dots(4));
  if (c.blockedCol) t.put(4, c.blockedCol, kRed);
  t.put(5, 4, kRed);  // below-left and below-right never block a step
  t.put(5, 6, kRed);
  std::int16_t key = c.key;
  t.engine.Form_KeyDown(key, 0);
  EXPECT_EQ(key, c.key) << "the key code is left as it was";
  EXPECT_EQ(t.engine.mintCol, c.colAfter);
  Calls expected = {"msDrawLightning", "msDrawLightning"};
  if (c.colAfter != c.col) {
    expected.push_back("erase " + std::to_string(40 + 30 * (c.col - 1)) + ",180");
    expected.push_back("msDrawTile 4," + std::to_string(c.colAfter));
  }
  EXPECT_EQ(t.calls, expected);
  EXPECT_FALSE(t.engine.mblnDropFast);
  EXPECT_EQ(t.interval, 500);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Steering,
    ::testing::Values(StepCase{5, 0, 37, 4}, StepCase{5, 0, 100, 4}, StepCase{5, 0, 39, 6},
                      StepCase{5, 0, 102, 6}, StepCase{1, 0, 37, 1}, StepCase{9, 0, 39, 9},
                      StepCase{5, 4, 37, 5}, StepCase{5, 6, 39, 5}, StepCase{5, 0, 104, 5},
                      StepCase{5, 0, 38, 5}, StepCase{5, 0, 65, 5}),
    [](const auto& info) { return velloran::testing::caseName(describe(info.param)); });

TEST(Steering, DownDropsFastAndThenEveryKeyIsIgnoredUntilTheNextTile) {
  for (std::int16_t down : {40, 98}) {
    RecordingTable t;
    t.startAnew();
    t.falling(3, 5, dots(4));
    t.key(down);
    EXPECT_EQ(t.interval, 5);
    EXPECT_TRUE(t.engine.mblnDropFast);
    t.calls.clear();
    t.key(37);
    t.key(39);
    t.key(40);
    EXPECT_EQ(t.engine.mintCol, 5);
    EXPECT_EQ(t.count("msDrawTile 3,4") + t.count("msDrawTile 3,6"), 0);
    EXPECT_EQ(t.count("msDrawLightning"), 6) << "a due flash still shows with every key";
  }
}

TEST(Steering, KeysDoNothingWhilePausedOrWithNoTileFalling) {
  RecordingTable t;
  t.startAnew();
  t.falling(3, 5, dots(4));
  t.timerOn = false;
  t.key(37);
  t.key(40);
  EXPECT_TRUE(t.calls.empty()) << "not even a due flash while paused";
  EXPECT_EQ(t.engine.mintCol, 5);
  EXPECT_FALSE(t.engine.mblnDropFast);

  t.timerOn = true;
  t.engine.mintRow = -1;  // just landed
  t.key(40);
  EXPECT_EQ(t.calls, (Calls{"msDrawLightning", "msDrawLightning"}));
  EXPECT_EQ(t.interval, 500);
}

}  // namespace
}  // namespace velloran
