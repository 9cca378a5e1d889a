#include "x11/screen_grab.h"

#include "x11/x_client.h"

namespace velloran::testing {

std::optional<rt::Picture> grabScreen(int x, int y, int width, int height) {
  const std::vector<std::uint32_t> pixels = screenPixels(x, y, width, height);
  if (pixels.empty()) return std::nullopt;
  return rt::Picture::fromWords(width, height, pixels.data());
}

}  // namespace velloran::testing
