// A tile lands; the runs around it are offered, the chosen one goes into the hand and leaves
// the play area, the tiles above drop, and the search goes on around the gap (the cascade).

#include "base/trap.h"
#include "engine/engine.h"

namespace velloran {

namespace {
// The chooser's grid has 12 places; the last one must stay free for Pass.
constexpr int kMostCandidates = 11;
}  // namespace

void GameEngine::msMarkCellTable() {
  trap("msMarkCellTable", [&] {
    placeTile(mudtTileKinds[mintTileKindOf[mintCurrTile]], mudtCellTable(mintRow, mintCol));

    bool done = false;
    bool afterRemoval = false;
    SetChoice chosen;
    std::int32_t setKind = 0;
    DynamicArray<std::int16_t> candidateRows;
    DynamicArray<std::int16_t> candidateCols;
    int found = 0;

    while (!done) {
      // First pass: the landed tile's row around its column. Later passes: every row from
      // the taken run's row up, around the columns it left, since everything above dropped.
      const std::int16_t refCol = afterRemoval ? chosen.col : mintCol;
      const std::int16_t width = afterRemoval ? chosen.numTiles : 1;
      const int lowestRow = afterRemoval ? chosen.row : mintRow;
      const int highestRow = afterRemoval ? 1 : mintRow;
      for (int size = 1; size <= 3 && found < kMostCandidates; ++size) {
        std::int16_t firstCol = 0;
        std::int16_t lastCol = -1;
        msGetColumns(refCol, firstCol, lastCol, afterRemoval, size, width);
        for (int row = lowestRow; row >= highestRow && found < kMostCandidates; --row) {
          for (int col = firstCol; col <= lastCol && found < kMostCandidates; ++col) {
            if (!mblnfTileConnection(static_cast<std::int16_t>(row), static_cast<std::int16_t>(col),
                                     size)) {
              continue;
            }
            ++found;
            candidateRows.redimPreserve(found);
            candidateCols.redimPreserve(found);
            candidateRows[found] = static_cast<std::int16_t>(row);
            candidateCols[found] = static_cast<std::int16_t>(col);
          }
        }
      }

      if (found == 0) {
        done = true;
      } else {
        window_.msDrawLightning();
        window_.msDrawLightning();
        chosen = window_.chooseSet(candidateRows, candidateCols);
        if (chosen.col == 0) {
          afterRemoval = false;
          done = true;
        } else {
          afterRemoval = true;
          const auto lastCol = static_cast<std::int16_t>(chosen.col + chosen.numTiles - 1);
          msStoreEarnedTiles(chosen.row, chosen.col, lastCol, setKind);
          if (chosen.numTiles != 1) mintEarnedCount += chosen.numTiles;
          if (setKind == kPair) {
            mblnPairEarned = true;
            mintPairIdx = static_cast<std::int16_t>(mintEarnedHandSlots - 1);
          }
          msRemoveTiles(chosen.row, chosen.col, lastCol);
          window_.msDrawPlayArea();
          window_.msDrawEarnedTiles();
          window_.msDrawNexTile();
          msUpdateScore(setKind, mintEarnedCount == 14);
          window_.msDrawRound();
          window_.msDrawSeats();
          window_.presentWork();
          if (mintEarnedCount == 14) done = true;
        }
      }
      // A pass that found nothing stored nothing: the table is still empty.
      if (found > 0) msInitTileSet(gudtPossibleSets);
      candidateRows.erase();
      candidateCols.erase();
      found = 0;
    }
    mblnDropFast = false;
    mudtCheckTiles.erase();
  });
}

void GameEngine::msStoreEarnedTiles(std::int16_t row, std::int16_t firstCol, std::int16_t lastCol,
                                    std::int32_t& setKind) {
  trap("msStoreEarnedTiles", [&] {
    for (int col = firstCol; col <= lastCol; ++col) {
      int slot = 0;
      if (firstCol == lastCol) {
        slot = 14 + ++mintEarnedBonusSlots;
      } else {
        slot = ++mintEarnedHandSlots;
      }
      placeTile(tileOf(mudtCellTable(row, col)), mudtEarnedTiles[slot]);
    }
    switch (lastCol - firstCol) {
      case 0:
        setKind = kBonusSingle;
        break;
      case 1:
        setKind = kPair;
        break;
      case 2:
        setKind = mudtEarnedTiles[mintEarnedHandSlots - 1].Value ==
                          mudtEarnedTiles[mintEarnedHandSlots].Value
                      ? kTrio
                      : kSequence;
        break;
      default:
        break;
    }
  });
}

void GameEngine::msRemoveTiles(std::int16_t row, std::int16_t firstCol, std::int16_t lastCol) {
  trap("msRemoveTiles", [&] {
    for (int r = row - 1; r >= 1; --r) {
      for (int col = firstCol; col <= lastCol; ++col) {
        const typCell& above = mudtCellTable(r, col);
        typCell& below = mudtCellTable(r + 1, col);
        below.Occupied = above.Occupied;
        below.Value = above.Value;
        below.Suit = above.Suit;
        below.Bonus = above.Bonus;
        below.BmpIdx = above.BmpIdx;
      }
    }
    for (int col = firstCol; col <= lastCol; ++col) emptySlot(mudtCellTable(1, col));
  });
}

}  // namespace velloran
