#pragma once
// A soundfont cut down to what one song plays: the synthesiser reads every preset of a file
// and all its samples, though a song picks a handful. The cut keeps those presets whole,
// with their instruments and samples byte for byte, so they sound as from the whole file.

#include <compare>
#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace velloran::rt {

struct Preset {
  int bank = 0;  // 128: the drum kits
  int program = 0;
  auto operator<=>(const Preset&) const = default;
};

// A soundfont file made of pieces: bytes of its own, and stretches of the file it was cut
// from, read only when wanted (the sample data, which the synthesiser copies once).
class SoundFontSubset {
 public:
  std::uint64_t size() const { return size_; }
  // Copies `count` bytes from `at` on into `into`; false past the end or on a failed read.
  bool read(std::uint64_t at, std::uint8_t* into, std::uint64_t count);

 private:
  friend class SoundFontCutter;
  struct Piece {
    std::uint64_t size = 0;
    std::uint64_t fileAt = 0;         // where a stretch of the file starts
    std::vector<std::uint8_t> bytes;  // or the bytes of its own
  };
  std::ifstream file_;
  std::vector<Piece> pieces_;
  std::uint64_t size_ = 0;
};

// The SoundFont 2 file at `path` with only `presets` in it. nullptr when the file is no
// soundfont this can cut, or lacks one of the presets (the synthesiser then falls back on
// others, which only the whole file has).
std::unique_ptr<SoundFontSubset> soundFontSubset(const std::string& path,
                                                 const std::set<Preset>& presets);

}  // namespace velloran::rt
