// Which horizontal runs of landed tiles may be taken: bonus singles on the bottom row, pairs,
// trios and sequences, and the windows of start columns scanned around a change.

#include <algorithm>

#include "base/trap.h"
#include "engine/engine.h"

namespace velloran {

namespace {

bool isSuitRank(std::int32_t value) {
  return value >= 1 && value <= 9;
}

bool runsByOne(const typTile& a, const typTile& b, const typTile& c) {
  return (a.Value + 1 == b.Value && b.Value + 1 == c.Value) ||
         (a.Value == b.Value + 1 && b.Value == c.Value + 1);
}

// Every window of `size` cells inside columns 1-9 that covers one of the changed columns
// refCol .. refCol + width - 1.
void startColumns(std::int16_t refCol, std::int16_t width, int size, std::int16_t& firstCol,
                  std::int16_t& lastCol) {
  firstCol = static_cast<std::int16_t>(std::max(1, refCol - size + 1));
  lastCol = static_cast<std::int16_t>(std::min(10 - size, refCol + width - 1));
}

}  // namespace

bool GameEngine::mblnfTileConnection(std::int16_t row, std::int16_t col, std::int32_t size) {
  bool result = false;
  trap("mblnfTileConnection", [&] {
    if (size < 1 || size > 3) return;
    // Every kind of run needs its leftmost cell, so the rules below test only the others;
    // most windows of a pass over the upper rows start on an empty one.
    if (!mudtCellTable(row, col).Occupied) return;
    mudtCheckTiles.redim(size);
    for (int i = 1; i <= size; ++i) mudtCheckTiles[i] = tileOf(mudtCellTable(row, col + i - 1));
    const auto occupied = [&](int i) { return mudtCellTable(row, col + i - 1).Occupied; };
    const typTile& first = mudtCheckTiles[1];

    if (size == 1) {
      if (first.Bonus == 0 || row != 12) return;
    } else if (size == 2) {
      const typTile& second = mudtCheckTiles[2];
      if (mblnPairEarned || !occupied(2)) return;
      if (first.Suit != second.Suit || first.Value != second.Value || first.Value == 0) return;
    } else {
      const typTile& second = mudtCheckTiles[2];
      const typTile& third = mudtCheckTiles[3];
      if (mintEarnedCount >= 12 || !occupied(2) || !occupied(3)) return;
      const bool sameSuit = first.Suit == second.Suit && first.Suit == third.Suit;
      if (first.Value == second.Value && first.Value == third.Value) {
        // Three equal ranks: a trio of one suit, or of one honour.
        if (isSuitRank(first.Value) ? !sameSuit : first.Value == 0) return;
      } else if (!sameSuit || first.Suit == 0 || !runsByOne(first, second, third)) {
        return;
      }
    }
    msStorePossibleTiles(1, static_cast<std::int16_t>(size), mudtCheckTiles);
    result = true;
  });
  return result;
}

void GameEngine::msStorePossibleTiles(std::int16_t first, std::int16_t last,
                                      DynamicArray<typTile>& tiles) {
  trap("msStorePossibleTiles", [&] {
    ++mintPossibleSetCount;
    for (int t = first; t <= last; ++t)
      placeTile(tiles[t], gudtPossibleSets(mintPossibleSetCount, t));
  });
}

void GameEngine::msInitTileSet(BoundedArray2<typCell, 1, 12, 1, 3>& sets) {
  trap("msInitTileSet", [&] {
    mintPossibleSetCount = 0;
    for (auto& set : sets) {
      for (auto& slot : set) emptySlot(slot);
    }
  });
}

void GameEngine::msGetColumns(std::int16_t refCol, std::int16_t& firstCol, std::int16_t& lastCol,
                              bool afterRemoval, std::int32_t size, std::int16_t width) {
  trap("msGetColumns", [&] {
    switch (size) {
      case 1:
        msGetCheckSingleCols(refCol, firstCol, lastCol, afterRemoval, width);
        break;
      case 2:
        msGetCheckPairCols(refCol, firstCol, lastCol, afterRemoval, width);
        break;
      case 3:
        msGetCheckTrioCols(refCol, firstCol, lastCol, afterRemoval, width);
        break;
      default:
        break;
    }
  });
}

// After a landing only the landed tile's column changed, whatever width is passed.
void GameEngine::msGetCheckSingleCols(std::int16_t refCol, std::int16_t& firstCol,
                                      std::int16_t& lastCol, bool afterRemoval,
                                      std::int16_t width) {
  trap("msGetCheckSingleCols",
       [&] { startColumns(refCol, afterRemoval ? width : 1, 1, firstCol, lastCol); });
}

void GameEngine::msGetCheckPairCols(std::int16_t refCol, std::int16_t& firstCol,
                                    std::int16_t& lastCol, bool afterRemoval, std::int16_t width) {
  trap("msGetCheckPairCols",
       [&] { startColumns(refCol, afterRemoval ? width : 1, 2, firstCol, lastCol); });
}

void GameEngine::msGetCheckTrioCols(std::int16_t refCol, std::int16_t& firstCol,
                                    std::int16_t& lastCol, bool afterRemoval, std::int16_t width) {
  trap("msGetCheckTrioCols",
       [&] { startColumns(refCol, afterRemoval ? width : 1, 3, firstCol, lastCol); });
}

}  // namespace velloran
