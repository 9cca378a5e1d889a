#pragma once
// The five best results and their file "HiScore.dat" (in the folder scoresFolder() names).

#include <sys/types.h>

#include <cstddef>
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

// The system calls through which a save writes, flushes, closes and renames its new file.
// Tests put failing ones in their place, to see that a failed save leaves the old table whole.
struct HiScoreFileCalls {
  ssize_t (*write)(int fd, const void* bytes, std::size_t count);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
};
HiScoreFileCalls& hiScoreFileCalls();

}  // namespace velloran
