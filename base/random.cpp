#include "base/random.h"

#include <bit>
#include <cstring>

#include "base/clock.h"

namespace velloran {
namespace {

// splitmix64: tiny, fast and good enough for shuffling tiles.
struct Stream {
  std::uint64_t state = 0x9E3779B97F4A7C15ULL;
  bool pinned = false;

  std::uint64_t next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
};

Stream stream;

}  // namespace

float rnd() {
  // 24 random bits make every float in [0, 1) with a step of 2^-24 equally likely.
  return static_cast<float>(stream.next() >> 40) * (1.0f / 16777216.0f);
}

void randomize() {
  randomize(gameClock().timeOfDay());
}

void randomize(double seed) {
  if (stream.pinned) return;
  stream.state = std::bit_cast<std::uint64_t>(seed) ^ 0xD1B54A32D192ED03ULL;
  stream.next();
}

void pinRandom(std::uint64_t seed) {
  stream.state = seed;
  stream.pinned = true;
}

void unpinRandom() {
  stream.pinned = false;
}

}  // namespace velloran
