#pragma once
// What the rules need from the table window: its drawing, its dialogs, its one timer and
// the event queue. The table window implements it; tests implement it with a recording fake.

#include <cstdint>
#include <string>

#include "base/bounded_array.h"

namespace velloran {

// The set chooser's answer: the leftmost column and row of the chosen run and its tile
// count; column 0 (and row 0, count 0) when the player passes.
struct SetChoice {
  std::int16_t col = 0;
  std::int16_t row = 0;
  std::int16_t numTiles = 0;
};

class TableWindowPort {
 public:
  virtual ~TableWindowPort() = default;

  // The window's own drawing procedures, all into the work picture; msDrawTile also shows it.
  virtual void msDrawTile() = 0;
  virtual void msDrawPlayArea() = 0;
  virtual void msDrawEarnedTiles() = 0;
  virtual void msDrawNexTile() = 0;
  virtual void msDrawRound() = 0;
  virtual void msDrawSeats() = 0;
  virtual void msGenerateLightning() = 0;
  virtual void msDrawLightning() = 0;
  // Stops and rewinds the music, whether or not it plays.
  virtual void mmcVLR_StopClick() = 0;
  // The end-of-game check: may ask for a name; True when the score entered the table.
  virtual bool mblnfHiScore() = 0;

  // Clears the work picture back to the bare table.
  virtual void clearWork() = 0;
  // Copies the background saved under the falling tile back onto the work picture at (x, y).
  virtual void eraseFallingTile(std::int16_t x, std::int16_t y) = 0;
  // Prints one line on the work picture, transparent background.
  virtual void printOnWork(std::int16_t x, std::int16_t y, const std::string& text,
                           std::int32_t colour, const std::string& fontName, std::int16_t fontSize,
                           bool bold) = 0;
  // Copies the whole work picture to the window and refreshes it.
  virtual void presentWork() = 0;

  // Loads the set chooser with the row and leftmost-column of each candidate in
  // gudtPossibleSets, shows it modally, reads its three results and releases it.
  virtual SetChoice chooseSet(const DynamicArray<std::int16_t>& aintCurrRow,
                              const DynamicArray<std::int16_t>& aintLeftMostCol) = 0;
  // Modal dialogs; each returns when it has closed.
  virtual void showBreakDown() = 0;
  virtual void showGameSummary(std::int16_t aintRoundsPlayed, std::int16_t aintGamesPlayed,
                               std::int16_t aintGamesWon) = 0;
  virtual void showHiScores() = 0;

  // Timer1, the game tick.
  virtual bool timerEnabled() const = 0;
  virtual void setTimerEnabled(bool enabled) = 0;
  virtual std::int32_t timerInterval() const = 0;
  virtual void setTimerInterval(std::int32_t milliseconds) = 0;

  // Serves the window's pending events once.
  virtual void doEvents() = 0;
};

}  // namespace velloran
