#pragma once
// The game's random numbers: rnd() is uniform in [0, 1) at single precision, and
// randomize() reseeds from the time of day. Tests pin the stream to a seed so that a
// game plays the same way every run; a pinned stream ignores reseeding.

#include <cstdint>

namespace velloran {

float rnd();
void randomize();             // seed from the time of day
void randomize(double seed);  // seed from a number
void pinRandom(std::uint64_t seed);
void unpinRandom();

}  // namespace velloran
