#pragma once
// The program's icon, as the desktop shows it on every window: one picture per size, with
// its transparency. The program hands its pictures to App::setIcons; each backend puts them
// on the windows it opens.

#include <cstdint>
#include <span>
#include <vector>

namespace velloran::rt {

struct WindowIcon {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;  // 0xAARRGGBB words, row after row, not premultiplied
};

// An icon of ready pixels: "VPA1", the width and the height as 32-bit little-endian numbers,
// then the words. Empty when the bytes are not such.
WindowIcon decodeWindowIcon(std::span<const std::uint8_t> bytes);

}  // namespace velloran::rt
