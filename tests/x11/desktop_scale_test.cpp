// The game on a screen of many dots per inch, whose desktop asks programs to draw at double
// size (Xft.dpi 192): every window twice as large, each of the game's pixels a square of
// four, and the player's clicks and keys acting where the player sees them. At 96 and 144
// dots per inch nothing changes. Needs a 3840 x 2160 screen (a ctest pass of its own).

#include "runtime/desktop_scale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/app.h"
#include "runtime/form.h"
#include "x11/child_process.h"
#include "x11/desktop_resources.h"
#include "x11/screen_grab.h"
#include "x11/x_client.h"

namespace velloran {
namespace {

using namespace velloran::testing;
using Clock = std::chrono::steady_clock;

bool waitFor(const std::function<bool()>& done, double seconds = 10) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

// Pixels of the shot that differ from the picture (from its top-left corner) with each of its
// pixels made a factor x factor square; -1 when the picture is too small for the shot.
int unlikeScaled(const rt::Picture& shot, const rt::Picture& picture, int factor) {
  if (shot.width() > picture.width() * factor || shot.height() > picture.height() * factor) {
    return -1;
  }
  int wrong = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      wrong += (shot.pixel(x, y) & 0xFFFFFF) != (picture.pixel(x / factor, y / factor) & 0xFFFFFF);
    }
  }
  return wrong;
}

// What the screen shows there once it is drawn whole: two looks a moment apart agree.
std::optional<rt::Picture> steadyShot(const ScreenRect& rect) {
  std::optional<rt::Picture> before;
  const bool steady = waitFor([&] {
    std::optional<rt::Picture> now = grabScreen(rect.x, rect.y, rect.width, rect.height);
    const bool same = now && before && *now == *before;
    before = std::move(now);
    if (!same) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return same;
  });
  return steady ? before : std::nullopt;
}

class LargeScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under an X server (xvfb-run)";
    const rt::Rect screen = screenArea();
    if (screen.width < 3840 || screen.height < 2160) {
      GTEST_SKIP() << "needs a 3840 x 2160 screen";
    }
  }
  void TearDown() override { setDesktopResources(""); }
};

struct Probe : rt::Form {
  Probe() : rt::Form("frmProbe") { setBorderStyle(rt::BorderStyle::None); }
  std::vector<std::pair<int, int>> clicks;
  std::vector<std::int16_t> keys;
  void mouseDown(int, int x, int y) override { clicks.emplace_back(x, y); }
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t) override { keys.push_back(keyCode); }
};

