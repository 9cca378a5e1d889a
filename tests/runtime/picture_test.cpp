#include "runtime/picture.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "base/run_time_error.h"
#include "runtime/text.h"
#include "support/temp_folder.h"

namespace velloran::rt {
namespace {

// A 4 x 3 sprite: a plus sign of colour `ink` whose mask is black under the plus and
// white elsewhere, with the sprite black wherever the mask is white.
struct Sprite {
  Picture mask{4, 3, rgb(255, 255, 255)};
  Picture picture{4, 3, 0};
  explicit Sprite(Colour ink) {
    for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {1, 1}, {2, 1}, {1, 2}}) {
      mask.setPixel(x, y, 0);
      picture.setPixel(x, y, ink);
    }
  }
  bool covers(int x, int y) const { return mask.pixel(x, y) == 0; }
};

TEST(BitBlt, MaskThenPaintPutsTheSpriteOverAnyBackgroundAndLeavesTheRest) {
  const Colour ink = rgb(200, 30, 90);
  const Sprite sprite(ink);
  for (const Colour background : {rgb(0, 0, 0), rgb(255, 255, 255), rgb(17, 130, 250)}) {
    Picture work(10, 8, background);
    work.setPixel(5, 4, rgb(1, 2, 3));  // something already drawn beside the sprite's corner
    BitBlt(work, 2, 3, 4, 3, sprite.mask, 0, 0, SRCAND);
    BitBlt(work, 2, 3, 4, 3, sprite.picture, 0, 0, SRCPAINT);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 10; ++x) {
        const bool inside = x >= 2 && x < 6 && y >= 3 && y < 6 && sprite.covers(x - 2, y - 3);
        const Colour expected = inside ? ink : (x == 5 && y == 4 ? rgb(1, 2, 3) : background);
        ASSERT_EQ(work.pixel(x, y), expected) << "at " << x << "," << y;
      }
    }
  }
}

TEST(BitBlt, ClipsToBothPicturesAndCopiesOverlapsWithinOnePicture) {
  Picture source(3, 3, rgb(9, 9, 9));
  Picture work(4, 4, 0);
  EXPECT_NE(BitBlt(work, -1, 2, 3, 3, source, 0, 0, SRCCOPY), 0);
  EXPECT_EQ(work.pixel(0, 2), rgb(9, 9, 9));
  EXPECT_EQ(work.pixel(1, 3), rgb(9, 9, 9));
  EXPECT_EQ(work.pixel(2, 2), 0u);
  // A block from outside the source copies only the part that exists.
  Picture other(4, 4, 0);
  BitBlt(other, 0, 0, 4, 4, source, 2, 2, SRCCOPY);
  EXPECT_EQ(other.pixel(0, 0), rgb(9, 9, 9));
  EXPECT_EQ(other.pixel(1, 0), 0u);
  // Shifting a row right by one within the same picture keeps every pixel.
  Picture strip(4, 1, 0);
  for (int x = 0; x < 4; ++x) strip.setPixel(x, 0, rgb(x + 1, 0, 0));
  BitBlt(strip, 1, 0, 3, 1, strip, 0, 0, SRCCOPY);
  EXPECT_EQ(strip.pixel(1, 0), rgb(1, 0, 0));
  EXPECT_EQ(strip.pixel(3, 0), rgb(3, 0, 0));
  EXPECT_EQ(BitBlt(work, 0, 0, 1, 1, source, 0, 0, 0x12345678), 0) << "unknown operation";
}

TEST(Picture, ClearingRestoresTheBackgroundAndDropsWhatWasDrawn) {
  Picture table(6, 5, 0);
  table.fillRect(0, 0, 6, 5, rgb(120, 120, 120));
  table.setPixel(3, 3, rgb(255, 0, 0));
  Picture work;
  work.setBackground(table);
  work.fillRect(1, 1, 2, 2, rgb(0, 255, 0));
  EXPECT_EQ(work.pixel(1, 1), rgb(0, 255, 0));
  work.clear();
  EXPECT_EQ(work, table);
  Picture plain(2, 2, rgb(5, 6, 7));
  plain.setPixel(0, 0, 0);
  plain.clear();
  EXPECT_EQ(plain.pixel(0, 0), rgb(5, 6, 7))
      << "without a background, clearing fills the back colour";
}

// Clearing puts back only what was drawn on, so every way of drawing must say where.
struct Drawing {
  const char* name;
  std::function<void(Picture&)> draw;
  friend void PrintTo(const Drawing& d, std::ostream* os) { *os << d.name; }
};

