#pragma once
// Drawing tiles: every tile is a 30 x 39 sprite, its mask ANDed and then its face ORed
// into the target, in one of three views chosen by the tile's column.

#include <cstdint>

#include "runtime/picture.h"

namespace velloran {

inline constexpr int kTileWidth = 30;
inline constexpr int kTileHeight = 39;

// The view row of the tile pictures for a play-area column: 0 (face-on) for column 5,
// 39 right of it, 78 left of it.
std::int16_t gintfTileDir(std::int32_t column);

// Draws the face of tile kind `kind` (1 to 42) with its top-left at (x, y) in the view
// `viewRow` (0, 39 or 78), from the sprite pictures of frmBitmaps.
void drawTileFace(rt::Picture& target, int x, int y, int kind, int viewRow);

// Draws any masked sprite: the mask block ANDed, then the picture block ORed.
void drawSprite(rt::Picture& target, int x, int y, int width, int height, const rt::Picture& mask,
                int maskX, int maskY, const rt::Picture& picture, int pictureX, int pictureY);

}  // namespace velloran
