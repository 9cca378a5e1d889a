#pragma once
// The records every part of the game passes tiles in.

#include <cstdint>

namespace velloran {

// One tile kind. Value: 1-9 suit ranks, 10-13 winds, 14-16 dragons, 0 flowers and seasons.
// Suit: 1 dots, 2 bamboo, 3 characters, 0 otherwise. Bonus: 1-4 seasons, 5-8 flowers.
// BmpIdx: the kind 1-42, also the face's column in the tile picture.
struct typTile {
  std::int32_t Value = 0;
  std::int32_t Suit = 0;
  std::int32_t Bonus = 0;
  std::int16_t BmpIdx = 0;
};

// A slot that may hold a tile, with the pixel position where its tile is drawn.
struct typCell {
  std::int16_t X = 0;
  std::int16_t Y = 0;
  bool Occupied = false;
  std::int32_t Value = 0;
  std::int32_t Suit = 0;
  std::int32_t Bonus = 0;
  std::int16_t BmpIdx = 0;
};

struct typPosition {
  std::int16_t X = 0;
  std::int16_t Y = 0;
};

// Puts a tile into a slot, leaving the slot's position alone.
inline void placeTile(const typTile& tile, typCell& slot) {
  slot.Occupied = true;
  slot.Value = tile.Value;
  slot.Suit = tile.Suit;
  slot.Bonus = tile.Bonus;
  slot.BmpIdx = tile.BmpIdx;
}

inline typTile tileOf(const typCell& slot) {
  return {slot.Value, slot.Suit, slot.Bonus, slot.BmpIdx};
}

// Empties a slot: no tile, position kept.
inline void emptySlot(typCell& slot) {
  slot.Occupied = false;
  slot.Value = 0;
  slot.Suit = 0;
  slot.Bonus = 0;
  slot.BmpIdx = 0;
}

}  // namespace velloran
