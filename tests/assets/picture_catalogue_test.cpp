// The pictures compiled into the game: their names and sizes, and the sprite sheets with
// their masks, which the game draws by AND-ing the mask and OR-ing the picture.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "assets/embedded.h"
#include "runtime/picture.h"

namespace velloran {
namespace {

using rt::Colour;
using rt::Picture;

constexpr Colour kBlack = rt::rgb(0, 0, 0);
constexpr Colour kWhite = rt::rgb(255, 255, 255);

struct CatalogueEntry {
  const char* name;
  int width;
  int height;
};

constexpr CatalogueEntry kCatalogue[] = {
    {"bitmap101", 800, 600},        {"bitmap102", 667, 329},      {"bitmap103", 256, 256},
    {"bitmap104", 500, 350},        {"picTileBackMask", 30, 117}, {"picTableTop", 64, 64},
    {"picLightningMask", 200, 233}, {"picLightning", 200, 233},   {"picSmallHouseMask", 16, 16},
    {"picSmallHouse", 64, 32},      {"picHouseMask", 64, 66},     {"picHouse", 256, 132},
    {"picPassMask", 90, 39},        {"picPass", 90, 39},          {"picAllTiles", 1260, 117},
    {"picTileBack", 30, 117},       {"toolbar01", 16, 16},        {"toolbar02", 16, 16},
    {"toolbar03", 16, 16},          {"toolbar04", 16, 16},        {"toolbar05", 16, 16},
    {"toolbar06", 16, 16},          {"toolbar07", 16, 16},        {"toolbar08", 16, 16},
    {"toolbar09", 16, 16},          {"toolbar10", 16, 16},        {"toolbar11", 16, 16},
    {"toolbar12", 16, 16},          {"toolbar14", 16, 16},
};

TEST(PictureCatalogue, EveryPictureHasItsCatalogueSize) {
  for (const CatalogueEntry& entry : kCatalogue) {
    SCOPED_TRACE(entry.name);
    const Picture picture = rt::loadResourcePicture(entry.name);
    EXPECT_EQ(picture.width(), entry.width);
    EXPECT_EQ(picture.height(), entry.height);
  }
}

TEST(PictureCatalogue, HoldsExactlyTheCataloguedPictures) {
  std::set<std::string> catalogued;
  for (const CatalogueEntry& entry : kCatalogue) catalogued.emplace(entry.name);
  std::set<std::string> compiledIn;
  for (std::string_view name : assets::pictureNames()) compiledIn.emplace(name);
  EXPECT_EQ(compiledIn, catalogued);  // the spacer has no picture: no toolbar13
}

// ---------------------------------------------------------------- sprites and masks

// A sheet is cut into cells of its mask's size; every cell is drawn with that one mask.
struct SpriteSheet {
  const char* sprite;
  const char* mask;
};

constexpr SpriteSheet kSheets[] = {
    {"picAllTiles", "picTileBackMask"},   {"picTileBack", "picTileBackMask"},
    {"picLightning", "picLightningMask"}, {"picSmallHouse", "picSmallHouseMask"},
    {"picHouse", "picHouseMask"},         {"picPass", "picPassMask"},
};

// The view rows of a tile are drawn separately, so a tile cell is one view: 30 x 39.
int cellHeight(const SpriteSheet& sheet, const Picture& mask) {
  return std::string(sheet.mask) == "picTileBackMask" ? 39 : mask.height();
}

TEST(SpriteMasks, AreOnlyBlackAndWhite) {
  for (const SpriteSheet& sheet : kSheets) {
    SCOPED_TRACE(sheet.mask);
    const Picture mask = rt::loadResourcePicture(sheet.mask);
    int others = 0;
    for (int y = 0; y < mask.height(); ++y) {
      for (int x = 0; x < mask.width(); ++x) {
        const Colour c = mask.pixel(x, y);
        if (c != kBlack && c != kWhite) ++others;
      }
    }
    EXPECT_EQ(others, 0);
  }
}

TEST(SpriteSheets, AreBlackWhereverTheirMaskIsWhite) {
  for (const SpriteSheet& sheet : kSheets) {
    SCOPED_TRACE(sheet.sprite);
    const Picture sprite = rt::loadResourcePicture(sheet.sprite);
    const Picture mask = rt::loadResourcePicture(sheet.mask);
    ASSERT_EQ(sprite.width() % mask.width(), 0);
    ASSERT_EQ(sprite.height() % mask.height(), 0);
    int showing = 0;
    for (int y = 0; y < sprite.height(); ++y) {
      for (int x = 0; x < sprite.width(); ++x) {
        if (mask.pixel(x % mask.width(), y % mask.height()) == kWhite &&
            sprite.pixel(x, y) != kBlack) {
          ++showing;
        }
      }
    }
    EXPECT_EQ(showing, 0) << "pixels that would tint the table round the sprite";
  }
}

// Where the mask blacks the table out, the sprite must paint something: a mask larger than
// its picture, or a picture shifted within its cell, would leave black holes on the table.
TEST(SpriteSheets, PaintAlmostAllOfWhatTheirMaskCovers) {
  for (const SpriteSheet& sheet : kSheets) {
    const Picture sprite = rt::loadResourcePicture(sheet.sprite);
    const Picture mask = rt::loadResourcePicture(sheet.mask);
    const int cellW = mask.width();
    const int cellH = cellHeight(sheet, mask);
    for (int top = 0; top < sprite.height(); top += cellH) {
      for (int left = 0; left < sprite.width(); left += cellW) {
        int covered = 0;
        int painted = 0;
        for (int y = 0; y < cellH; ++y) {
          for (int x = 0; x < cellW; ++x) {
            if (mask.pixel(x, (top + y) % mask.height()) != kBlack) continue;
            ++covered;
            if (sprite.pixel(left + x, top + y) != kBlack) ++painted;
          }
        }
        SCOPED_TRACE(std::string(sheet.sprite) + " cell at " + std::to_string(left) + ", " +
                     std::to_string(top));
        ASSERT_GT(covered, 0);
        EXPECT_GE(painted * 10, covered * 9);
      }
    }
  }
}

// The bolt comes down from above the table into its picture and ends in the air inside it:
// no edge but the top may cut it, or it shows a flat end or side over the table.
TEST(SpriteMasks, TheBoltEndsInsideItsPicture) {
  const Picture mask = rt::loadResourcePicture("picLightningMask");
  const int w = mask.width(), h = mask.height();
  const auto boltPixels = [&](int x, int y, int dx, int dy, int count) {
    int bolt = 0;
    for (int i = 0; i < count; ++i) bolt += mask.pixel(x + i * dx, y + i * dy) == kBlack;
    return bolt;
  };
  EXPECT_GT(boltPixels(0, 0, 1, 0, w), 0) << "the top row: the bolt comes from above";
  EXPECT_EQ(boltPixels(0, h - 1, 1, 0, w), 0) << "the bottom row";
  EXPECT_EQ(boltPixels(0, 0, 0, 1, h), 0) << "the left column";
  EXPECT_EQ(boltPixels(w - 1, 0, 0, 1, h), 0) << "the right column";
}

bool sameCell(const Picture& picture, int ax, int ay, int bx, int by, int width, int height) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (picture.pixel(ax + x, ay + y) != picture.pixel(bx + x, by + y)) return false;
    }
  }
  return true;
}

// Every tile kind has its own face, and every wind its own plaque in both scripts.
TEST(SpriteSheets, ShowADifferentPictureInEveryCell) {
  struct Sheet {
    const char* name;
    int cellW;
    int cellH;
  };
  for (const Sheet& sheet :
       {Sheet{"picAllTiles", 30, 39}, Sheet{"picHouse", 64, 66}, Sheet{"picSmallHouse", 16, 16}}) {
    SCOPED_TRACE(sheet.name);
    const Picture picture = rt::loadResourcePicture(sheet.name);
    const int columns = picture.width() / sheet.cellW;
    const int cells = columns * (picture.height() / sheet.cellH);
    for (int a = 0; a < cells; ++a) {
      for (int b = a + 1; b < cells; ++b) {
        EXPECT_FALSE(sameCell(picture, a % columns * sheet.cellW, a / columns * sheet.cellH,
                              b % columns * sheet.cellW, b / columns * sheet.cellH, sheet.cellW,
                              sheet.cellH))
            << "cells " << a << " and " << b;
      }
    }
  }
}

}  // namespace
}  // namespace velloran