TEST_F(LargeScreen, AtDoubleSizeTheMouseArrivesInTheGamesPixels) {
  setDesktopResources("Xft.dpi:\t192\n");
  rt::App& app = rt::App::instance();
  app.setBackend(openBackend(Desktop::X11));
  ASSERT_EQ(app.backend().desktopScale(), 2);
  const auto settle = [&](const std::function<bool()>& done) {
    const double end = app.clock().monotonic() + 10;
    while (!done() && app.clock().monotonic() < end) app.serveUntil(app.clock().monotonic() + 0.05);
    return done();
  };
  {
    Probe probe;
    probe.move(100, 80);
    probe.setClientSize(160, 100);
    // A picture of distinct pixels: a row or column shown once, or shifted, shows at once.
    rt::Picture& surface = probe.surface();
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 160; ++x) surface.setPixel(x, y, rt::rgb(x, y * 2, (x * y) & 0xFF));
    }
    probe.show();
    probe.refresh();
    // Where it settles: a window manager may show it elsewhere for a moment (fluxbox does).
    ScreenRect where;
    settle([&] {
      where = clientRect(xWindowOf(probe)).value_or(ScreenRect{});
      return where.x == 200 && where.y == 160;
    });
    EXPECT_EQ(where.x, 200);
    EXPECT_EQ(where.y, 160);
    EXPECT_EQ(where.width, 320);
    EXPECT_EQ(where.height, 200);
    int wrong = -1;
    settle([&] {
      const auto shot = grabScreen(200, 160, 320, 200);
      return shot && (wrong = unlikeScaled(*shot, surface, 2)) == 0;
    });
    EXPECT_EQ(wrong, 0) << "each pixel of the surface is a square of four on the screen";
    // Screen pixels and the game pixel they belong to: both of a square's pixels, the last.
    const std::pair<int, int> screen[] = {{0, 0}, {1, 1}, {75, 42}, {74, 43}, {319, 199}};
    const std::vector<std::pair<int, int>> game = {{0, 0}, {0, 0}, {37, 21}, {37, 21}, {159, 99}};
    for (const auto& [x, y] : screen) {
      const std::size_t before = probe.clicks.size();
      clickAt(200 + x, 160 + y);
      settle([&] { return probe.clicks.size() > before; });
    }
    EXPECT_EQ(probe.clicks, game);
    // The window the player clicked has the keyboard (before another window comes and goes,
    // which a window manager may give it to).
    probe.setFocus();
    pressKey("Left");
    settle([&] { return !probe.keys.empty(); });
    EXPECT_EQ(probe.keys, std::vector<std::int16_t>{37});
    movePointer(200 + 301, 160 + 33);
    EXPECT_TRUE(settle([&] { return probe.mouseX() == 150 && probe.mouseY() == 16; }))
        << probe.mouseX() << "," << probe.mouseY();
    {
      // The pointer leaves for a window over the probe's left half: the probe learns where,
      // in its own pixels.
      Probe over;
      over.move(100, 80);
      over.setClientSize(60, 100);
      over.show();
      ASSERT_TRUE(settle([&] { return clientRect(xWindowOf(over)).has_value(); }));
      movePointer(200 + 61, 160 + 87);
      EXPECT_TRUE(settle([&] { return probe.mouseX() == 30 && probe.mouseY() == 43; }))
          << probe.mouseX() << "," << probe.mouseY();
      over.unload();
    }
    probe.unload();
  }
  app.setBackend(nullptr);
}

TEST_F(LargeScreen, TheWorkAreaIsTheGamePixelsBetweenThePanels) {
  if (!windowManagerRuns()) {
    GTEST_SKIP() << "panels take their strips off the screen through a window manager";
  }
  // Panels of odd heights: the game pixel half under a panel is not the game's.
  const Panels panels(57, 101);
  ASSERT_TRUE(panels.takenOff(10)) << "the window manager keeps the panels' strips free";
  setDesktopResources("Xft.dpi:\t192\n");
  rt::App& app = rt::App::instance();
  app.setBackend(openBackend(Desktop::X11));
  ASSERT_EQ(app.backend().desktopScale(), 2);
  EXPECT_EQ(app.workArea(), (rt::Rect{0, 29, 1920, 1000}));
  app.setBackend(nullptr);
}

// What the player sees of the real game: the table as it opens, and the seat draw opened by a
// click on Start Anew.
struct Seen {
  ScreenRect table, seats;
  rt::FrameExtents frame;  // the window manager's round the table, in screen pixels
  std::optional<rt::Picture> tableShot, seatsShot;
};

