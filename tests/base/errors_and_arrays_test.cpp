#include <gtest/gtest.h>

#include "base/bounded_array.h"
#include "base/checked_math.h"
#include "base/clock.h"
#include "base/random.h"
#include "base/trap.h"

namespace velloran {
namespace {

struct ReportedError {
  std::int32_t number;
  std::string description;
  std::string procedure;
};

class Reports : public ::testing::Test {
 protected:
  void SetUp() override {
    setErrorReporter([this](std::int32_t n, const std::string& d, const std::string& p) {
      reports.push_back({n, d, p});
    });
  }
  void TearDown() override { setErrorReporter(nullptr); }
  std::vector<ReportedError> reports;
};

TEST_F(Reports, BadIndexIsSubscriptOutOfRangeUnderTheTrappingProcedure) {
  BoundedArray<int, 1, 144> tiles;
  bool result = false;
  trap("msShuffleTiles", [&] {
    tiles[144] = 1;
    result = true;
    tiles[145] = 1;  // one past the wall
    result = false;
  });
  EXPECT_TRUE(result) << "a function returns what its result held when the error came";
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].number, 9);
  EXPECT_EQ(reports[0].description, "Subscript out of range");
  EXPECT_EQ(reports[0].procedure, "msShuffleTiles");
}

TEST_F(Reports, TwoDimensionalAndDynamicArraysCheckEveryBound) {
  BoundedArray2<int, 0, 12, 1, 9> cells;
  DynamicArray<int> check;
  const std::vector<std::function<void()>> bad = {
      [&] { cells(-1, 1) = 0; }, [&] { cells(13, 1) = 0; }, [&] { cells(0, 0) = 0; },
      [&] { cells(0, 10) = 0; }, [&] { check[1] = 0; },      [&] { check.redim(-1); },
  };
  for (const auto& statement : bad) trap("case", statement);
  EXPECT_EQ(reports.size(), bad.size());
  cells(0, 1) = 1;
  cells(12, 9) = 2;
  EXPECT_EQ(cells(0, 1) + cells(12, 9), 3);
}

TEST(DynamicArray, RedimDiscardsAndRedimPreserveKeeps) {
  DynamicArray<int> a;
  a.redim(2);
  a[2] = 7;
  a.redimPreserve(3);
  EXPECT_EQ(a[2], 7);
  EXPECT_EQ(a[3], 0);
  a.redim(3);
  EXPECT_EQ(a[2], 0);
  a.erase();
  EXPECT_TRUE(a.empty());
}

TEST(CheckedMath, OverflowRaisesAndLeavesTheOperandAlone) {
  std::int32_t score = 2'000'000'000;
  EXPECT_THROW(score = addLong(score, 200'000'000), RunTimeError);
  EXPECT_EQ(score, 2'000'000'000);
  EXPECT_EQ(addLong(-5, 3), -2);
  EXPECT_THROW(addInteger(32767, 1), RunTimeError);
  EXPECT_EQ(toLong(2.5), 2) << "rounds half to even";
  EXPECT_EQ(toLong(3.5), 4);
  EXPECT_EQ(toInteger(-32768.0), -32768);
  EXPECT_THROW(toInteger(32767.6), RunTimeError);
}

TEST(Random, PinnedStreamRepeatsAndIgnoresReseeding) {
  pinRandom(42);
  std::vector<float> first;
  for (int i = 0; i < 100; ++i) {
    randomize();
    first.push_back(rnd());
  }
  pinRandom(42);
  for (int i = 0; i < 100; ++i) {
    randomize();
    EXPECT_EQ(rnd(), first[i]);
  }
  unpinRandom();
  for (float x : first) {
    EXPECT_GE(x, 0.0f);
    EXPECT_LT(x, 1.0f);
  }
}

TEST(Random, SeedsFromTheClockDiffer) {
  randomize(100.25);
  const float a = rnd();
  randomize(100.5);
  const float b = rnd();
  randomize(100.25);
  EXPECT_EQ(rnd(), a);
  EXPECT_NE(a, b);
}

TEST(Clock, ManualClockWrapsAtMidnightButMonotonicKeepsGoing) {
  ManualClock clock(86400.0 - 1.0);
  clock.advance(2.0);
  EXPECT_DOUBLE_EQ(clock.timeOfDay(), 1.0);
  EXPECT_DOUBLE_EQ(clock.monotonic(), 2.0);
  clock.advance(-5.0);
  EXPECT_DOUBLE_EQ(clock.monotonic(), 2.0);
}

}  // namespace
}  // namespace velloran