class EveryDrawing : public ::testing::TestWithParam<Drawing> {};

TEST_P(EveryDrawing, IsUndoneByClearingAndOnlyWhatChangedIsCopied) {
  Picture table(200, 120);
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 200; ++x) table.setPixel(x, y, rgb(x, y, x ^ y));
  }
  Picture work;
  work.setBackground(table);
  Picture window = work;  // what was last copied from the work picture
  work.clearDamage();
  // Drawing then copying, many times over, leaves the copy like the work picture.
  for (int round = 0; round < 40; ++round) {
    GetParam().draw(work);
    if (round % 3 == 2) work.clear();
    copyChanges(window, work, {0, 0, 200, 120});
    ASSERT_EQ(window, work) << "round " << round;
    ASSERT_TRUE(work.damage().empty());
  }
  work.clear();
  EXPECT_EQ(work, table) << "cleared back to the table";
}

INSTANTIATE_TEST_SUITE_P(Ways, EveryDrawing,
                         ::testing::Values(Drawing{"FillRect",
                                                   [](Picture& p) {
                                                     static int n = 0;
                                                     ++n;
                                                     p.fillRect(n * 37 % 220 - 10, n * 23 % 130 - 5,
                                                                9, 7, rgb(n, 0, 0));
                                                   }},
                                           Drawing{"SetPixel",
                                                   [](Picture& p) {
                                                     static int n = 0;
                                                     ++n;
                                                     p.setPixel(n * 53 % 200, n * 29 % 120,
                                                                rgb(0, n, 0));
                                                   }},
                                           Drawing{"BitBltFromItself",
                                                   [](Picture& p) {
                                                     static int n = 0;
                                                     ++n;
                                                     BitBlt(p, n * 41 % 200, n * 17 % 120, 30, 39,
                                                            p, n * 7 % 200, 3, SRCCOPY);
                                                   }},
                                           Drawing{"Text",
                                                   [](Picture& p) {
                                                     static int n = 0;
                                                     ++n;
                                                     printText(p, n * 31 % 180, n * 13 % 110,
                                                               "Velloran", rgb(255, 255, 0),
                                                               Font{"Times New Roman", 10, false});
                                                   }},
                                           Drawing{"Words",
                                                   [](Picture& p) {
                                                     static int n = 0;
                                                     ++n;
                                                     p.data()[n * 997 % (200 * 120)] ^= 0x10101;
                                                   }}),
                         [](const auto& info) { return std::string(info.param.name); });

// The table draws a tile here, a word there: what a copy to the window looks over must stay
// near them, not spread over the space between.
TEST(Picture, DamageStaysNearWhatWasDrawn) {
  Picture work(800, 600);
  work.clearDamage();
  long drawn = 0;
  for (int n = 0; n < 24; ++n) {  // tiles scattered over the table, none beside another
    work.fillRect(20 + n * 31, (n * 7 % 12) * 45, 30, 39, rgb(n, 0, 0));
    drawn += 30 * 39;
  }
  const Font font{"Wonton ICG", 18, false};
  const int wide = printText(work, 600, 560, "Player", rgb(255, 255, 255), font);
  drawn += static_cast<long>(wide) * textHeight(font);
  long covered = 0;
  for (const Rect& area : work.damage()) {
    covered += static_cast<long>(area.width) * area.height;
    EXPECT_TRUE(intersection(area, {0, 560, 20, 20}).empty())
        << "the word damaged its whole row: " << area.x << "," << area.y << " " << area.width << "x"
        << area.height;
  }
  EXPECT_LE(covered, drawn * 3 / 2) << "damage covers far more than was drawn";
}

TEST(Picture, FillingBesideThePictureDrawsNothing) {
  Picture picture(20, 10, rgb(1, 2, 3));
  const Picture before = picture;
  for (const auto& [x, y] : {std::pair{-30, 0}, {0, -30}, {25, 0}, {0, 15}}) {
    picture.fillRect(x, y, 10, 10, rgb(255, 0, 0));
  }
  EXPECT_EQ(picture, before);
}

TEST(Picture, ColoursKeepRedInTheLowByte) {
  Picture p(1, 1);
  p.setPixel(0, 0, 0xFF0000);  // blue
  EXPECT_EQ(blueOf(p.pixel(0, 0)), 255);
  EXPECT_EQ(p.data()[0], 0x0000FFu) << "stored as a window surface word 0x00RRGGBB";
}

