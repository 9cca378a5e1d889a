// Set points for every taken run, and the tally of a won hand: its suit and shape patterns,
// its doubles, and the hand points by level.

#include <cmath>
#include <string>

#include "base/checked_math.h"
#include "base/strip_comma.h"
#include "base/trap.h"
#include "engine/engine.h"

namespace velloran {

void GameEngine::appendHandEntry(const char* name) {
  gstrHandList += name;
  gstrHandList += ',';
}

void GameEngine::msUpdateScore(std::int32_t setKind, bool handComplete) {
  trap("msUpdateScore", [&] {
    const std::int32_t pointsPerSet = mblnDropFast ? 2 : 1;
    if (setKind == kSequence) mlngScore = addLong(mlngScore, pointsPerSet);
    if (setKind == kTrio) mlngScore = addLong(mlngScore, 2 * pointsPerSet);
    if (handComplete) msTallyScore();
    // Black first, then red one pixel down and right, so the black shows as a shadow.
    const std::string score = std::to_string(mlngScore);
    window_.printOnWork(453, 236, score, 0, "Wonton ICG", 18, true);
    window_.printOnWork(454, 237, score, 255, "Wonton ICG", 18, true);
  });
}

void GameEngine::msTallyScore() {
  trap("msTallyScore", [&] {
    if (mintPairIdx != 13) msReArrangeTiles();
    msCheckForFlowers();
    msCheckForDragons();
    msCheckForWinds();
    if (mblnfPureSuit()) {
      appendHandEntry("Pure Suit Hand");
    } else if (mblnfSemiPureSuit()) {
      appendHandEntry("Semi-Pure Suit Hand");
    }
    const bool onlyTrios = mblnfThreeOfAKindOnly();
    const bool onlySequences = mblnfSequenceOnly();
    if (!onlyTrios && !onlySequences) gstrHandList += "Mixed Hand";
    gsStripComma(gstrHandList);
    const std::int32_t handPoints = mlngfHandPoints();
    mlngScore = addLong(mlngScore, handPoints);
    glngHandPoints = handPoints;
  });
}

void GameEngine::msReArrangeTiles() {
  trap("msReArrangeTiles", [&] {
    const typTile first = tileOf(mudtEarnedTiles[mintPairIdx]);
    const typTile second = tileOf(mudtEarnedTiles[mintPairIdx + 1]);
    for (int slot = mintPairIdx; slot <= 12; ++slot) {
      placeTile(tileOf(mudtEarnedTiles[slot + 2]), mudtEarnedTiles[slot]);
    }
    placeTile(first, mudtEarnedTiles[13]);
    placeTile(second, mudtEarnedTiles[14]);
  });
}

bool GameEngine::mblnfPureSuit() {
  bool result = false;
  trap("mblnfPureSuit", [&] {
    for (int slot = 1; slot <= 10; slot += 3) {
      const std::int32_t suit = mudtEarnedTiles[slot].Suit;
      if (suit == 0 || suit != mudtEarnedTiles[slot + 3].Suit) return;
    }
    if (mudtEarnedTiles[14].Suit != mudtEarnedTiles[1].Suit) return;
    mintDoubles += 6;
    result = true;
  });
  return result;
}

bool GameEngine::mblnfSemiPureSuit() {
  bool result = false;
  trap("mblnfSemiPureSuit", [&] {
    bool suitSeen[4] = {};
    for (int slot = 1; slot <= 13; slot += 3) {
      const std::int32_t suit = mudtEarnedTiles[slot].Suit;
      if (suit >= 1 && suit <= 3) suitSeen[suit] = true;
    }
    if (suitSeen[1] + suitSeen[2] + suitSeen[3] != 1) return;
    mintDoubles += 3;
    result = true;
  });
  return result;
}

bool GameEngine::mblnfThreeOfAKindOnly() {
  bool result = false;
  trap("mblnfThreeOfAKindOnly", [&] {
    bool honours = true;
    bool terminals = true;
    const auto isOneOrNine = [](std::int32_t value) { return value == 1 || value == 9; };
    for (int slot = 1; slot <= 10; slot += 3) {
      const std::int32_t a = mudtEarnedTiles[slot].Value;
      const std::int32_t b = mudtEarnedTiles[slot + 1].Value;
      const std::int32_t c = mudtEarnedTiles[slot + 2].Value;
      if ((a + 1 == b && b + 1 == c) || (a - 1 == b && b - 1 == c)) return;
      honours = honours && mudtEarnedTiles[slot].Suit == 0;
      terminals = terminals && isOneOrNine(a);
    }
    honours = honours && mudtEarnedTiles[14].Suit == 0;
    terminals = terminals && isOneOrNine(mudtEarnedTiles[14].Value);
    appendHandEntry("Three-Of-A-Kind Hand");
    mintDoubles += 3;
    if (honours) {
      appendHandEntry("Dragons And Winds Hand");
      mintDoubles += 6;
    }
    if (terminals) {
      appendHandEntry("Ones-Nines-Only Hand");
      mintDoubles += 6;
    }
    result = true;
  });
  return result;
}

bool GameEngine::mblnfSequenceOnly() {
  bool result = false;
  trap("mblnfSequenceOnly", [&] {
    for (int slot = 1; slot <= 10; slot += 3) {
      if (isTrioAt(slot)) return;
    }
    appendHandEntry("Sequence Hand");
    mintDoubles += 1;
    result = true;
  });
  return result;
}

bool GameEngine::isTrioAt(int firstSlot) const {
  const std::int32_t value = mudtEarnedTiles[firstSlot].Value;
  return value == mudtEarnedTiles[firstSlot + 1].Value &&
         value == mudtEarnedTiles[firstSlot + 2].Value;
}

std::int32_t GameEngine::mlngfHandPoints() {
  int minimumDoubles = 0;
  if (mlngLevel >= 2 && mlngLevel <= 5) minimumDoubles = static_cast<int>(mlngLevel) - 1;
  if (mintDoubles < minimumDoubles) return 0;
  return toLong(50.0 * std::pow(2.0, mintDoubles));
}

void GameEngine::msClearHandTally() {
  glngHandPoints = 0;
  gstrHandList.clear();
}

}  // namespace velloran
