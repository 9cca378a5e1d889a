#include "runtime/desktop_scale.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace velloran::rt {
namespace {

// The largest window of the game, the table with a frame round it, in game pixels.
constexpr int kLargestWidth = 810, kLargestHeight = 620;
constexpr double kPlainDpi = 96;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// A whole number from 1 to kMaxDesktopScale, or 0.
int scaleNamed(const char* text) {
  const std::string_view value = trimmed(text ? text : "");
  const bool valid = value.size() == 1 && value[0] >= '1' && value[0] <= '0' + kMaxDesktopScale;
  return valid ? value[0] - '0' : 0;
}

template <int kFactor>
void widenRows(const Picture& picture, const Rect& area, std::uint32_t* target,
               std::size_t stride) {
  const std::size_t rowBytes = static_cast<std::size_t>(area.width) * kFactor * 4;
  for (int row = 0; row < area.height; ++row) {
    const std::uint32_t* from = picture.row(area.y + row) + area.x;
    std::uint32_t* first = target + static_cast<std::size_t>(row) * kFactor * stride;
    if constexpr (kFactor == 2) {
      // Two pixels at a time, in one store.
      for (int x = 0; x < area.width; ++x) {
        const std::uint64_t pair = from[x] * 0x100000001ULL;
        std::memcpy(first + 2 * x, &pair, sizeof pair);
      }
    } else {
      for (int x = 0; x < area.width; ++x) {
        for (int k = 0; k < kFactor; ++k) first[x * kFactor + k] = from[x];
      }
    }
    // The other rows of the square are the first again.
    for (int k = 1; k < kFactor; ++k) std::memcpy(first + k * stride, first, rowBytes);
  }
}

}  // namespace

double resourceDpi(std::string_view resources) {
  // One resource a line, "name:\tvalue"; the last line naming it holds.
  double dpi = 0;
  while (!resources.empty()) {
    const std::size_t end = std::min(resources.find('\n'), resources.size());
    const std::string_view line = resources.substr(0, end);
    resources.remove_prefix(std::min(end + 1, resources.size()));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || trimmed(line.substr(0, colon)) != "Xft.dpi") continue;
    const std::string value(trimmed(line.substr(colon + 1)));
    char* stop = nullptr;
    const double read = std::strtod(value.c_str(), &stop);
    if (stop != value.c_str() && *stop == '\0' && read > 0) dpi = read;
  }
  return dpi;
}

int chooseDesktopScale(const DesktopFacts& facts) {
  if (const int asked = scaleNamed(facts.asked)) return asked;
  if (facts.xwayland) return 1;
  const double dpi = resourceDpi(facts.resources);
  int scale = std::clamp(static_cast<int>(dpi / kPlainDpi), 1, kMaxDesktopScale);
  while (scale > 1 &&
         (kLargestWidth * scale > facts.room.width || kLargestHeight * scale > facts.room.height)) {
    --scale;
  }
  return scale;
}

void scalePixels(const Picture& picture, const Rect& area, int factor, std::uint32_t* target,
                 std::size_t stride) {
  switch (factor) {
    case 2:
      widenRows<2>(picture, area, target, stride);
      break;
    case 3:
      widenRows<3>(picture, area, target, stride);
      break;
    case 4:
      widenRows<4>(picture, area, target, stride);
      break;
    default:
      widenRows<1>(picture, area, target, stride);
      break;
  }
}

}  // namespace velloran::rt
