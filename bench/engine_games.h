#pragma once
// Complete 4-round games for the benchmarks: a set of games played once by the scripted
// player and kept, so that they can be played again by the engine alone.

#include <cstdint>
#include <optional>
#include <vector>

#include "base/random.h"
#include "bench/scripted_table.h"

namespace velloran {

class RecordedGames {
 public:
  RecordedGames(int count, std::uint32_t seed, double passChance) : seed_(seed) {
    pinRandom(seed_);
    gintNumRounds = 4;
    ScriptedTable table(7, passChance);
    table.recording = &moves_;
    for (int game = 0; game < count; ++game) {
      table.startAnew(seatOf(game));
      ticks_.push_back(table.playGame());
    }
  }

  int count() const { return static_cast<int>(ticks_.size()); }
  std::int64_t ticksOf(int game) const { return ticks_[static_cast<std::size_t>(game)]; }
  static std::int32_t seatOf(int game) { return game % 4 + 1; }

  // A fresh table at the start of the first game, with the random numbers as they were then.
  ReplayTable& restart() {
    pinRandom(seed_);
    gintNumRounds = 4;
    table_.emplace(moves_);
    return *table_;
  }

 private:
  std::uint32_t seed_;
  ScriptedTable::Moves moves_;
  std::vector<std::int64_t> ticks_;
  std::optional<ReplayTable> table_;
};

}  // namespace velloran
