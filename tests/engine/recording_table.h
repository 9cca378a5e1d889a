#pragma once
// A table window that records what the engine asks of it: every drawing and dialog call in
// order, the timer's state, the texts printed; the set chooser answers from a script.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/random.h"
#include "base/trap.h"
#include "engine/engine.h"

namespace velloran {

// Tile kinds by name: dots 1-9, bamboo 10-18, characters 19-27, winds, dragons, seasons,
// flowers.
constexpr int kEast = 28, kSouth = 29, kWest = 30, kNorth = 31, kRed = 32, kGreen = 33, kBlue = 34;
constexpr int kSeason1 = 35, kSeason2 = 36, kSeason3 = 37, kSeason4 = 38;
constexpr int kFlower1 = 39, kFlower2 = 40, kFlower3 = 41, kFlower4 = 42;
constexpr int dots(int rank) {
  return rank;
}
constexpr int bamboo(int rank) {
  return 9 + rank;
}
constexpr int characters(int rank) {
  return 18 + rank;
}

struct Offer {
  std::vector<std::int16_t> rows;
  std::vector<std::int16_t> cols;
  std::vector<int> sizes;  // occupied slots of each row of gudtPossibleSets
  int setCount = 0;        // mintPossibleSetCount while the chooser is open
};

struct Report {
  std::int32_t number;
  std::string procedure;
};

class RecordingTable : public TableWindowPort {
 public:
  RecordingTable() {
    pinRandom(12345);
    gintNumRounds = 4;
    setErrorReporter([this](std::int32_t number, const std::string&, const std::string& procedure) {
      reports.push_back({number, procedure});
    });
    engine.msInitVar();
    engine.mlngLevel = 1;
  }
  ~RecordingTable() override {
    // A run-time error in play is a fault unless the test looked at the reports itself.
    if (!reportsChecked) {
      for (const Report& r : reports)
        ADD_FAILURE() << "error " << r.number << " in " << r.procedure;
    }
    setErrorReporter(nullptr);
    unpinRandom();
  }

  GameEngine engine{*this};

  std::vector<std::string> calls;
  std::vector<std::string> printed;
  std::vector<Offer> offers;
  std::vector<Report> reports;
  bool reportsChecked = false;
  std::deque<SetChoice> answers;  // Pass once the script runs out
  std::function<void()> onDoEvents;
  std::function<void()> onModal;  // runs inside every modal dialog (the chooser too)
  bool hiScoreAnswer = false;
  bool timerOn = false;
  std::int32_t interval = 500;

  void startAnew(std::int32_t seat = 1) {
    timerOn = false;
    engine.startGame(seat);
    calls.clear();
    printed.clear();
  }

  // Puts a tile of a kind (1-42) into a cell, as a landed tile.
  void put(int row, int col, int kind) {
    placeTile(engine.mudtTileKinds[kind], engine.mudtCellTable(row, col));
  }

  // Makes the next tile dealt one of the given kind (the wall keeps its other tiles).
  void nextTileIs(int kind) {
    const int position = engine.mintTilePtr + 1;
    for (int p = position; p <= 144; ++p) {
      if (engine.mintTileKindOf[engine.mintTileSequence[p]] == kind) {
        std::swap(engine.mintTileSequence[p], engine.mintTileSequence[position]);
        return;
      }
    }
    ADD_FAILURE() << "no tile of kind " << kind << " left in the wall";
  }

  // A tile of that kind is falling at (row, col); the next tick lands it when the cell
  // below is taken or row is 12.
  void falling(int row, int col, int kind) {
    nextTileIs(kind);
    engine.mintCurrTile = engine.mintTileSequence[++engine.mintTilePtr];
    engine.mintRow = static_cast<std::int16_t>(row);
    engine.mintCol = static_cast<std::int16_t>(col);
  }

