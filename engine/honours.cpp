// The patterns that depend on where the player sits and on the round: own flowers and
// seasons, the flower sets, dragon trios and sets, and wind trios and sets.

#include <string>

#include "base/bounded_array.h"
#include "base/trap.h"
#include "engine/engine.h"

namespace velloran {

namespace {

constexpr std::int32_t kRedDragon = 14, kBlueDragon = 16;
constexpr std::int32_t kEastWind = 10, kNorthWind = 13;

void replaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
}

}  // namespace

void GameEngine::msCheckForFlowers() {
  trap("msCheckForFlowers", [&] {
    BoundedArray<bool, 1, 8> held;
    int count = 0;
    for (int slot = 15; slot <= 22; ++slot) {
      const typCell& tile = mudtEarnedTiles[slot];
      if (!tile.Occupied) continue;
      ++count;
      const auto s = static_cast<std::int16_t>(slot);
      if (mlngHouse == mlngPlayerSeat) {
        msFlowerAndSeason(s, 5, 1);  // the player is East
      } else {
        switch (mlngHouse) {
          case 1:
            msHouseIsEast(s);
            break;
          case 2:
            msHouseIsSouth(s);
            break;
          case 3:
            msHouseIsWest(s);
            break;
          case 4:
            msHouseIsNorth(s);
            break;
          default:
            break;
        }
      }
      held[tile.Bonus] = true;
    }
    if (held[1] && held[2] && held[3] && held[4]) {
      appendHandEntry("Four Seasons Set");
      mintDoubles += 2;
    }
    if (held[5] && held[6] && held[7] && held[8]) {
      appendHandEntry("Four Flowers Set");
      mintDoubles += 2;
    }
    if (count >= 7) {
      appendHandEntry("Seven Flower/Season Combo");
      mintDoubles += 3;
    }
  });
}

// The winds go round from the house: the player's own wind w gives flower 4 + w, season w.
void GameEngine::flowerAndSeasonForHouse(std::int32_t house, std::int16_t slot) {
  if (mlngPlayerSeat == house) return;
  const std::int32_t ownWind = ((mlngPlayerSeat - house) % 4 + 4) % 4 + 1;
  msFlowerAndSeason(slot, 4 + ownWind, ownWind);
}

void GameEngine::msHouseIsEast(std::int16_t slot) {
  trap("msHouseIsEast", [&] { flowerAndSeasonForHouse(1, slot); });
}

void GameEngine::msHouseIsSouth(std::int16_t slot) {
  trap("msHouseIsSouth", [&] { flowerAndSeasonForHouse(2, slot); });
}

void GameEngine::msHouseIsWest(std::int16_t slot) {
  trap("msHouseIsWest", [&] { flowerAndSeasonForHouse(3, slot); });
}

void GameEngine::msHouseIsNorth(std::int16_t slot) {
  trap("msHouseIsNorth", [&] { flowerAndSeasonForHouse(4, slot); });
}

void GameEngine::msFlowerAndSeason(std::int16_t slot, std::int32_t ownFlower,
                                   std::int32_t ownSeason) {
  trap("msFlowerAndSeason", [&] {
    const std::int32_t bonus = mudtEarnedTiles[slot].Bonus;
    if (bonus == ownFlower || bonus == ownSeason) mintDoubles += 1;
    if (bonus == ownFlower) appendHandEntry("Own Flower Tile");
    if (bonus == ownSeason) appendHandEntry("Own Season Tile");
  });
}

void GameEngine::msCheckForDragons() {
  trap("msCheckForDragons", [&] {
    static const char* const kTrioNames[] = {"Red Dragon Trio", "Green Dragon Trio",
                                             "Blue Dragon Trio"};
    int count = 0;
    for (int slot = 1; slot <= 10; slot += 3) {
      const std::int32_t value = mudtEarnedTiles[slot].Value;
      if (!isTrioAt(slot) || value < kRedDragon || value > kBlueDragon) continue;
      appendHandEntry(kTrioNames[value - kRedDragon]);
      mintDoubles += 1;
      ++count;
    }
    const std::int32_t pair = mudtEarnedTiles[13].Value;
    const bool dragonPair =
        pair == mudtEarnedTiles[14].Value && pair >= kRedDragon && pair <= kBlueDragon;
    if (count == 3) {
      msReplace_Dragon_Tiles_Desc("Three Dragons Set,");
      mintDoubles += 4 - count;
    } else if (count == 2 && dragonPair) {
      msReplace_Dragon_Tiles_Desc("Two Dragons Set,");
      mintDoubles += 3 - count;
    }
  });
}

void GameEngine::msReplace_Dragon_Tiles_Desc(const std::string& newEntry) {
  trap("msReplace_Dragon_Tiles_Desc", [&] {
    // The new entry takes the first dragon trio's place; the other trio entries go.
    const std::string onEntry = gstrHandList;
    replaceAll(gstrHandList, "Red Dragon Trio,", newEntry);
    replaceAll(gstrHandList, "Green Dragon Trio,", gstrHandList != onEntry ? "" : newEntry);
    replaceAll(gstrHandList, "Blue Dragon Trio,", gstrHandList != onEntry ? "" : newEntry);
  });
}

void GameEngine::msCheckForWinds() {
  trap("msCheckForWinds", [&] {
    int count = 0;
    for (int slot = 1; slot <= 10; slot += 3) {
      const std::int32_t value = mudtEarnedTiles[slot].Value;
      if (!isTrioAt(slot) || value < kEastWind || value > kNorthWind) continue;
      const std::int32_t wind = value - 9;
      ++count;
      msPrevailingWindTrio(wind);
      msOwnWindTrio((mlngHouse - 1 + wind - 1) % 4 + 1);  // the seat that holds this wind
    }
    const std::int32_t pair = mudtEarnedTiles[13].Value;
    const bool windPair =
        pair == mudtEarnedTiles[14].Value && pair >= kEastWind && pair <= kNorthWind;
    if (count == 4) {
      appendHandEntry("Four Winds Set");
      mintDoubles += 4;
    } else if (count == 3 && windPair) {
      appendHandEntry("Three Winds Set");
      mintDoubles += 3;
    }
  });
}

void GameEngine::msPrevailingWindTrio(std::int32_t wind) {
  if (mlngRoundWind != wind) return;
  appendHandEntry("Prevailing Wind Trio");
  mintDoubles += 1;
}

void GameEngine::msOwnWindTrio(std::int32_t seat) {
  if (mlngPlayerSeat != seat) return;
  appendHandEntry("Own Wind Trio");
  mintDoubles += 1;
}

}  // namespace velloran
