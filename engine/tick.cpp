// The game tick and the flow of a hand and a game: dealing, falling, landing, the end of a
// hand with the house and round rules, and the end of a game.

#include "base/checked_math.h"
#include "base/clock.h"
#include "base/trap.h"
#include "engine/engine.h"

namespace velloran {

void GameEngine::msInitNewGame() {
  trap("msInitNewGame", [&] {
    ++handsDealt_;
    for (auto& row : mudtCellTable) {
      for (auto& cell : row) emptySlot(cell);
    }
    for (auto& slot : mudtEarnedTiles) emptySlot(slot);
    window_.clearWork();
    mblnDropFast = false;
    mintPairIdx = 0;
    mblnPairEarned = false;
    mintRow = -1;
    mintEarnedHandSlots = 0;
    mintCurrTile = 0;
    mintEarnedCount = 0;
    mintDoubles = 0;
    mintEarnedBonusSlots = 0;
    mblnLightningPending = false;
    mlngLastLightning = toLong(gameClock().timeOfDay());
    mblnLightningShown = false;
    mintTilePtr = 0;
    msInitTileSet(gudtPossibleSets);
    msClearHandTally();
    window_.msDrawRound();
    window_.msDrawSeats();
    msUpdateScore(kPair, false);  // a pair adds nothing: the score is only reprinted
    msShuffleTiles();
    window_.setTimerEnabled(true);
    mblnInTick = false;
    mblnGameRunning = true;
  });
}

void GameEngine::Timer1_Timer() {
  if (mblnInTick) return;
  // Before the first hand there is no play area to work on (the timer can be switched on by
  // Pause all the same): such a tick does nothing.
  if (handsDealt_ == 0) return;
  mblnInTick = true;

  // Rounds played can pass the setting when it is lowered during a game; that ends it too.
  if (mintRoundsPlayed >= gintNumRounds) {
    endGame();
    return;
  }
  window_.msGenerateLightning();

  if (mintRow == -1) {
    if (mintTilePtr == 144) {
      endHand();
      return;
    }
    window_.setTimerInterval(mintfSetTimeInterval());
    ++mintTilePtr;
    mintCurrTile = mintTileSequence[mintTilePtr];
    mintCol = 5;
    if (mblnfDropOK()) {
      mintRow = 0;
      if (mblnfDropOK()) mintRow = 1;
    }
    if (mintRow != 1 || mintEarnedCount == 14) {
      endHand();
      return;
    }
  } else {
    if (!mblnfDropOK()) {
      msMarkCellTable();
      mintRow = -1;
      mblnInTick = false;
      return;
    }
    const std::uint32_t dealt = handsDealt_;
    const std::int16_t col = mintCol;
    window_.doEvents();
    // The events just served may have dealt a new hand (its own state now stands, guard
    // included), or stepped the tile sideways: over an occupied cell it does not move down
    // now but lands at the next tick. Nothing else changes the play area while a tick runs.
    if (handsDealt_ != dealt) return;
    if (mintCol != col && !mblnfDropOK()) {
      mblnInTick = false;
      return;
    }
    msEraseTile();
    ++mintRow;
  }

  window_.msDrawLightning();
  window_.msDrawNexTile();
  window_.msDrawEarnedTiles();
  window_.msDrawTile();
  mblnInTick = false;
}

void GameEngine::endHand() {
  const bool won = mintEarnedCount == 14;
  ++mintGamesPlayed;
  if (won) ++mintGamesWon;
  msUpdateHouse(won);
  msUpdateRound();
  if (won && mblnShowBreakDown) {
    window_.setTimerEnabled(false);
    window_.showBreakDown();
  }
  msInitNewGame();
  mblnInTick = false;
}

void GameEngine::endGame() {
  window_.setTimerEnabled(false);
  mblnGameRunning = false;
  window_.mmcVLR_StopClick();
  window_.showGameSummary(mintRoundsPlayed, mintGamesPlayed, mintGamesWon);
  if (mlngScore != 0 && window_.mblnfHiScore()) window_.showHiScores();
  msSetStopped(true);
  // The guard stays set: every later tick returns at once until the next deal.
}

bool GameEngine::mblnfDropOK() {
  bool result = false;
  trap("mblnfDropOK",
       [&] { result = mintRow != 12 && !mudtCellTable(mintRow + 1, mintCol).Occupied; });
  return result;
}

void GameEngine::msEraseTile() {
  trap("msEraseTile", [&] {
    if (mintRow == 0) return;  // a tile in the entry row is never drawn
    const typCell& cell = mudtCellTable(mintRow, mintCol);
    window_.eraseFallingTile(cell.X, cell.Y);
  });
}

std::int16_t GameEngine::mintfSetTimeInterval() {
  std::int16_t result = 0;
  trap("mintfSetTimeInterval", [&] {
    switch (mlngLevel) {
      case 1:
        result = 400;
        break;
      case 2:
        result = mintEarnedCount < 11 ? 400 : 300;
        break;
      case 3:
        result = mintEarnedCount < 8 ? 400 : 300;
        break;
      case 4:
        result = 300;
        break;
      case 5:
        result = mintEarnedCount < 8 ? 300 : 200;
        break;
      default:
        break;
    }
  });
  return result;
}

void GameEngine::msUpdateHouse(bool handWon) {
  trap("msUpdateHouse", [&] {
    // The house stays only when the player won as the house.
    if (!handWon || mlngHouse != mlngPlayerSeat) {
      msMoveHouse();
      ++mintHouseMoves;
    }
  });
}

void GameEngine::msMoveHouse() {
  trap("msMoveHouse", [&] { mlngHouse = mlngHouse == 4 ? 1 : mlngHouse + 1; });
}

void GameEngine::msUpdateRound() {
  trap("msUpdateRound", [&] {
    if (mintHouseMoves != 4) return;
    mlngRoundWind = mlngRoundWind == 4 ? 1 : mlngRoundWind + 1;
    window_.msDrawRound();
    mintHouseMoves = 0;
    ++mintRoundsPlayed;
  });
}

void GameEngine::msSetStopped(bool) {}

void GameEngine::startGame(std::int32_t playerSeat) {
  mlngPlayerSeat = playerSeat;
  mlngHouse = 1;
  mlngRoundWind = 1;
  mlngScore = 0;
  mintHouseMoves = 0;
  mintRoundsPlayed = 0;
  mintGamesPlayed = 0;
  mintGamesWon = 0;
  msInitNewGame();
}

}  // namespace velloran
