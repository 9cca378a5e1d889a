#include "runtime/window_icon.h"

#include <cstring>

namespace velloran::rt {
namespace {

std::uint32_t littleEndian(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

}  // namespace

WindowIcon decodeWindowIcon(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kHeader = 12;
  if (bytes.size() < kHeader || std::memcmp(bytes.data(), "VPA1", 4) != 0) return {};
  const std::uint32_t width = littleEndian(bytes.data() + 4);
  const std::uint32_t height = littleEndian(bytes.data() + 8);
  // Icons are small: anything larger, or short of its pixels, is not one.
  if (width == 0 || height == 0 || width > 1024 || height > 1024 ||
      bytes.size() != kHeader + 4ull * width * height) {
    return {};
  }
  WindowIcon icon{static_cast<int>(width), static_cast<int>(height), {}};
  icon.argb.resize(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < icon.argb.size(); ++i) {
    icon.argb[i] = littleEndian(bytes.data() + kHeader + 4 * i);
  }
  return icon;
}

}  // namespace velloran::rt
