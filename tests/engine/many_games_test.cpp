#include <gtest/gtest.h>

#include <array>
#include <string>

#include "base/random.h"
#include "base/trap.h"
#include "bench/scripted_table.h"

namespace velloran {
namespace {

// The 144 tiles are always somewhere: in the play area, in the hand, falling, still in the
// wall, or the one just dealt that could not enter.
std::array<int, 43> kindsInPlay(const GameEngine& e) {
  std::array<int, 43> kinds{};
  for (int row = 0; row <= 12; ++row) {
    for (int col = 1; col <= 9; ++col) {
      if (e.mudtCellTable(row, col).Occupied) ++kinds[e.mudtCellTable(row, col).BmpIdx];
    }
  }
  for (int slot = 1; slot <= 22; ++slot) {
    if (e.mudtEarnedTiles[slot].Occupied) ++kinds[e.mudtEarnedTiles[slot].BmpIdx];
  }
  if (e.mintRow >= 0) ++kinds[e.mintTileKindOf[e.mintCurrTile]];
  for (int p = e.mintTilePtr + 1; p <= 144; ++p) ++kinds[e.mintTileKindOf[e.mintTileSequence[p]]];
  return kinds;
}

struct Snapshot {
  std::int32_t score, house;
  std::int16_t played, won, rounds, moves;
};

Snapshot snapshot(const GameEngine& e) {
  return {e.mlngScore,    e.mlngHouse,        e.mintGamesPlayed,
          e.mintGamesWon, e.mintRoundsPlayed, e.mintHouseMoves};
}

class ManyGames : public ::testing::TestWithParam<double> {};

TEST_P(ManyGames, InvariantsHoldAfterEveryTick) {
  int reports = 0;
  setErrorReporter([&](std::int32_t, const std::string&, const std::string&) { ++reports; });
  pinRandom(99);
  gintNumRounds = 4;
  ScriptedTable table(5, GetParam());
  const GameEngine& e = table.engine;
  std::int64_t handsWon = 0;

  for (int game = 0; game < 40; ++game) {
    const std::int32_t seat = game % 4 + 1;
    table.startAnew(seat);
    Snapshot before = snapshot(e);
    const std::int64_t breakDownsBefore = table.breakDowns;
    bool failed = false;
    const std::int64_t ticks = table.playGame([&] {
      if (failed) return;
      const Snapshot now = snapshot(e);
      const auto kinds = kindsInPlay(e);
      for (int kind = 1; kind <= 42; ++kind) {
        if (kinds[kind] != (kind <= 34 ? 4 : 1)) {
          ADD_FAILURE() << "kind " << kind << " counted " << kinds[kind] << " in game " << game;
          failed = true;
        }
      }
      int handTiles = 0, bonusTiles = 0;
      for (int slot = 1; slot <= 22; ++slot)
        (slot <= 14 ? handTiles : bonusTiles) += e.mudtEarnedTiles[slot].Occupied;
      EXPECT_EQ(handTiles, e.mintEarnedCount);
      EXPECT_EQ(handTiles, e.mintEarnedHandSlots);
      EXPECT_EQ(bonusTiles, e.mintEarnedBonusSlots);
      EXPECT_GE(now.score, before.score) << "the score never falls";

      if (now.played != before.played) {
        // A hand ended in this tick: the house moved unless the player won holding it.
        EXPECT_EQ(now.played, before.played + 1);
        const bool won = now.won == before.won + 1;
        handsWon += won;
        const bool housesStays = won && before.house == seat;
        EXPECT_EQ(now.house, housesStays ? before.house : before.house % 4 + 1);
        EXPECT_EQ(now.rounds * 4 + now.moves, before.rounds * 4 + before.moves + !housesStays);
        EXPECT_EQ(e.mintTilePtr, 0) << "the next hand is dealt at once";
      } else {
        EXPECT_EQ(now.won, before.won);
        EXPECT_EQ(now.house, before.house);
      }
      EXPECT_LE(now.rounds, 4);
      failed = failed || ::testing::Test::HasFailure();
      before = now;
    });
    ASSERT_FALSE(failed);
    EXPECT_FALSE(e.mblnGameRunning) << "game " << game << " ended after " << ticks << " ticks";
    EXPECT_EQ(e.mintRoundsPlayed, 4);
    EXPECT_GE(e.mintGamesPlayed, 16);
    EXPECT_EQ(table.breakDowns - breakDownsBefore, e.mintGamesWon) << "one break-down per win";
    EXPECT_EQ(table.summaries, game + 1);
    EXPECT_FALSE(table.timerEnabled());
  }
  EXPECT_GT(handsWon, 0) << "the player wins now and then";
  EXPECT_EQ(reports, 0) << "no run-time error in play";
  setErrorReporter(nullptr);
  unpinRandom();
}

// The player takes the first run offered, or passes three times in ten.
INSTANTIATE_TEST_SUITE_P(Engine, ManyGames, ::testing::Values(0.0, 0.3), [](const auto& info) {
  return info.param == 0 ? std::string("TakingEveryRun") : std::string("PassingSometimes");
});

}  // namespace
}  // namespace velloran
