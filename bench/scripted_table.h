#pragma once
// A table with no window and a simple scripted player: it starts a game as Start Anew does
// and ticks until the game is over. The player steers each tile next to tiles it may form
// a run with (or anywhere), sometimes drops it fast, takes the first run offered or passes
// at random.
// Drawing does nothing; the timer is a flag and an interval. A table can keep what its
// player did, so that a ReplayTable plays the same games again without the player's thinking.

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "engine/quiet_table_window.h"

namespace velloran {

class ScriptedTable : public QuietTableWindow {
 public:
  explicit ScriptedTable(std::uint32_t playerSeed = 1, double passChance = 0.0)
      : player_(playerSeed), passChance_(passChance) {
    engine.msInitVar();
    engine.mblnShowBreakDown = true;
    engine.mlngLevel = 1;
  }

  GameEngine engine{*this};

  void startAnew(std::int32_t seat) {
    setTimerEnabled(false);
    engine.startGame(seat);
  }

  // Ticks while the game runs and the timer is on; calls afterTick() after every tick.
  // Returns the number of ticks, or stops at mostTicks.
  template <class AfterTick>
  std::int64_t playGame(AfterTick&& afterTick, std::int64_t mostTicks = 50'000'000) {
    std::int64_t ticks = 0;
    while (engine.mblnGameRunning && timerEnabled() && ticks < mostTicks) {
      engine.Timer1_Timer();
      ++ticks;
      afterTick();
    }
    return ticks;
  }
  std::int64_t playGame() {
    return playGame([] {});
  }

  std::int64_t breakDowns = 0;
  std::int64_t summaries = 0;

  // What the player did, when recording: every key sent, a 0 after each turn of the tick's
  // yield, and every choice of a run.
  struct Moves {
    std::vector<std::int8_t> keys;
    std::vector<SetChoice> choices;
  };
  Moves* recording = nullptr;

  void showBreakDown() override { ++breakDowns; }
  void showGameSummary(std::int16_t, std::int16_t, std::int16_t) override { ++summaries; }

  SetChoice chooseSet(const DynamicArray<std::int16_t>& rows,
                      const DynamicArray<std::int16_t>& leftMostCols) override {
    if (passChance_ > 0 && static_cast<double>(nextRandom() >> 11) * 0x1p-53 < passChance_) {
      return keep(SetChoice{});
    }
    std::int16_t numTiles = 0;
    for (int t = 1; t <= 3; ++t) numTiles += gudtPossibleSets(1, t).Occupied;
    return keep(SetChoice{leftMostCols[1], rows[1], numTiles});
  }

  // The player steers while the tick yields: toward the chosen column, then maybe Down.
  void doEvents() override {
    steer();
    if (recording) recording->keys.push_back(0);
  }

 private:
  SetChoice keep(SetChoice choice) {
    if (recording) recording->choices.push_back(choice);
    return choice;
  }
  void press(std::int16_t key) {
    if (recording) recording->keys.push_back(static_cast<std::int8_t>(key));
    engine.Form_KeyDown(key, 0);
  }

  void steer() {
    if (engine.mintRow < 1) return;
    if (steeredTile_ != engine.mintTilePtr) {
      steeredTile_ = engine.mintTilePtr;
      targetCol_ = chooseColumn();
      dropFast_ = nextRandom() % 4 == 0;
    }
    while (engine.mintCol != targetCol_) {
      const std::int16_t before = engine.mintCol;
      press(engine.mintCol < targetCol_ ? 39 : 37);
      if (engine.mintCol == before) {
        targetCol_ = before;  // blocked: let this one fall where it is
        break;
      }
    }
    if (dropFast_ && engine.mintCol == targetCol_) press(40);
  }

  // A column where the tile would land beside tiles it may form a run with (or on the
  // bottom row, for a flower or season); the more such neighbours the better; else any.
  std::int16_t chooseColumn() {
    const typTile& tile = engine.mudtTileKinds[engine.mintTileKindOf[engine.mintCurrTile]];
    // Rows by index from row 0, so that a lookup checks only the column.
    const auto rows = engine.mudtCellTable.begin();
    const auto related = [&](int row, int col) {
      if (col < 1 || col > 9) return false;
      const typCell& next = rows[row][col];
      if (!next.Occupied || next.Value == 0 || next.Suit != tile.Suit) return false;
      const std::int32_t apart = next.Value - tile.Value;
      return tile.Suit == 0 ? apart == 0 : apart >= -2 && apart <= 2;
    };
    std::int16_t best[9];
    int bestCount = 0, bestScore = 0;
    for (int col = 1; col <= 9; ++col) {
      // Columns are stacks without gaps: the tile lands on top of the stack.
      int landing = 12;
      while (landing > engine.mintRow && rows[landing][col].Occupied) --landing;
      if (landing <= engine.mintRow) continue;
      int score = 0;
      if (tile.Value == 0) {
        score = landing == 12 ? 3 : 0;
      } else {
        const bool left = related(landing, col - 1), right = related(landing, col + 1);
        score = left + right + (left && related(landing, col - 2)) +
                (right && related(landing, col + 2));
      }
      if (score == 0 || score < bestScore) continue;
      if (score > bestScore) bestCount = 0;
      bestScore = score;
      best[bestCount++] = static_cast<std::int16_t>(col);
    }
    if (bestCount > 0) return best[nextRandom() % static_cast<unsigned>(bestCount)];
    return static_cast<std::int16_t>(nextRandom() % 9 + 1);
  }

  // The player's own numbers (splitmix64), apart from the wall's.
  std::uint64_t nextRandom() {
    std::uint64_t z = (player_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  std::uint64_t player_;
  double passChance_;
  std::int16_t steeredTile_ = -1;
  std::int16_t targetCol_ = 5;
  bool dropFast_ = false;
};

// Plays recorded moves back, from the first game on: the same games as the recording when the
// random numbers are pinned alike, with no thinking in between.
class ReplayTable : public QuietTableWindow {
 public:
  explicit ReplayTable(const ScriptedTable::Moves& moves) : moves_(moves) {
    engine.msInitVar();
    engine.mblnShowBreakDown = true;
    engine.mlngLevel = 1;
  }

  GameEngine engine{*this};

  void rewind() { key_ = choice_ = 0; }
  void startAnew(std::int32_t seat) {
    setTimerEnabled(false);
    engine.startGame(seat);
  }
  std::int64_t playGame() {
    std::int64_t ticks = 0;
    while (engine.mblnGameRunning && timerEnabled()) {
      engine.Timer1_Timer();
      ++ticks;
    }
    return ticks;
  }

  SetChoice chooseSet(const DynamicArray<std::int16_t>&,
                      const DynamicArray<std::int16_t>&) override {
    return moves_.choices[choice_++];
  }
  void doEvents() override {
    while (std::int16_t key = moves_.keys[key_++]) engine.Form_KeyDown(key, 0);
  }

 private:
  const ScriptedTable::Moves& moves_;
  std::size_t key_ = 0;
  std::size_t choice_ = 0;
};

}  // namespace velloran
