// Complete 4-round games through the engine with a window that draws nothing: with the
// scripted player thinking at every turn, and the same games replayed by the engine alone.

#include <benchmark/benchmark.h>

#include "base/random.h"
#include "bench/engine_games.h"
#include "bench/scripted_table.h"

namespace velloran {
namespace {

constexpr std::uint32_t kSeed = 20240601;

void completeGames(benchmark::State& state) {
  pinRandom(kSeed);
  gintNumRounds = 4;
  ScriptedTable table(7, static_cast<double>(state.range(0)) / 100.0);
  std::int64_t games = 0;
  std::int64_t ticks = 0;
  std::int64_t handsWon = 0;
  std::int64_t handsPlayed = 0;
  for (auto _ : state) {
    table.startAnew(static_cast<std::int32_t>(games % 4 + 1));
    ticks += table.playGame();
    ++games;
    handsWon += table.engine.mintGamesWon;
    handsPlayed += table.engine.mintGamesPlayed;
  }
  state.counters["games/s"] =
      benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
  state.counters["ticks/s"] =
      benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
  state.counters["ticks/game"] = static_cast<double>(ticks) / static_cast<double>(games);
  state.counters["hands/game"] = static_cast<double>(handsPlayed) / static_cast<double>(games);
  state.counters["won/game"] = static_cast<double>(handsWon) / static_cast<double>(games);
}

void engineAlone(benchmark::State& state) {
  RecordedGames recorded(64, kSeed, static_cast<double>(state.range(0)) / 100.0);
  ReplayTable* table = &recorded.restart();
  int game = 0;
  std::int64_t games = 0;
  for (auto _ : state) {
    if (game == recorded.count()) {
      state.PauseTiming();
      table = &recorded.restart();
      game = 0;
      state.ResumeTiming();
    }
    table->startAnew(RecordedGames::seatOf(game));
    if (table->playGame() != recorded.ticksOf(game)) {
      state.SkipWithError("the replay went another way than the recorded game");
      break;
    }
    ++game;
    ++games;
  }
  state.counters["games/s"] =
      benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
}

// The argument is the player's chance in percent to pass an offered run.
BENCHMARK(completeGames)->Arg(0)->Arg(30)->Unit(benchmark::kMicrosecond);
BENCHMARK(engineAlone)->Arg(0)->Arg(30)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velloran
