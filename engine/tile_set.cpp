// The 42 tile kinds, the kind of each of the 144 tiles, the slot positions and the wall.

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "base/random.h"
#include "base/trap.h"
#include "engine/engine.h"

namespace velloran {

void GameEngine::msInitVar() {
  trap("msInitVar", [&] {
    for (int row = 0; row <= 12; ++row) {
      for (int col = 1; col <= 9; ++col) {
        mudtCellTable(row, col).X = static_cast<std::int16_t>(40 + 30 * (col - 1));
        mudtCellTable(row, col).Y = static_cast<std::int16_t>(24 + 39 * row);
      }
    }
    for (int set = 1; set <= 12; ++set) {
      for (int tile = 1; tile <= 3; ++tile) {
        gudtPossibleSets(set, tile).X =
            static_cast<std::int16_t>(6 + 30 * (tile - 1) + 98 * ((set - 1) % 4));
        gudtPossibleSets(set, tile).Y = static_cast<std::int16_t>(6 + 45 * ((set - 1) / 4));
      }
    }
    for (int slot = 1; slot <= 22; ++slot) {
      const bool handTile = slot <= 14;
      mudtEarnedTiles[slot].X = static_cast<std::int16_t>(352 + 30 * (slot - (handTile ? 1 : 15)));
      mudtEarnedTiles[slot].Y = handTile ? 177 : 129;
    }
    for (int kind = 1; kind <= 42; ++kind) {
      typTile& tile = mudtTileKinds[kind];
      tile = typTile{};
      if (kind <= 27) {
        tile.Suit = (kind - 1) / 9 + 1;
        tile.Value = (kind - 1) % 9 + 1;
      } else if (kind <= 34) {
        tile.Value = kind - 18;
      } else {
        tile.Bonus = kind - 34;
      }
      tile.BmpIdx = static_cast<std::int16_t>(kind);
    }
    msAssignTileBmpIdx();
  });
}

void GameEngine::msAssignTileBmpIdx() {
  trap("msAssignTileBmpIdx", [&] {
    for (int t = 1; t <= 36; ++t) mintTileKindOf[t] = static_cast<std::int16_t>((t - 1) % 9 + 1);
    for (int t = 37; t <= 72; ++t) mintTileKindOf[t] = static_cast<std::int16_t>((t - 37) % 9 + 10);
    for (int t = 73; t <= 108; ++t)
      mintTileKindOf[t] = static_cast<std::int16_t>((t - 73) % 9 + 19);
    for (int t = 109; t <= 136; ++t) {
      mintTileKindOf[t] = static_cast<std::int16_t>((t - 109) % 7 + 28);
    }
    for (int t = 137; t <= 144; ++t) mintTileKindOf[t] = static_cast<std::int16_t>(t - 102);
  });
}

void GameEngine::msShuffleTiles() {
  trap("msShuffleTiles", [&] {
    randomize();
    // Each tile number goes to the r-th of the positions still free, r uniform in 1 to the
    // number free. The free positions are kept in ascending order, so the r-th is at hand.
    std::array<std::int16_t, 144> freePositions;
    std::iota(freePositions.begin(), freePositions.end(), std::int16_t{1});
    for (int tile = 1; tile <= 144; ++tile) {
      const int free = 145 - tile;
      const int r = static_cast<int>(std::floor(free * static_cast<double>(rnd()))) + 1;
      const auto taken = freePositions.begin() + (r - 1);
      mintTileSequence[*taken] = static_cast<std::int16_t>(tile);
      std::copy(taken + 1, freePositions.begin() + free, taken);
    }
  });
}

}  // namespace velloran
