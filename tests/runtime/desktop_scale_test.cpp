#include "runtime/desktop_scale.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velloran::rt {
namespace {

constexpr Rect k4K{0, 0, 3840, 2160}, kFullHd{0, 0, 1920, 1080}, kQhd{0, 0, 2560, 1440};

struct ScaleCase {
  const char* what;
  std::string resources;
  Rect room;
  bool xwayland;
  const char* asked;
  int scale;
};

TEST(DesktopScale, FollowsTheDesktopsDpiWhereTheTableFits) {
  const ScaleCase cases[] = {
      {"no resources", "", k4K, false, nullptr, 1},
      {"plain 96", "Xft.dpi:\t96\n", k4K, false, nullptr, 1},
      {"150% stays whole", "Xft.dpi:\t144\n", k4K, false, nullptr, 1},
      {"200%", "Xft.dpi:\t192\n", k4K, false, nullptr, 2},
      {"among others", "Xcursor.size:\t48\nXft.dpi:  192.0  \nXft.hinting:\t1\n", k4K, false,
       nullptr, 2},
      {"no line break at the end", "Xft.antialias:\t1\nXft.dpi:\t192", k4K, false, nullptr, 2},
      {"250% rounds down", "Xft.dpi:\t240\n", k4K, false, nullptr, 2},
      {"300%", "Xft.dpi:\t288\n", k4K, false, nullptr, 3},
      {"far beyond", "Xft.dpi:\t960\n", Rect{0, 0, 7680, 4320}, false, nullptr, 4},
      {"the last of two", "Xft.dpi:\t96\nXft.dpi:\t192\n", k4K, false, nullptr, 2},
      {"another resource's dpi", "Emacs.Xft.dpi:\t192\n", k4K, false, nullptr, 1},
      {"not a number", "Xft.dpi:\tlarge\n", k4K, false, nullptr, 1},
      {"200% on a full-HD screen: no room", "Xft.dpi:\t192\n", kFullHd, false, nullptr, 1},
      {"300% where only 2 fits", "Xft.dpi:\t288\n", kQhd, false, nullptr, 2},
      {"XWayland scales us", "Xft.dpi:\t192\n", k4K, true, nullptr, 1},
      {"the player's 2 over the desktop's 1", "Xft.dpi:\t96\n", k4K, false, "2", 2},
      {"the player's 1 over the desktop's 2", "Xft.dpi:\t192\n", k4K, false, "1", 1},
      {"the player's 3 under XWayland", "", k4K, true, "3", 3},
      {"the player's 2 where it does not fit", "", kFullHd, false, "2", 2},
      {"an empty choice", "Xft.dpi:\t192\n", k4K, false, "", 2},
      {"a choice out of range", "Xft.dpi:\t192\n", k4K, false, "9", 2},
      {"a choice of no number", "Xft.dpi:\t192\n", k4K, false, "x2", 2},
  };
  for (const ScaleCase& c : cases) {
    EXPECT_EQ(chooseDesktopScale({c.resources, c.room, c.xwayland, c.asked}), c.scale) << c.what;
  }
}

TEST(DesktopScale, ScreenPixelsBelongToTheGamePixelThatCoversThem) {
  const DesktopScale two{2}, three{3};
  const int screen[] = {-4, -3, -1, 0, 1, 2, 5, 1599};
  const int game2[] = {-2, -2, -1, 0, 0, 1, 2, 799};
  const int game3[] = {-2, -1, -1, 0, 0, 0, 1, 533};
  for (std::size_t i = 0; i < std::size(screen); ++i) {
    EXPECT_EQ(two.toGame(screen[i]), game2[i]) << screen[i];
    EXPECT_EQ(three.toGame(screen[i]), game3[i]) << screen[i];
    EXPECT_EQ(three.toGame(three.toScreen(game3[i])), game3[i]);
  }
  EXPECT_EQ(two.toGame(FrameExtents{2, 47, 3, 4}), (FrameExtents{1, 23, 1, 2}));
  // A work area in game pixels lies inside the screen's: a panel of an odd height covers
  // the game pixel it reaches into.
  EXPECT_EQ(two.toGame(Rect{0, 57, 3840, 2055}), (Rect{0, 29, 1920, 1027}));
  EXPECT_EQ(two.toGame(Rect{-3, 0, 9, 8}), (Rect{-1, 0, 4, 4}));
}

TEST(DesktopScale, EachPixelBecomesASquareAndNothingElseIsWritten) {
  // A picture of distinct pixels, a part of it copied into a larger target with room to
  // spare: every square, and the margin untouched.
  Picture picture(7, 9);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 7; ++x) picture.setPixel(x, y, rgb(x * 30, y * 50, 7));
  }
  const Rect area{2, 1, 4, 7};
  for (const int factor : {1, 2, 3, 4}) {
    const std::size_t stride = area.width * factor + 5;
    const Colour margin = rgb(1, 2, 3);
    std::vector<std::uint32_t> target(stride * (area.height * factor + 1), margin);
    scalePixels(picture, area, factor, target.data(), stride);
    for (int y = 0; y < area.height * factor + 1; ++y) {
      for (std::size_t x = 0; x < stride; ++x) {
        const bool inside = y < area.height * factor && x < std::size_t(area.width * factor);
        const std::uint32_t expected =
            inside ? picture.row(area.y + y / factor)[area.x + int(x) / factor] : margin;
        ASSERT_EQ(target[y * stride + x], expected) << factor << "x at " << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace velloran::rt