// Runs the game on the desktop's resources; the tool bar's buttons are 23 x 22 game pixels.
void playStart(const std::string& resources, int scale, Seen& seen) {
  setDesktopResources(resources);
  movePointer(3839, 2159);  // away from the windows, where it changes nothing
  ChildProcess game({gameBinary()},
                    {{"SDL_AUDIODRIVER", "dummy"}, {"VELLORAN_SCALE", std::nullopt}});
  std::vector<unsigned long> windows;
  ASSERT_TRUE(waitFor([&] { return (windows = gameWindows()).size() == 1; })) << "the table shows";
  const unsigned long table = windows[0];
  if (windowManagerRuns()) {
    ASSERT_TRUE(waitFor([&] { return activeWindow() == table; }));
  }
  seen.table = clientRect(table).value_or(ScreenRect{});
  const ScreenRect outer = clientRect(topLevelOf(table)).value_or(seen.table);
  seen.frame = {seen.table.x - outer.x, seen.table.y - outer.y,
                outer.x + outer.width - seen.table.x - seen.table.width,
                outer.y + outer.height - seen.table.y - seen.table.height};
  seen.tableShot = steadyShot(seen.table);
  ASSERT_TRUE(seen.tableShot) << "the table is drawn";
  // Start Anew shows the pointer over it, then takes the click.
  const int x = seen.table.x + 11 * scale, y = seen.table.y + 11 * scale;
  const auto button = grabScreen(seen.table.x, seen.table.y, 23 * scale, 22 * scale);
  movePointer(x, y);
  EXPECT_TRUE(waitFor([&] {
    const auto now = grabScreen(seen.table.x, seen.table.y, 23 * scale, 22 * scale);
    return now && button && !(*now == *button);
  })) << "Start Anew shows the pointer over it";
  clickAt(x, y);
  ASSERT_TRUE(waitFor([&] { return (windows = gameWindows()).size() == 2; }))
      << "the seat draw opens";
  seen.seats = clientRect(windows[1]).value_or(ScreenRect{});
  seen.seatsShot = steadyShot(seen.seats);
  ASSERT_TRUE(seen.seatsShot) << "the seat draw is drawn";
  // A tile taken by the keys: the four winds turn and the seat draw closes.
  pressKey("Right");
  pressKey("Return");
  EXPECT_TRUE(waitFor([&] { return gameWindows().size() == 1; })) << "the keys took a seat";
}

TEST_F(LargeScreen, TheTableAtDoubleSizeIsTheTableWithEachPixelDoubled) {
  Seen plain;
  playStart("Xft.dpi:\t96\n", 1, plain);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(plain.tableShot && plain.seatsShot);
  struct Case {
    const char* resources;
    int scale;
  } const cases[] = {{"Xft.dpi:\t144\n", 1}, {"Xft.antialias:\t1\nXft.dpi:\t192\n", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.resources);
    Seen seen;
    playStart(c.resources, c.scale, seen);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(seen.table.width, plain.table.width * c.scale);
    EXPECT_EQ(seen.table.height, plain.table.height * c.scale);
    EXPECT_EQ(seen.seats.width, plain.seats.width * c.scale);
    EXPECT_EQ(seen.seats.height, plain.seats.height * c.scale);
    // The seat draw centred over the table's outer rectangle as before, but for its frame: the
    // window manager draws it no larger, so in the game's pixels it is 1/scale as wide.
    const auto shift = [&](int before, int after, int beforeEnd, int afterEnd) {
      const rt::DesktopScale scale{c.scale};
      const int game = scale.toGame(after), gameEnd = scale.toGame(afterEnd);
      return c.scale * (before - game + (game + gameEnd - before - beforeEnd) / 2);
    };
    EXPECT_NEAR(seen.seats.x - seen.table.x,
                (plain.seats.x - plain.table.x) * c.scale +
                    shift(plain.frame.left, seen.frame.left, plain.frame.right, seen.frame.right),
                2 * c.scale);
    EXPECT_NEAR(seen.seats.y - seen.table.y,
                (plain.seats.y - plain.table.y) * c.scale +
                    shift(plain.frame.top, seen.frame.top, plain.frame.bottom, seen.frame.bottom),
                2 * c.scale);
    EXPECT_EQ(unlikeScaled(*seen.tableShot, *plain.tableShot, c.scale), 0) << "the table";
    EXPECT_EQ(unlikeScaled(*seen.seatsShot, *plain.seatsShot, c.scale), 0) << "the seat draw";
  }
}

}  // namespace
}  // namespace velloran
