#pragma once
// What a window should show, built by the test from the pictures compiled into the game and
// from the text renderer, and compared with what the window showed: tiles and markers by
// the sprite rule (the mask ANDed, then the picture ORed), texts by the pixels their font
// covers fully in their colour.

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/picture.h"
#include "runtime/text.h"

namespace velloran::testing {

// A picture of the game's own, loaded once.
inline const rt::Picture& resource(const std::string& name) {
  static std::map<std::string, rt::Picture> loaded;
  auto it = loaded.find(name);
  if (it == loaded.end()) it = loaded.emplace(name, rt::loadResourcePicture(name)).first;
  return it->second;
}

// A tile is 30 x 39; the faces stand side by side in kind order, in three views one under
// the other: face-on, seen from the right of the centre column, seen from its left.
inline constexpr int kTileW = 30;
inline constexpr int kTileH = 39;
enum View { kFaceOn = 0, kRightView = 39, kLeftView = 78 };

inline void paintSprite(rt::Picture& target, int x, int y, int width, int height,
                        const rt::Picture& mask, int maskX, int maskY, const rt::Picture& picture,
                        int pictureX, int pictureY) {
  for (int dy = 0; dy < height; ++dy) {
    for (int dx = 0; dx < width; ++dx) {
      const rt::Colour under = target.pixel(x + dx, y + dy);
      target.setPixel(x + dx, y + dy,
                      (under & mask.pixel(maskX + dx, maskY + dy)) |
                          picture.pixel(pictureX + dx, pictureY + dy));
    }
  }
}

inline void paintTile(rt::Picture& target, int x, int y, int kind, int view) {
  paintSprite(target, x, y, kTileW, kTileH, resource("picTileBackMask"), 0, view,
              resource("picAllTiles"), (kind - 1) * kTileW, view);
}

// A block of `source` as a picture of its own.
inline rt::Picture block(const rt::Picture& source, int x, int y, int width, int height) {
  rt::Picture part(width, height);
  for (int dy = 0; dy < height; ++dy) {
    for (int dx = 0; dx < width; ++dx) part.setPixel(dx, dy, source.pixel(x + dx, y + dy));
  }
  return part;
}

// "" when the block of `seen` at (x, y) shows `expected` (from its corner); else where and how
// they first differ, and how many pixels do.
inline std::string difference(const rt::Picture& seen, int x, int y, const rt::Picture& expected) {
  int differ = 0;
  std::ostringstream first;
  for (int dy = 0; dy < expected.height(); ++dy) {
    for (int dx = 0; dx < expected.width(); ++dx) {
      const rt::Colour s = seen.pixel(x + dx, y + dy), e = expected.pixel(dx, dy);
      if (s == e) continue;
      if (differ++ == 0) {
        first << "at (" << x + dx << ", " << y + dy << ") seen 0x" << std::hex << s
              << ", expected 0x" << e << std::dec;
      }
    }
  }
  if (differ == 0) return "";
  return first.str() + "; " + std::to_string(differ) + " pixels differ";
}

// The tile that the 30 x 39 block at (x, y) shows, judged by the pixels its mask covers.
struct TileSeen {
  int kind = 0;  // 0: no tile
  int view = -1;
  bool operator==(const TileSeen&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const TileSeen& t) {
    if (t.kind == 0) return os << "no tile";
    return os << "kind " << t.kind << " in view row " << t.view;
  }
};

inline TileSeen tileAt(const rt::Picture& seen, int x, int y) {
  const rt::Picture& mask = resource("picTileBackMask");
  const rt::Picture& faces = resource("picAllTiles");
  for (const int view : {kFaceOn, kRightView, kLeftView}) {
    for (int kind = 1; kind <= 42; ++kind) {
      bool alike = true;
      for (int dy = 0; dy < kTileH && alike; ++dy) {
        for (int dx = 0; dx < kTileW && alike; ++dx) {
          if (mask.pixel(dx, view + dy) != 0) continue;  // not covered by the tile
          alike = seen.pixel(x + dx, y + dy) == faces.pixel((kind - 1) * kTileW + dx, view + dy);
        }
      }
      if (alike) return {kind, view};
    }
  }
  return {};
}

// ----------------------------------------------------------------------------- texts

struct Area {
  int left, top, width, height;
};

// The pixels a text covers fully, printed with its top-left at (0, 0): those that show
// exactly the text's colour whatever lies under them.
struct Ink {
  std::vector<std::pair<int, int>> points;  // in print order: rows top down, each left to right
  int right = 0, bottom = 0;                // one past the last point
};

inline Ink inkOf(const std::string& text, const rt::Font& font, rt::Colour colour) {
  const int width = rt::textWidth(font, text) + 8, height = rt::textHeight(font) + 8;
  // Two grounds that differ from the colour in every channel.
  const rt::Colour grounds[] = {colour ^ 0x808080u, colour ^ 0x404040u};
  rt::Picture first(width, height, grounds[0]), second(width, height, grounds[1]);
  rt::printText(first, 0, 0, text, colour, font);
  rt::printText(second, 0, 0, text, colour, font);
  Ink ink;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (first.pixel(x, y) != colour || second.pixel(x, y) != colour) continue;
      ink.points.emplace_back(x, y);
      ink.right = std::max(ink.right, x + 1);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  }
  return ink;
}

