#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <sstream>

#include "recording_table.h"
#include "support/case_names.h"

namespace velloran {
namespace {

using Set = std::vector<int>;
Set trio(int kind) {
  return {kind, kind, kind};
}

// Every name the tally can list, with the doubles it stands for.
const std::map<std::string, int> kPatternDoubles = {{"Own Season Tile", 1},
                                                    {"Own Flower Tile", 1},
                                                    {"Four Seasons Set", 2},
                                                    {"Four Flowers Set", 2},
                                                    {"Seven Flower/Season Combo", 3},
                                                    {"Red Dragon Trio", 1},
                                                    {"Green Dragon Trio", 1},
                                                    {"Blue Dragon Trio", 1},
                                                    {"Two Dragons Set", 3},
                                                    {"Three Dragons Set", 4},
                                                    {"Prevailing Wind Trio", 1},
                                                    {"Own Wind Trio", 1},
                                                    {"Four Winds Set", 4},
                                                    {"Three Winds Set", 3},
                                                    {"Pure Suit Hand", 6},
                                                    {"Semi-Pure Suit Hand", 3},
                                                    {"Three-Of-A-Kind Hand", 3},
                                                    {"Dragons And Winds Hand", 6},
                                                    {"Ones-Nines-Only Hand", 6},
                                                    {"Sequence Hand", 1},
                                                    {"Mixed Hand", 0}};

struct Hand {
  std::vector<Set> sets;        // four runs of three, in the order taken
  int pair;                     // the pair's kind
  int pairAfter = 0;            // sets taken before the pair
  std::vector<int> bonus = {};  // flower and season kinds, in slot order
  int house = 1, seat = 1, roundWind = 1;
};

// Lays the hand into the earned slots as the cascade would have stored it.
void hold(RecordingTable& t, const Hand& hand) {
  auto& engine = t.engine;
  int slot = 0;
  const auto store = [&](int kind) {
    placeTile(engine.mudtTileKinds[kind], engine.mudtEarnedTiles[++slot]);
  };
  for (std::size_t k = 0; k <= hand.sets.size(); ++k) {
    if (static_cast<int>(k) == hand.pairAfter) {
      engine.mintPairIdx = static_cast<std::int16_t>(slot + 1);
      store(hand.pair);
      store(hand.pair);
    }
    if (k < hand.sets.size()) {
      for (int kind : hand.sets[k]) store(kind);
    }
  }
  int bonusSlot = 14;
  for (int kind : hand.bonus)
    placeTile(engine.mudtTileKinds[kind], engine.mudtEarnedTiles[++bonusSlot]);
  engine.mintEarnedHandSlots = engine.mintEarnedCount = static_cast<std::int16_t>(slot);
  engine.mintEarnedBonusSlots = static_cast<std::int16_t>(bonusSlot - 14);
  engine.mblnPairEarned = true;
  engine.mlngHouse = hand.house;
  engine.mlngPlayerSeat = hand.seat;
  engine.mlngRoundWind = hand.roundWind;
}

struct TallyCase {
  const char* what;
  Hand hand;
  std::string list;
  int doubles;
  int level;
  std::int32_t points;
  friend void PrintTo(const TallyCase& c, std::ostream* os) { *os << c.what; }
};

class Tally : public ::testing::TestWithParam<TallyCase> {};

TEST_P(Tally, ListDoublesAndPoints) {
  const TallyCase& c = GetParam();
  RecordingTable t;
  t.startAnew(c.hand.seat);
  t.engine.mlngLevel = c.level;
  t.engine.mlngScore = 1000;
  hold(t, c.hand);
  t.engine.msTallyScore();
  EXPECT_EQ(gstrHandList, c.list);
  EXPECT_EQ(t.engine.mintDoubles, c.doubles);
  EXPECT_EQ(glngHandPoints, c.points);
  EXPECT_EQ(t.engine.mlngScore, 1000 + c.points);

  int listed = 0;
  std::stringstream names(gstrHandList);
  for (std::string name; std::getline(names, name, ',');) {
    ASSERT_TRUE(kPatternDoubles.count(name)) << "unknown name \"" << name << "\"";
    listed += kPatternDoubles.at(name);
  }
  EXPECT_EQ(listed, t.engine.mintDoubles) << "the listed doubles add up to the hand's";
  EXPECT_EQ(t.engine.mudtEarnedTiles[14].BmpIdx, c.hand.pair) << "the pair ends at 13-14";
}

const Set kSeq123Dots = {dots(1), dots(2), dots(3)};
const Set kSeq654Dots = {dots(6), dots(5), dots(4)};
const Set kSeq789Bamboo = {bamboo(7), bamboo(8), bamboo(9)};
const Set kSeq234Bamboo = {bamboo(2), bamboo(3), bamboo(4)};
const Set kSeq345Bamboo = {bamboo(3), bamboo(4), bamboo(5)};
const Set kSeq567Chars = {characters(5), characters(6), characters(7)};
const Set kSeq987Dots = {dots(9), dots(8), dots(7)};
// One trio and three sequences in three suits, with a West pair: nothing but "Mixed Hand".
const Hand kMixed = {{trio(dots(2)), kSeq345Bamboo, kSeq567Chars, kSeq987Dots}, kWest};

Hand withBonus(Hand hand, std::vector<int> bonus, int house, int seat) {
  hand.bonus = std::move(bonus);
  hand.house = house;
  hand.seat = seat;
  return hand;
}

INSTANTIATE_TEST_SUITE_P(
    Scoring, Tally,
    ::testing::Values(
        TallyCase{"worked example",
                  {{trio(kRed), trio(kEast), trio(bamboo(3)), trio(bamboo(6))},
                   bamboo(8),
                   0,
                   {kFlower2, kSeason1, kFlower1, kFlower3, kFlower4}},
                  "Own Season Tile,Own Flower Tile,Four Flowers Set,Red Dragon Trio,"
                  "Prevailing Wind Trio,Own Wind Trio,Semi-Pure Suit Hand,Three-Of-A-Kind Hand",
                  13,
                  5,
                  409'600},
        TallyCase{"four sequences in two suits",
                  {{kSeq123Dots, kSeq654Dots, kSeq789Bamboo, kSeq234Bamboo}, dots(9), 2},
                  "Sequence Hand",
                  1,
                  2,
                  100},
        TallyCase{"sequence hand below the minimum",
                  {{kSeq123Dots, kSeq654Dots, kSeq789Bamboo, kSeq234Bamboo}, dots(9), 4},
                  "Sequence Hand",
                  1,
                  3,
                  0},
        TallyCase{"mixed hand on Easy", kMixed, "Mixed Hand", 0, 1, 50},
        TallyCase{"mixed hand on Medium", kMixed, "Mixed Hand", 0, 2, 0},
        TallyCase{"pure suit trios",
                  {{trio(dots(1)), trio(dots(3)), trio(dots(5)), trio(dots(7))}, dots(9), 1},
                  "Pure Suit Hand,Three-Of-A-Kind Hand",
                  9,
                  4,
                  25'600},
        TallyCase{"trios of dots with a pair of bamboo",
                  {{trio(dots(1)), trio(dots(3)), trio(dots(5)), trio(dots(7))}, bamboo(9), 4},
                  "Three-Of-A-Kind Hand",
                  3,
                  1,
                  400},
        TallyCase{"all honours",
                  {{trio(kEast), trio(kSouth), trio(kRed), trio(kGreen)}, kNorth, 3},
                  "Red Dragon Trio,Green Dragon Trio,Prevailing Wind Trio,Own Wind Trio,"
                  "Three-Of-A-Kind Hand,Dragons And Winds Hand",
                  13,
                  1,
                  409'600},
        TallyCase{
            "ones and nines",
            {{trio(dots(1)), trio(bamboo(9)), trio(characters(1)), trio(dots(9))}, characters(9)},
            "Three-Of-A-Kind Hand,Ones-Nines-Only Hand",
            9,
            5,
            25'600},
        TallyCase{"three dragons",
                  {{trio(kGreen), trio(kRed), trio(kBlue), trio(dots(5))}, dots(2), 4, {kFlower1}},
                  "Own Flower Tile,Three Dragons Set,Semi-Pure Suit Hand,Three-Of-A-Kind Hand",
                  11,
                  1,
                  102'400},
        TallyCase{"two dragons with the third as the pair",
                  {{trio(kGreen), trio(kBlue), kSeq123Dots, trio(dots(5))}, kRed, 1},
                  "Two Dragons Set,Semi-Pure Suit Hand,Mixed Hand",
                  6,
                  1,
                  3'200},
        TallyCase{"two dragons with a pair of dots",
                  {{trio(kRed), trio(kBlue), trio(dots(3)), kSeq654Dots}, dots(7)},
                  "Red Dragon Trio,Blue Dragon Trio,Semi-Pure Suit Hand,Mixed Hand",
                  5,
                  1,
                  1'600},
        TallyCase{"four winds in the South round, player at South",
                  {{trio(kEast), trio(kSouth), trio(kWest), trio(kNorth)}, dots(5), 0, {}, 1, 2, 2},
                  "Prevailing Wind Trio,Own Wind Trio,Four Winds Set,Semi-Pure Suit Hand,"
                  "Three-Of-A-Kind Hand",
                  12,
                  1,
                  204'800},
        TallyCase{"three winds with a dragon pair",
                  {{trio(kEast), trio(kSouth), trio(kWest), trio(dots(1))}, kRed},
                  "Prevailing Wind Trio,Own Wind Trio,Semi-Pure Suit Hand,Three-Of-A-Kind Hand",
                  8,
                  1,
                  12'800},
        TallyCase{
            "three winds with the fourth as the pair",
            {{trio(kEast), trio(kSouth), trio(kWest), kSeq123Dots}, kNorth, 2},
            "Prevailing Wind Trio,Own Wind Trio,Three Winds Set,Semi-Pure Suit Hand,Mixed Hand",
            8,
            1,
            12'800},
        TallyCase{
            "house at seat 3, player at seat 1: own wind West",
            {{trio(kWest), trio(dots(2)), {dots(3), dots(4), dots(5)}, {dots(6), dots(7), dots(8)}},
             dots(9),
             0,
             {kSeason3, kFlower3, kFlower1},
             3,
             1},
            "Own Season Tile,Own Flower Tile,Own Wind Trio,Semi-Pure Suit Hand,Mixed Hand",
            6,
            1,
            3'200},
        TallyCase{"South's own season and flower",
                  withBonus(kMixed, {kSeason2, kSeason1, kFlower2}, 1, 2),
                  "Own Season Tile,Own Flower Tile,Mixed Hand", 2, 1, 200},
        TallyCase{"North's own season and flower",
                  withBonus(kMixed, {kSeason4, kFlower4, kFlower1}, 2, 1),
                  "Own Season Tile,Own Flower Tile,Mixed Hand", 2, 1, 200},
        TallyCase{"South's own flower only", withBonus(kMixed, {kFlower2, kSeason3}, 4, 1),
                  "Own Flower Tile,Mixed Hand", 1, 1, 100},
        TallyCase{
            "seven flowers and seasons, one flower missing",
            withBonus(kMixed,
                      {kSeason1, kSeason2, kSeason3, kSeason4, kFlower1, kFlower2, kFlower3}, 1, 1),
            "Own Season Tile,Own Flower Tile,Four Seasons Set,Seven Flower/Season Combo,"
            "Mixed Hand",
            7, 1, 6'400},
        TallyCase{"all eight flowers and seasons",
                  withBonus(kMixed,
                            {kFlower4, kSeason1, kSeason2, kSeason3, kSeason4, kFlower1, kFlower2,
                             kFlower3},
                            1, 1),
                  "Own Season Tile,Own Flower Tile,Four Seasons Set,Four Flowers Set,"
                  "Seven Flower/Season Combo,Mixed Hand",
                  9, 1, 25'600}),
    velloran::testing::NamedByWhat());

TEST(Scoring, TheWorkedExamplePaysTheSameAtEveryLevel) {
  for (int level = 1; level <= 5; ++level) {
    RecordingTable t;
    t.startAnew();
    t.engine.mlngLevel = level;
    hold(t, {{trio(kRed), trio(kEast), trio(bamboo(3)), trio(bamboo(6))},
             bamboo(8),
             2,
             {kFlower2, kSeason1, kFlower1, kFlower3, kFlower4}});
    t.engine.msTallyScore();
    EXPECT_EQ(glngHandPoints, 409'600) << level;
  }
}

TEST(Scoring, HandPointsByLevel) {
  struct Case {
    int doubles;
    std::int32_t points[5];
  };
  RecordingTable t;
  for (const Case& c :
       std::vector<Case>{{0, {50, 0, 0, 0, 0}},
                         {1, {100, 100, 0, 0, 0}},
                         {3, {400, 400, 400, 400, 0}},
                         {4, {800, 800, 800, 800, 800}},
                         {24, {838'860'800, 838'860'800, 838'860'800, 838'860'800, 838'860'800}}}) {
    for (int level = 1; level <= 5; ++level) {
      t.engine.mlngLevel = level;
      t.engine.mintDoubles = static_cast<std::int16_t>(c.doubles);
      EXPECT_EQ(t.engine.mlngfHandPoints(), c.points[level - 1]) << c.doubles << " " << level;
    }
  }
}

TEST(Scoring, ThePairMovesBehindTheSetsInTheirOrder) {
  RecordingTable t;
  t.startAnew();
  hold(t, {{trio(dots(1)), trio(kRed), kSeq654Dots, trio(kEast)}, kNorth, 1});
  ASSERT_EQ(t.engine.mintPairIdx, 4);
  t.engine.msReArrangeTiles();
  const std::vector<int> expected = {1, 1, 1,     kRed,  kRed,  kRed,   6,
                                     5, 4, kEast, kEast, kEast, kNorth, kNorth};
  for (int slot = 1; slot <= 14; ++slot) {
    EXPECT_EQ(t.engine.mudtEarnedTiles[slot].BmpIdx, expected[slot - 1]) << slot;
    EXPECT_TRUE(t.engine.mudtEarnedTiles[slot].Occupied);
  }
}

TEST(Scoring, SetPointsAreDoubledAfterAFastDropAndThenPrinted) {
  struct Case {
    int kind;
    bool fast;
    int points;
  };
  for (const Case& c : std::vector<Case>{{0, false, 0},
                                         {1, false, 0},
                                         {2, false, 1},
                                         {3, false, 2},
                                         {0, true, 0},
                                         {1, true, 0},
                                         {2, true, 2},
                                         {3, true, 4}}) {
    RecordingTable t;
    t.startAnew();
    t.engine.mlngScore = 70;
    t.engine.mblnDropFast = c.fast;
    t.engine.msUpdateScore(c.kind, false);
    const std::string score = std::to_string(70 + c.points);
    EXPECT_EQ(t.engine.mlngScore, 70 + c.points) << c.kind << " " << c.fast;
    EXPECT_EQ(t.printed,
              (std::vector<std::string>{"453,236 " + score + " 0 Wonton ICG 18 bold",
                                        "454,237 " + score + " 255 Wonton ICG 18 bold"}));
  }
}

TEST(Scoring, AHandStartClearsTheTallyAndReprintsTheScore) {
  RecordingTable t;
  t.startAnew();
  t.engine.mlngScore = 5120;
  gstrHandList = "Mixed Hand";
  glngHandPoints = 50;
  t.engine.msInitNewGame();
  EXPECT_EQ(gstrHandList, "");
  EXPECT_EQ(glngHandPoints, 0);
  EXPECT_EQ(t.engine.mlngScore, 5120);
  EXPECT_EQ(t.printed.back(), "454,237 5120 255 Wonton ICG 18 bold");
}

TEST(Scoring, AnOverflowingScoreIsReportedAndLeftAsItWas) {
  constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();
  {
    RecordingTable t;
    t.startAnew();
    t.reportsChecked = true;
    t.engine.mlngScore = kMost - 1;
    t.engine.msUpdateScore(3, false);
    EXPECT_EQ(t.engine.mlngScore, kMost - 1);
    EXPECT_TRUE(t.printed.empty()) << "the printing of that call is skipped";
    ASSERT_EQ(t.reports.size(), 1u);
    EXPECT_EQ(t.reports[0].number, 6);
    EXPECT_EQ(t.reports[0].procedure, "msUpdateScore");
  }
  {
    RecordingTable t;
    t.startAnew();
    t.reportsChecked = true;
    hold(t, {{trio(dots(1)), trio(dots(3)), trio(dots(5)), trio(dots(7))}, dots(9), 4});
    t.engine.mlngScore = kMost - 100;
    t.engine.msUpdateScore(3, true);
    EXPECT_EQ(t.engine.mlngScore, kMost - 98) << "the set points count, the hand points not";
    EXPECT_EQ(glngHandPoints, 0);
    ASSERT_EQ(t.reports.size(), 1u);
    EXPECT_EQ(t.reports[0].number, 6);
    EXPECT_EQ(t.reports[0].procedure, "msTallyScore");
    EXPECT_EQ(t.printed.back(),
              "454,237 " + std::to_string(kMost - 98) + " 255 Wonton ICG 18 bold");
  }
}

}  // namespace
}  // namespace velloran