TEST(Png, RoundTripsAndRefusesBytesThatAreNotAPicture) {
  Picture p(3, 2, rgb(10, 20, 30));
  p.setPixel(2, 1, rgb(250, 0, 5));
  const velloran::testing::TempFolder folder;
  const std::string path = folder.file("round_trip.png");
  ASSERT_TRUE(savePng(p, path));
  FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::vector<std::uint8_t> bytes(4096);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  EXPECT_EQ(decodePng(bytes), p);
  const std::vector<std::uint8_t> junk = {1, 2, 3, 4};
  try {
    decodePng(junk);
    FAIL() << "junk decoded";
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.number(), 481);
  }
  EXPECT_THROW(loadResourcePicture("no such picture"), RunTimeError);
}

// The bounding box of the pixels that differ from `background`.
struct Box {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};
Box inkBox(const Picture& p, Colour background) {
  Box box;
  for (int y = 0; y < p.height(); ++y) {
    for (int x = 0; x < p.width(); ++x) {
      if (p.pixel(x, y) == background) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

TEST(Text, PrintedTextStartsAtItsCornerAndIsAsWideAsMeasured) {
  const Colour white = rgb(255, 255, 255);
  for (const Font& font : {Font{"Times New Roman", 12, false}, Font{"Wonton ICG", 18, true},
                           Font{"MS Sans Serif", 8.25, false}}) {
    Picture target(300, 80, white);
    const std::string text = "Score 409600";
    const int printed = printText(target, 20, 10, text, rgb(255, 0, 0), font);
    const int measured = textWidth(font, text);
    EXPECT_EQ(printed, measured) << font.name;
    const Box box = inkBox(target, white);
    // Ink starts just right of and below the corner (glyph bearings, internal leading)
    // and stays inside the measured line.
    EXPECT_GE(box.left, 20) << font.name;
    EXPECT_LE(box.left, 20 + 3) << font.name;
    EXPECT_GE(box.top, 10) << font.name;
    EXPECT_LE(box.top, 10 + textHeight(font) / 2) << font.name;
    EXPECT_LT(box.right, 20 + measured) << font.name;
    EXPECT_GT(box.right, 20 + measured - 4) << font.name;
    EXPECT_LT(box.bottom, 10 + textHeight(font)) << font.name;
  }
}

TEST(Text, TheSameWordsDrawnAgainLookTheSameAndEachFontKeepsItsOwnLook) {
  // The table draws the same words at every hand, in a few fonts and colours.
  const auto drawn = [](const Font& font, Colour colour) {
    Picture target(120, 40, rgb(40, 90, 40));
    printText(target, 4, 4, "East", colour, font);
    return target;
  };
  const Font plain{"Wonton ICG", 18, false};
  const Picture first = drawn(plain, rgb(255, 0, 0));
  for (const Font& other : {Font{"Wonton ICG", 18, true}, Font{"Wonton ICG", 14.25, false},
                            Font{"MS Sans Serif", 18, false}}) {
    EXPECT_FALSE(drawn(other, rgb(255, 0, 0)) == first) << other.name << " " << other.points;
  }
  EXPECT_FALSE(drawn(plain, rgb(0, 0, 0)) == first) << "in its own colour";
  EXPECT_TRUE(drawn(plain, rgb(255, 0, 0)) == first) << "drawn again, pixel for pixel";
}

TEST(Text, PointsAreAtNinetySixPixelsToTheInch) {
  // A 72-point line is one inch: 96 pixels of font height, give or take the font's leading.
  const int height = textHeight(Font{"Liberation Serif", 72, false});
  EXPECT_GE(height, 96);
  EXPECT_LE(height, 120);
  EXPECT_GT(textWidth(Font{"Times New Roman", 11.25, true}, "Name"),
            textWidth(Font{"Times New Roman", 8.25, true}, "Name"));
}

TEST(Text, MissingFamiliesGetOurStandIns) {
  EXPECT_EQ(resolveFont("Times New Roman", false).family, "Liberation Serif");
  EXPECT_EQ(resolveFont("MS Sans Serif", false).family, "Liberation Sans");
  EXPECT_EQ(resolveFont("Wonton ICG", true).family, "Liberation Serif");
  EXPECT_FALSE(resolveFont("No Such Family At All", false).file.empty());
}

}  // namespace
}  // namespace velloran::rt
