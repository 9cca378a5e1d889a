#pragma once
// The module globals the dialogs read: the candidate sets for the set chooser, the scoring
// of the last hand for the break-down, and the rounds setting. One process, one table.

#include <cstdint>
#include <string>

#include "base/bounded_array.h"
#include "engine/tiles.h"

namespace velloran {

// Candidate k (1-12), tile t (1-3) from the left.
inline BoundedArray2<typCell, 1, 12, 1, 3> gudtPossibleSets;
// Pattern names of the hand just tallied, joined by single commas.
inline std::string gstrHandList;
// Points the last tally added to the score.
inline std::int32_t glngHandPoints = 0;
// Rounds per game, 1 to 100.
inline std::int16_t gintNumRounds = 4;

}  // namespace velloran
