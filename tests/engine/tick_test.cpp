#include <gtest/gtest.h>

#include "base/clock.h"
#include "recording_table.h"
#include "support/case_names.h"

namespace velloran {
namespace {

using Calls = std::vector<std::string>;

TEST(Tick, ADealEmptiesTheTableAndTheHandButKeepsTheSlotPositions) {
  RecordingTable t;
  ManualClock clock(3600.6);
  setGameClock(&clock);
  t.startAnew();
  auto& e = t.engine;
  t.put(12, 9, kRed);
  t.holdHand({kEast, kEast}, 1);
  t.holdBonus({kFlower1});
  placeTile(e.mudtTileKinds[kRed], gudtPossibleSets(12, 3));
  e.mintPossibleSetCount = 12;
  e.mintDoubles = 5;
  e.mblnDropFast = e.mblnLightningPending = e.mblnLightningShown = e.mblnInTick = true;
  e.mintTilePtr = 77;
  e.msInitNewGame();
  setGameClock(nullptr);
  EXPECT_FALSE(e.mudtCellTable(12, 9).Occupied);
  EXPECT_EQ(e.mudtCellTable(12, 9).BmpIdx, 0);
  EXPECT_EQ(e.mudtCellTable(12, 9).X, 280);
  EXPECT_FALSE(e.mudtEarnedTiles[1].Occupied);
  EXPECT_FALSE(e.mudtEarnedTiles[15].Occupied);
  EXPECT_EQ(e.mudtEarnedTiles[15].Y, 129);
  EXPECT_FALSE(gudtPossibleSets(12, 3).Occupied);
  EXPECT_EQ(gudtPossibleSets(12, 3).X, 360);
  EXPECT_EQ(e.mintPossibleSetCount, 0);
  EXPECT_EQ(e.mintEarnedCount + e.mintEarnedHandSlots + e.mintEarnedBonusSlots + e.mintDoubles +
                e.mintPairIdx + e.mintTilePtr + e.mintCurrTile,
            0);
  EXPECT_FALSE(e.mblnPairEarned || e.mblnDropFast || e.mblnLightningPending ||
               e.mblnLightningShown || e.mblnInTick);
  EXPECT_EQ(e.mintRow, -1);
  EXPECT_EQ(e.mlngLastLightning, 3601) << "the time of day in whole seconds";
  EXPECT_TRUE(e.mblnGameRunning);
  EXPECT_EQ(t.calls, (Calls{"clearWork", "msDrawRound", "msDrawSeats", "print", "print"}));
}

TEST(Tick, DealsIntoRowOneThenMovesOneRowPerTick) {
  RecordingTable t;
  t.startAnew();
  EXPECT_TRUE(t.timerOn);
  EXPECT_EQ(t.interval, 500) << "the hand start leaves the interval alone";
  t.tick();
  EXPECT_EQ(t.calls, (Calls{"msGenerateLightning", "msDrawLightning", "msDrawNexTile",
                            "msDrawEarnedTiles", "msDrawTile 1,5"}));
  EXPECT_EQ(t.interval, 400);
  EXPECT_EQ(t.engine.mintTilePtr, 1);
  EXPECT_EQ(t.engine.mintCurrTile, t.engine.mintTileSequence[1]);

  t.calls.clear();
  t.tick();
  EXPECT_EQ(t.calls, (Calls{"msGenerateLightning", "doEvents", "erase 160,63", "msDrawLightning",
                            "msDrawNexTile", "msDrawEarnedTiles", "msDrawTile 2,5"}));
  EXPECT_FALSE(t.engine.mblnInTick);
}

TEST(Tick, ATileLandsOnTheTickItCannotFallAndTheNextTickDeals) {
  RecordingTable t;
  t.startAnew();
  t.put(12, 5, kRed);
  t.falling(11, 5, dots(1));
  t.engine.mblnDropFast = true;
  t.interval = 5;
  t.tick();
  EXPECT_EQ(t.calls, Calls{"msGenerateLightning"}) << "no run around it: nothing drawn";
  EXPECT_EQ(t.engine.mintRow, -1);
  EXPECT_TRUE(t.engine.mudtCellTable(11, 5).Occupied);
  EXPECT_EQ(t.engine.mudtCellTable(11, 5).BmpIdx, dots(1));
  EXPECT_FALSE(t.engine.mblnDropFast);

  t.calls.clear();
  t.tick();
  EXPECT_EQ(t.interval, 400) << "the next tile falls at the level's pace again";
  EXPECT_EQ(t.calls.back(), "msDrawTile 1,5");
}

TEST(Tick, ATileThatCannotEnterEndsTheHandLostUndrawn) {
  RecordingTable t;
  t.startAnew(3);
  t.put(1, 5, kRed);
  t.tick();
  EXPECT_EQ(t.calls, (Calls{"msGenerateLightning", "clearWork", "msDrawRound", "msDrawSeats",
                            "print", "print"}))
      << "ends the hand and deals the next one, drawing no tile";
  EXPECT_EQ(t.engine.mintGamesPlayed, 1);
  EXPECT_EQ(t.engine.mintGamesWon, 0);
  EXPECT_EQ(t.engine.mlngHouse, 2);
  EXPECT_EQ(t.engine.mintHouseMoves, 1);
  EXPECT_FALSE(t.engine.mudtCellTable(1, 5).Occupied) << "the next hand starts empty";
  EXPECT_EQ(t.engine.mintTilePtr, 0);
  EXPECT_EQ(t.engine.mintRow, -1);
  EXPECT_FALSE(t.engine.mblnInTick);
  EXPECT_TRUE(t.timerOn);
}

TEST(Tick, TheTickAfterThe144thTileLandsEndsTheHand) {
  RecordingTable t;
  t.startAnew();
  t.engine.mintTilePtr = 143;
  t.tick();
  ASSERT_EQ(t.engine.mintTilePtr, 144);
  for (int i = 0; i < 13 && t.engine.mintRow != -1; ++i) t.tick();
  ASSERT_EQ(t.engine.mintRow, -1);
  EXPECT_EQ(t.engine.mintGamesPlayed, 0) << "the last tile lands first";
  t.tick();
  EXPECT_EQ(t.engine.mintGamesPlayed, 1);
  EXPECT_EQ(t.engine.mintTilePtr, 0);
  EXPECT_EQ(t.engine.mlngHouse, 2);
}

struct HandEndCase {
  int house, seat;
  bool won, showBreakDown;
  int houseAfter, movesAfter, roundsAfter;
  Calls calls;
  // "house 2, seat 1, won, break-down on"
  friend std::string describe(const HandEndCase& c) {
    return "house " + std::to_string(c.house) + ", seat " + std::to_string(c.seat) +
           (c.won ? ", won" : ", lost") +
           (c.showBreakDown ? ", break-down on" : ", break-down off");
  }
  friend void PrintTo(const HandEndCase& c, std::ostream* os) { *os << describe(c); }
};

class HandEnd : public ::testing::TestWithParam<HandEndCase> {};

TEST_P(HandEnd, HouseRoundAndBreakDown) {
  const HandEndCase& c = GetParam();
  RecordingTable t;
  t.startAnew(c.seat);
  t.engine.mlngHouse = c.house;
  t.engine.mintHouseMoves = 3;
  t.engine.mblnShowBreakDown = c.showBreakDown;
  if (c.won) t.engine.mintEarnedCount = 14;  // the 14th tile was just earned
  t.put(1, 5, kRed);                         // so that a lost hand ends too
  t.tick();
  EXPECT_EQ(t.engine.mintGamesWon, c.won ? 1 : 0);
  EXPECT_EQ(t.engine.mlngHouse, c.houseAfter);
  EXPECT_EQ(t.engine.mintHouseMoves, c.movesAfter);
  EXPECT_EQ(t.engine.mintRoundsPlayed, c.roundsAfter);
  EXPECT_EQ(t.engine.mlngRoundWind, c.roundsAfter ? 2 : 1);
  Calls expected = {"msGenerateLightning"};
  expected.insert(expected.end(), c.calls.begin(), c.calls.end());
  for (const char* call : {"clearWork", "msDrawRound", "msDrawSeats", "print", "print"}) {
    expected.push_back(call);
  }
  EXPECT_EQ(t.calls, expected);
  EXPECT_TRUE(t.timerOn);
}

INSTANTIATE_TEST_SUITE_P(
    Tick, HandEnd,
    ::testing::Values(HandEndCase{1, 1, true, true, 1, 3, 0, {"showBreakDown timer off"}},
                      HandEndCase{3, 3, true, false, 3, 3, 0, {}},
                      HandEndCase{1, 1, false, true, 2, 0, 1, {"msDrawRound"}},
                      HandEndCase{
                          2, 1, true, true, 3, 0, 1, {"msDrawRound", "showBreakDown timer off"}},
                      HandEndCase{4, 2, true, false, 1, 0, 1, {"msDrawRound"}},
                      HandEndCase{4, 4, false, true, 1, 0, 1, {"msDrawRound"}}),
    [](const auto& info) { return velloran::testing::caseName(describe(info.param)); });

TEST(Tick, SixteenHouseMovesEndAFourRoundGameAtTheFollowingTick) {
  RecordingTable t;
  t.startAnew(2);
  for (int hand = 1; hand <= 16; ++hand) {
    t.put(1, 5, kRed);
    t.tick();
    ASSERT_EQ(t.engine.mintGamesPlayed, hand);
  }
  EXPECT_EQ(t.engine.mintRoundsPlayed, 4);
  EXPECT_EQ(t.engine.mlngRoundWind, 1) << "four rounds take the wind all the way round";
  EXPECT_TRUE(t.engine.mblnGameRunning);
  EXPECT_EQ(t.engine.mintTilePtr, 0) << "the next hand is dealt before the game ends";
  EXPECT_EQ(t.count("showGameSummary 4,16,0"), 0);

  t.calls.clear();
  t.onModal = [&] { EXPECT_FALSE(t.timerOn) << "the tick is off under the summary"; };
  t.tick();
  EXPECT_EQ(t.calls, (Calls{"mmcVLR_StopClick", "showGameSummary 4,16,0"}))
      << "a score of 0 is not checked against the high scores";
  EXPECT_FALSE(t.engine.mblnGameRunning);
  EXPECT_FALSE(t.timerOn);

  t.calls.clear();
  t.timerOn = true;  // Pause pressed after the game
  t.tick();
  EXPECT_TRUE(t.calls.empty()) << "every tick after the end returns at once";
}

TEST(Tick, HighScoreCheckAtTheEndOfAScoringGame) {
  for (bool entered : {false, true}) {
    RecordingTable t;
    t.startAnew();
    t.engine.mlngScore = 120;
    t.engine.mintRoundsPlayed = 4;
    t.hiScoreAnswer = entered;
    t.tick();
    Calls expected = {"mmcVLR_StopClick", "showGameSummary 4,0,0", "mblnfHiScore"};
    if (entered) expected.push_back("showHiScores");
    EXPECT_EQ(t.calls, expected);
  }
}

TEST(Tick, RoundsSettingLoweredBelowTheRoundsPlayedEndsTheGame) {
  RecordingTable t;
  t.startAnew();
  t.engine.mintRoundsPlayed = 3;
  gintNumRounds = 2;
  t.tick();
  EXPECT_FALSE(t.engine.mblnGameRunning);
  EXPECT_EQ(t.count("showGameSummary 3,0,0"), 1);
}

TEST(Tick, BeforeTheFirstHandATickAndAKeyReadNothing) {
  RecordingTable t;
  t.timerOn = true;  // Pause before any game
  t.tick();
  t.key(37);
  t.key(40);
  EXPECT_TRUE(t.reports.empty());
  EXPECT_EQ(t.calls,
            (Calls{"msDrawLightning", "msDrawLightning", "msDrawLightning", "msDrawLightning"}));
  EXPECT_EQ(t.interval, 500);
}

TEST(Tick, TicksArrivingUnderTheTicksOwnDialogsDoNothing) {
  RecordingTable t;
  t.startAnew();
  t.engine.mblnShowBreakDown = true;
  std::vector<std::size_t> nestedCalls;
  t.onModal = [&] {
    const std::size_t before = t.calls.size();
    t.tick();
    nestedCalls.push_back(t.calls.size() - before);
  };
  // A landing that offers a run, taken to complete the hand: chooser, then break-down.
  t.holdHand({1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}, 1);
  t.put(12, 4, kWest);
  t.put(12, 6, kWest);
  t.falling(12, 5, kWest);
  t.take(4, 12, 3);
  t.tick();
  EXPECT_EQ(t.count("chooseSet"), 1);
  t.tick();
  EXPECT_EQ(t.count("showBreakDown timer off"), 1);
  EXPECT_EQ(nestedCalls, (std::vector<std::size_t>{0, 0}));
}

TEST(Tick, AStepSidewaysDuringTheYieldOverAnOccupiedCellLandsNextTick) {
  RecordingTable t;
  t.startAnew();
  t.put(6, 6, kRed);
  t.falling(5, 5, dots(9));
  t.onDoEvents = [&] {
    t.onDoEvents = nullptr;
    t.key(39);
  };
  t.tick();
  EXPECT_EQ(t.calls, (Calls{"msGenerateLightning", "doEvents", "msDrawLightning", "msDrawLightning",
                            "erase 160,219", "msDrawTile 5,6"}))
      << "the tick neither erases nor moves the tile after the step";
  EXPECT_EQ(t.engine.mintRow, 5);
  EXPECT_FALSE(t.engine.mblnInTick);
  t.tick();
  EXPECT_EQ(t.engine.mintRow, -1);
  EXPECT_TRUE(t.engine.mudtCellTable(5, 6).Occupied);
}

TEST(Tick, AStepSidewaysDuringTheYieldOverAFreeCellFallsInTheNewColumn) {
  RecordingTable t;
  t.startAnew();
  t.falling(5, 5, dots(9));
  t.onDoEvents = [&] { t.key(37); };
  t.tick();
  EXPECT_EQ(t.calls, (Calls{"msGenerateLightning", "doEvents", "msDrawLightning", "msDrawLightning",
                            "erase 160,219", "msDrawTile 5,4", "erase 130,219", "msDrawLightning",
                            "msDrawNexTile", "msDrawEarnedTiles", "msDrawTile 6,4"}));
}

TEST(Tick, AHandDealtDuringTheYieldIsLeftAlone) {
  RecordingTable t;
  t.startAnew();
  t.falling(5, 5, dots(9));
  t.onDoEvents = [&] {
    t.onDoEvents = nullptr;
    t.engine.msInitNewGame();  // Start Anew clicked
  };
  t.tick();
  EXPECT_EQ(t.calls.back(), "print") << "nothing erased, moved or drawn after the new deal";
  EXPECT_EQ(t.engine.mintRow, -1);
  EXPECT_FALSE(t.engine.mblnInTick);
  t.tick();
  EXPECT_EQ(t.calls.back(), "msDrawTile 1,5");
}

TEST(Tick, IntervalByLevelAndTilesEarned) {
  struct Case {
    int level, earned, interval;
  };
  RecordingTable t;
  for (const Case& c : std::vector<Case>{{1, 13, 400},
                                         {2, 10, 400},
                                         {2, 11, 300},
                                         {3, 7, 400},
                                         {3, 8, 300},
                                         {4, 0, 300},
                                         {5, 7, 300},
                                         {5, 8, 200}}) {
    t.engine.mlngLevel = c.level;
    t.engine.mintEarnedCount = static_cast<std::int16_t>(c.earned);
    EXPECT_EQ(t.engine.mintfSetTimeInterval(), c.interval) << c.level << " " << c.earned;
  }
}

}  // namespace
}  // namespace velloran
