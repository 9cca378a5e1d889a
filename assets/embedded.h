#pragma once
// The pictures compiled into the game, found by name ("table", "picAllTiles", ...), and
// the window icons.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velloran::assets {

// The bytes of a picture (its pixels, as assets/png_to_pixels.cpp lays them out), or an
// empty span when there is none of that name.
std::span<const std::uint8_t> findPicture(std::string_view name);
std::vector<std::string_view> pictureNames();
// The game's icon in each of its sizes, smallest first: "VPA1", width, height, then the rows of
// 0xAARRGGBB words (see assets/png_to_pixels.cpp).
std::vector<std::span<const std::uint8_t>> windowIcons();

}  // namespace velloran::assets
