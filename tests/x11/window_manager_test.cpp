// The game's windows as a desktop shows them, with a window manager or without one (the
// same tests run both ways): dialogs keep the keyboard whatever the player clicks, every
// window has the game's name, and a dialog without a close box ignores a close request.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "runtime/picture.h"
#include "x11/child_process.h"
#include "x11/screen_grab.h"
#include "x11/x_client.h"

namespace velloran::testing {
namespace {

bool waitFor(const std::function<bool()>& done, double seconds = 10) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  return true;
}

void xinput(const std::string& arguments) {
  ASSERT_TRUE(velloran::testing::xdotool(arguments)) << arguments;
}
std::optional<rt::Picture> clientImage(unsigned long window) {
  const std::optional<ScreenRect> rect = clientRect(window);
  if (!rect) return std::nullopt;
  return grabScreen(rect->x, rect->y, rect->width, rect->height);
}

bool sameImage(const std::optional<rt::Picture>& a, const std::optional<rt::Picture>& b) {
  if (!a || !b || a->width() != b->width() || a->height() != b->height()) return false;
  for (int y = 0; y < a->height(); ++y) {
    for (int x = 0; x < a->width(); ++x) {
      if (a->pixel(x, y) != b->pixel(x, y)) return false;
    }
  }
  return true;
}

TEST(GameWindows, TheSeatDrawKeepsTheKeyboardAndIgnoresACloseRequest) {
  SCOPED_TRACE(windowManagerRuns() ? "with a window manager" : "with no window manager");
  ChildProcess game({gameBinary()}, {{"SDL_AUDIODRIVER", "dummy"}});
  ASSERT_TRUE(waitFor([] { return gameWindows().size() == 1; })) << "the table shows";
  const unsigned long table = gameWindows().front();
  // Start Anew, the first button of the toolbar.
  xinput("mousemove --window " + std::to_string(table) + " 11 11 click 1");
  ASSERT_TRUE(waitFor([] { return gameWindows().size() == 2; })) << "the seat draw opens";
  const unsigned long seatDraw = gameWindows().back();
  EXPECT_EQ(windowName(table), "Velloran");
  EXPECT_EQ(windowName(seatDraw), "Velloran");
  ASSERT_TRUE(waitFor([&] { return clientImage(seatDraw).has_value(); }));

  // A click on the table, then Right: the frame moves on to the next tile.
  const std::optional<rt::Picture> before = clientImage(seatDraw);
  xinput("mousemove --window " + std::to_string(table) + " 600 300 click 1");
  xinput("key Right");
  EXPECT_TRUE(waitFor([&] { return !sameImage(clientImage(seatDraw), before); }))
      << "the seat draw took the key after a click on the table";

  // Asked to close, it stays; Enter then turns the tiles over, and it closes by itself.
  askToClose(seatDraw);
  const std::optional<rt::Picture> framed = clientImage(seatDraw);
  xinput("key Return");
  EXPECT_TRUE(waitFor([&] {
    return gameWindows().size() == 2 && !sameImage(clientImage(seatDraw), framed);
  })) << "the seat draw is still open and shows the winds";
  EXPECT_TRUE(waitFor([] { return gameWindows().size() == 1; })) << "and then it closes";
  EXPECT_FALSE(game.waitForExit(0).has_value()) << "the game plays on";
}

// A click on the table while another program's window has the keyboard brings the table to
// the front and presses the button under the pointer, as a click on a window does.
TEST(GameWindows, AClickThatBringsTheTableBackPressesItsButton) {
  SCOPED_TRACE(windowManagerRuns() ? "with a window manager" : "with no window manager");
  ChildProcess game({gameBinary()}, {{"SDL_AUDIODRIVER", "dummy"}});
  ASSERT_TRUE(waitFor([] { return gameWindows().size() == 1; })) << "the table shows";
  const unsigned long table = gameWindows().front();
  const std::optional<ScreenRect> rect = clientRect(table);
  ASSERT_TRUE(rect.has_value());
  const int x = rect->x + 10 * 23, y = rect->y;  // the About button
  // Once the table lights the button under the pointer, it has asked for the keyboard as it
  // showed: the other window comes after.
  const std::optional<rt::Picture> away = grabScreen(x, y, 23, 22);
  movePointer(x + 11, y + 11);
  ASSERT_TRUE(waitFor([&] { return !sameImage(grabScreen(x, y, 23, 22), away); }))
      << "the button lights under the pointer";
  const OtherWindow other;
  if (windowManagerRuns()) {
    ASSERT_TRUE(waitFor([&] { return activeWindow() == other.id(); }))
        << "the other window is active";
  }
  clickAt(x + 11, y + 11);
  EXPECT_TRUE(waitFor([] { return gameWindows().size() == 2; }, 5)) << "the about box opens";
}

// A window that moves once it shows jumps away from under the pointer: a click aimed at it in
// that moment lands elsewhere.
TEST(GameWindows, TheTableShowsWhereItStays) {
  SCOPED_TRACE(windowManagerRuns() ? "with a window manager" : "with no window manager");
  TopLevelPlaces places;
  ChildProcess game({gameBinary()}, {{"SDL_AUDIODRIVER", "dummy"}});
  ASSERT_TRUE(waitFor([] { return gameWindows().size() == 1; })) << "the table shows";
  const unsigned long table = topLevelOf(gameWindows().front());
  // Its placing is done at once when it shows; a second is ample to see it move.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const std::vector<std::pair<int, int>> shown = places.placesWhileShown(table);
  ASSERT_FALSE(shown.empty());
  for (std::size_t i = 1; i < shown.size(); ++i) {
    ADD_FAILURE() << "showed at " << shown[0].first << "," << shown[0].second << ", then moved to "
                  << shown[i].first << "," << shown[i].second;
  }
}

}  // namespace
}  // namespace velloran::testing
