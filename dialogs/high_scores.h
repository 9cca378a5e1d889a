#pragma once
// The five best results and their file "HiScore.dat" in the program's folder.

#include <cstdint>
#include <string>

#include "base/bounded_array.h"

namespace velloran {

class GameEngine;

struct typHiScore {
  std::string Name = std::string(10, ' ');  // exactly 10 characters, blank-padded
  std::int16_t RoundsPlayed = 0;
  std::int16_t Level = 0;
  std::int32_t Score = 0;  // 0 marks an empty entry
};

inline BoundedArray<typHiScore, 1, 5> gudtHiScores;

bool gblnfReadHiScoreFile();
void gsSaveHiScore();
// The end-of-game check: True when the game's score entered the table.
bool mblnfHiScore(const GameEngine& game);

// The full path of "HiScore.dat".
std::string hiScoreFilePath();
// True when the file is there as a normal file (anything else counts as missing).
bool hiScoreFileExists();

}  // namespace velloran
