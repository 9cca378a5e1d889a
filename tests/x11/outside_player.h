#pragma once
// The thinking of the player who plays the game from outside: what it does with the play area
// it has read off the screen. Kept apart from the reading so that it can be weighed alone.

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace velloran::testing {

// The play area as the player sees it: the kind (1 to 42) of the tile in each cell, 0 where
// there is none; rows 1 (top) to 12 (bottom), columns 1 to 9.
struct PlayArea {
  int kinds[13][10] = {};

  int at(int row, int column) const {
    return column < 1 || column > 9 || row < 1 || row > 12 ? 0 : kinds[row][column];
  }
  // Where a tile steered into the column comes to rest: columns are stacks without gaps.
  int landingRow(int column) const {
    int row = 12;
    while (row >= 1 && kinds[row][column]) --row;
    return row;
  }
  int count(int kind) const {
    int n = 0;
    for (int row = 1; row <= 12; ++row) {
      for (int column = 1; column <= 9; ++column) n += kinds[row][column] == kind;
    }
    return n;
  }
};

// Runs of three that score: three alike (no flower or season), or three in a row of one suit,
// rising or falling from left to right.
inline bool scores(int a, int b, int c) {
  if (!a || !b || !c || a > 34) return false;
  if (a == b && b == c) return true;
  const auto oneSuit = [](int x, int y) {
    return x <= 27 && y <= 27 && (x - 1) / 9 == (y - 1) / 9;
  };
  return oneSuit(a, b) && oneSuit(b, c) &&
         ((b == a + 1 && c == b + 1) || (b == a - 1 && c == b - 1));
}

// A run the set chooser offers: its row, its leftmost column and the kinds of its tiles.
struct Offer {
  int row = 0, column = 0;
  std::vector<int> kinds;
};

// What the chooser offers once a tile has landed at (row, column), in its order: the tile
// alone if it is a flower or season on the bottom row, then the pairs that hold it, then the
// runs of three, from the left. No pair is ever taken, so pairs are always looked for.
inline std::vector<Offer> offersAt(const PlayArea& area, int row, int column) {
  std::vector<Offer> runs;
  const int kind = area.at(row, column);
  if (kind > 34 && row == 12) runs.push_back({row, column, {kind}});
  for (int first = std::max(1, column - 1); first <= std::min(8, column); ++first) {
    const int a = area.at(row, first), b = area.at(row, first + 1);
    if (a && a <= 34 && a == b) runs.push_back({row, first, {a, b}});
  }
  for (int first = std::max(1, column - 2); first <= std::min(7, column); ++first) {
    const int a = area.at(row, first), b = area.at(row, first + 1), c = area.at(row, first + 2);
    if (scores(a, b, c)) runs.push_back({row, first, {a, b, c}});
  }
  return runs;
}

// The play area once a run is taken: the tiles above it drop a row.
inline PlayArea without(PlayArea area, const Offer& run) {
  for (int column = run.column; column < run.column + static_cast<int>(run.kinds.size());
       ++column) {
    for (int row = run.row; row > 1; --row) area.kinds[row][column] = area.kinds[row - 1][column];
    area.kinds[1][column] = 0;
  }
  return area;
}

// Whether a tile of `kind` at (row, column) would make a scoring run with its row.
inline bool completes(const PlayArea& area, int row, int column, int kind) {
  for (int first = std::max(1, column - 2); first <= std::min(7, column); ++first) {
    int three[3];
    for (int i = 0; i < 3; ++i) three[i] = first + i == column ? kind : area.at(row, first + i);
    if (scores(three[0], three[1], three[2])) return true;
  }
  return false;
}

// Whether the tile at the top of the middle column can be steered to the column: the way
// there is clear in the top two rows, so that it still is when the tile has fallen a row.
inline bool reachable(const PlayArea& area, int column) {
  for (int c = std::min(column, 5); c <= std::max(column, 5); ++c) {
    if ((c != 5 && area.at(1, c)) || area.at(2, c)) return false;
  }
  return true;
}

// Whether two tiles side by side may yet be part of a scoring run: alike, or close in a suit.
inline bool related(int a, int b) {
  if (!a || !b || a > 34 || b > 34) return false;
  if (a == b) return true;
  return a <= 27 && b <= 27 && (a - 1) / 9 == (b - 1) / 9 && std::abs(a - b) <= 2;
}

// How much the play area promises: for every cell a tile can land on now, the tiles still
// to come that would make a scoring run there (much), or a neighbour for a tile beside it
// (a little).
inline int promise(const PlayArea& area) {
  int total = 0;
  for (int column = 1; column <= 9; ++column) {
    const int row = area.landingRow(column);
    if (row < 3) continue;
    for (int kind = 1; kind <= 34; ++kind) {
      const int left = std::max(0, 4 - area.count(kind));
      if (completes(area, row, column, kind)) {
        total += 40 * left;
      } else {
        total += left * (related(kind, area.at(row, column - 1)) +
                         related(kind, area.at(row, column + 1)));
      }
    }
  }
  return total;
}

// The column to steer the tile at the top of the middle column to (the area without it):
// where it makes a scoring run, else where the area promises most afterwards, low down and
// away from the middle, which is kept clear for the tiles to come.
inline int columnFor(const PlayArea& area, int kind) {
  int best = 5, bestWorth = -1'000'000;
  for (int column = 1; column <= 9; ++column) {
    const int row = area.landingRow(column);
    if (!reachable(area, column) || row < 3) continue;
    PlayArea after = area;
    after.kinds[row][column] = kind;
    int worth = promise(after);
    if (completes(area, row, column, kind)) worth += 100'000;
    if (column == 5) worth -= 100;
    if (worth > bestWorth) best = column, bestWorth = worth;
  }
  return best;
}

}  // namespace velloran::testing