  // The hand holds these kinds in slots 1, 2, ...; a pair, if any, starts at pairIdx.
  void holdHand(std::initializer_list<int> kinds, int pairIdx) {
    int slot = 0;
    for (int kind : kinds) placeTile(engine.mudtTileKinds[kind], engine.mudtEarnedTiles[++slot]);
    engine.mintEarnedHandSlots = static_cast<std::int16_t>(slot);
    engine.mintEarnedCount = static_cast<std::int16_t>(slot);
    engine.mblnPairEarned = pairIdx != 0;
    engine.mintPairIdx = static_cast<std::int16_t>(pairIdx);
  }
  // Flowers and seasons, from slot 15 on.
  void holdBonus(std::initializer_list<int> kinds) {
    int slot = 14;
    for (int kind : kinds) placeTile(engine.mudtTileKinds[kind], engine.mudtEarnedTiles[++slot]);
    engine.mintEarnedBonusSlots = static_cast<std::int16_t>(slot - 14);
  }

  void tick() { engine.Timer1_Timer(); }
  void key(std::int16_t code) { engine.Form_KeyDown(code, 0); }
  void take(std::int16_t col, std::int16_t row, std::int16_t numTiles) {
    answers.push_back({col, row, numTiles});
  }
  int count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }

  void msDrawTile() override {
    calls.push_back("msDrawTile " + std::to_string(engine.mintRow) + "," +
                    std::to_string(engine.mintCol));
  }
  void msDrawPlayArea() override { calls.push_back("msDrawPlayArea"); }
  void msDrawEarnedTiles() override { calls.push_back("msDrawEarnedTiles"); }
  void msDrawNexTile() override { calls.push_back("msDrawNexTile"); }
  void msDrawRound() override { calls.push_back("msDrawRound"); }
  void msDrawSeats() override { calls.push_back("msDrawSeats"); }
  void msGenerateLightning() override { calls.push_back("msGenerateLightning"); }
  void msDrawLightning() override { calls.push_back("msDrawLightning"); }
  void mmcVLR_StopClick() override { calls.push_back("mmcVLR_StopClick"); }
  bool mblnfHiScore() override {
    calls.push_back("mblnfHiScore");
    return hiScoreAnswer;
  }
  void clearWork() override { calls.push_back("clearWork"); }
  void eraseFallingTile(std::int16_t x, std::int16_t y) override {
    calls.push_back("erase " + std::to_string(x) + "," + std::to_string(y));
  }
  void printOnWork(std::int16_t x, std::int16_t y, const std::string& text, std::int32_t colour,
                   const std::string& fontName, std::int16_t fontSize, bool bold) override {
    printed.push_back(std::to_string(x) + "," + std::to_string(y) + " " + text + " " +
                      std::to_string(colour) + " " + fontName + " " + std::to_string(fontSize) +
                      (bold ? " bold" : ""));
    calls.push_back("print");
  }
  void presentWork() override { calls.push_back("presentWork"); }
  SetChoice chooseSet(const DynamicArray<std::int16_t>& rows,
                      const DynamicArray<std::int16_t>& cols) override {
    calls.push_back("chooseSet");
    Offer offer;
    offer.setCount = engine.mintPossibleSetCount;
    for (int k = 1; k <= rows.upper(); ++k) offer.rows.push_back(rows[k]);
    for (int k = 1; k <= cols.upper(); ++k) offer.cols.push_back(cols[k]);
    for (int k = 1; k <= 12; ++k) {
      int size = 0;
      for (int t = 1; t <= 3; ++t) size += gudtPossibleSets(k, t).Occupied;
      offer.sizes.push_back(size);
    }
    offers.push_back(offer);
    if (onModal) onModal();
    if (answers.empty()) return {};
    const SetChoice answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void showBreakDown() override {
    calls.push_back(std::string("showBreakDown timer ") + (timerOn ? "on" : "off"));
    if (onModal) onModal();
  }
  void showGameSummary(std::int16_t rounds, std::int16_t hands, std::int16_t won) override {
    calls.push_back("showGameSummary " + std::to_string(rounds) + "," + std::to_string(hands) +
                    "," + std::to_string(won));
    if (onModal) onModal();
  }
  void showHiScores() override { calls.push_back("showHiScores"); }
  bool timerEnabled() const override { return timerOn; }
  void setTimerEnabled(bool enabled) override { timerOn = enabled; }
  std::int32_t timerInterval() const override { return interval; }
  void setTimerInterval(std::int32_t milliseconds) override { interval = milliseconds; }
  void doEvents() override {
    calls.push_back("doEvents");
    if (onDoEvents) onDoEvents();
  }
};

}  // namespace velloran
