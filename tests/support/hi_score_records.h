#pragma once
// One record of "HiScore.dat" as the file holds it: ten characters of name padded with
// blanks, then the rounds and the level as 16-bit and the score as 32-bit numbers, least
// significant byte first.

#include <cstdint>
#include <string>
#include <vector>

namespace velloran::testing {

inline std::vector<unsigned char> hiScoreRecord(const std::string& name, std::int16_t rounds,
                                                std::int16_t level, std::int32_t score) {
  std::vector<unsigned char> bytes(name.begin(), name.end());
  bytes.resize(10, ' ');
  const auto put = [&](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
  };
  put(static_cast<std::uint16_t>(rounds), 2);
  put(static_cast<std::uint16_t>(level), 2);
  put(static_cast<std::uint32_t>(score), 4);
  return bytes;
}

}  // namespace velloran::testing
