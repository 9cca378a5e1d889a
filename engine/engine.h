#pragma once
// The game's rules and state with no window: the wall, the tick, steering, set detection,
// landing and scoring. The table window owns one, forwards its timer and keys to it, and
// reads and writes its fields directly (options, lightning flags, counters).

#include <cstdint>
#include <string>

#include "base/bounded_array.h"
#include "engine/shared.h"
#include "engine/table_window_port.h"
#include "engine/tiles.h"

namespace velloran {

// The kind of a taken run, as storing gives it and scoring takes it.
enum SetKind : std::int32_t { kBonusSingle = 0, kPair = 1, kSequence = 2, kTrio = 3 };

class GameEngine {
 public:
  explicit GameEngine(TableWindowPort& window) : window_(window) {}
  GameEngine(const GameEngine&) = delete;
  GameEngine& operator=(const GameEngine&) = delete;

  // Tile set and wall.
  void msInitVar();
  void msAssignTileBmpIdx();
  void msShuffleTiles();

  // The tick and the flow of hands.
  void Timer1_Timer();
  void msInitNewGame();
  bool mblnfDropOK();
  void msEraseTile();
  std::int16_t mintfSetTimeInterval();
  void msUpdateHouse(bool handWon);
  void msMoveHouse();
  void msUpdateRound();
  void msSetStopped(bool stopped);
  // What Start Anew does once the seat is drawn: the game's counters, then the first hand.
  void startGame(std::int32_t playerSeat);

  // Steering: the table window forwards its key-down events here.
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift);

  // Set detection.
  bool mblnfTileConnection(std::int16_t row, std::int16_t col, std::int32_t size);
  void msStorePossibleTiles(std::int16_t first, std::int16_t last, DynamicArray<typTile>& tiles);
  void msInitTileSet(BoundedArray2<typCell, 1, 12, 1, 3>& sets);
  void msGetColumns(std::int16_t refCol, std::int16_t& firstCol, std::int16_t& lastCol,
                    bool afterRemoval, std::int32_t size, std::int16_t width);
  void msGetCheckSingleCols(std::int16_t refCol, std::int16_t& firstCol, std::int16_t& lastCol,
                            bool afterRemoval, std::int16_t width);
  void msGetCheckPairCols(std::int16_t refCol, std::int16_t& firstCol, std::int16_t& lastCol,
                          bool afterRemoval, std::int16_t width);
  void msGetCheckTrioCols(std::int16_t refCol, std::int16_t& firstCol, std::int16_t& lastCol,
                          bool afterRemoval, std::int16_t width);

  // Landing, set choice and removal.
  void msMarkCellTable();
  void msStoreEarnedTiles(std::int16_t row, std::int16_t firstCol, std::int16_t lastCol,
                          std::int32_t& setKind);
  void msRemoveTiles(std::int16_t row, std::int16_t firstCol, std::int16_t lastCol);

  // Set points and hand tally.
  void msUpdateScore(std::int32_t setKind, bool handComplete);
  void msTallyScore();
  void msReArrangeTiles();
  bool mblnfPureSuit();
  bool mblnfSemiPureSuit();
  bool mblnfThreeOfAKindOnly();
  bool mblnfSequenceOnly();
  std::int32_t mlngfHandPoints();
  void msClearHandTally();

  // Honour and bonus patterns.
  void msCheckForFlowers();
  void msHouseIsEast(std::int16_t slot);
  void msHouseIsSouth(std::int16_t slot);
  void msHouseIsWest(std::int16_t slot);
  void msHouseIsNorth(std::int16_t slot);
  void msFlowerAndSeason(std::int16_t slot, std::int32_t ownFlower, std::int32_t ownSeason);
  void msCheckForDragons();
  void msReplace_Dragon_Tiles_Desc(const std::string& newEntry);
  void msCheckForWinds();
  void msPrevailingWindTrio(std::int32_t wind);
  void msOwnWindTrio(std::int32_t seat);

  // The table window's game state. Rows 0 (hidden entry row) to 12 (bottom), columns 1 to 9.
  BoundedArray2<typCell, 0, 12, 1, 9> mudtCellTable;
  std::int16_t mintRow = 0;  // row of the falling tile, -1 when none falls
  std::int16_t mintCol = 0;
  BoundedArray<typTile, 1, 42> mudtTileKinds;
  BoundedArray<typCell, 1, 22> mudtEarnedTiles;  // 1-14 hand, 15-22 flowers and seasons
  std::int16_t mintCurrTile = 0;
  std::int16_t mintEarnedHandSlots = 0;
  std::int16_t mintEarnedCount = 0;  // 14 means the hand is won
  DynamicArray<typTile> mudtCheckTiles;
  std::int32_t mlngScore = 0;
  std::int32_t mlngHouse = 0;
  std::int32_t mlngPlayerSeat = 0;
  std::int32_t mlngRoundWind = 0;
  std::int16_t mintDoubles = 0;
  std::int16_t mintEarnedBonusSlots = 0;
  BoundedArray<std::int16_t, 1, 144> mintTileSequence;  // the wall, in dealing order
  std::int16_t mintTilePtr = 0;
  BoundedArray<std::int16_t, 1, 144> mintTileKindOf;
  std::int16_t mintHouseMoves = 0;
  bool mblnMusicOn = false;
  bool mblnMciOK = false;
  bool mblnPairEarned = false;
  std::int16_t mintPairIdx = 0;
  bool mblnShowNextTile = false;
  bool mblnDropFast = false;
  std::int16_t mintRoundsPlayed = 0;
  bool mblnShowBreakDown = false;
  bool mblnLightningPending = false;
  std::int32_t mlngLastLightning = 0;
  bool mblnLightningShown = false;
  std::int16_t mintGamesPlayed = 0;  // hands played in this game
  std::int16_t mintGamesWon = 0;
  std::int16_t mintLightningW = 0;
  std::int16_t mintLightningH = 0;
  std::int32_t mlngLevel = 0;
  bool mblnInTick = false;
  bool mblnGameRunning = false;
  bool mblnChineseIndicator = false;
  std::int16_t mintPossibleSetCount = 0;

 private:
  void endHand();
  void endGame();
  void appendHandEntry(const char* name);
  bool isTrioAt(int firstSlot) const;
  void flowerAndSeasonForHouse(std::int32_t house, std::int16_t slot);

  TableWindowPort& window_;
  // Grows with every deal, so a tick can tell that no hand was dealt yet, or that one was
  // dealt while it yielded.
  std::uint32_t handsDealt_ = 0;
};

}  // namespace velloran