// Where a text was printed.
struct TextSeen {
  bool found = false;
  int x = 0, y = 0;   // the top-left corner it was printed at
  double points = 0;  // the size it was printed in
};

// Looks in the area for the text printed whole in the font and colour: every pixel its ink
// covers shows the colour, and no other pixel of that colour lies in the area (or, unless
// `alone`, in the text's own box) but at the edge of its strokes. With `smallerBy`, smaller sizes
// of the font (by quarter points) down to that many points less are tried as well, largest first.
inline TextSeen findText(const rt::Picture& seen, Area area, const std::string& text, rt::Font font,
                         rt::Colour colour, double smallerBy = 0, bool alone = true) {
  std::vector<std::pair<int, int>> shown;
  for (int y = area.top; y < area.top + area.height; ++y) {
    for (int x = area.left; x < area.left + area.width; ++x) {
      if (seen.pixel(x, y) == colour) shown.emplace_back(x, y);
    }
  }
  if (shown.empty()) return {};
  const auto inArea = [&](int x, int y) {
    return x >= area.left && y >= area.top && x < area.left + area.width &&
           y < area.top + area.height;
  };
  const double largest = font.points;
  for (font.points = largest; font.points >= largest - smallerBy - 1e-9; font.points -= 0.25) {
    const Ink ink = inkOf(text, font, colour);
    if (ink.points.empty() || ink.points.size() > shown.size()) continue;
    // Where the first pixel of the ink may lie: on a pixel of the colour.
    for (const auto& [firstX, firstY] : shown) {
      const int ox = firstX - ink.points[0].first, oy = firstY - ink.points[0].second;
      bool alike = true;
      for (std::size_t i = 0; i < ink.points.size() && alike; ++i) {
        const int x = ink.points[i].first + ox, y = ink.points[i].second + oy;
        alike = inArea(x, y) && seen.pixel(x, y) == colour;
      }
      if (!alike) continue;
      // Nothing else of the colour where the text stands, but the odd pixel at the edge of a
      // stroke that the text all but covers and that lay on a darker ground.
      std::set<std::pair<int, int>> inked;
      for (const auto& [x, y] : ink.points) inked.emplace(x + ox, y + oy);
      std::size_t inBox = 0, stray = 0;
      for (const auto& [x, y] : shown) {
        if (x < ox || y < oy || x >= ox + ink.right || y >= oy + ink.bottom) continue;
        ++inBox;
        if (inked.count({x, y})) continue;
        bool edge = false;
        for (int dy = -1; dy <= 1 && !edge; ++dy) {
          for (int dx = -1; dx <= 1 && !edge; ++dx) edge = inked.count({x + dx, y + dy}) > 0;
        }
        stray += !edge;
      }
      if (stray == 0 && (!alone || inBox == shown.size())) {
        return {true, ox, oy, font.points};
      }
    }
  }
  return {};
}

}  // namespace velloran::testing
