// Real windows on a real X server (the test runs under Xvfb), on our own X11 backend and on
// SDL's: what the game draws into a window's surface is what the screen shows, and real key
// presses arrive with the game's key codes.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "runtime/app.h"
#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/text.h"
#include "x11/screen_grab.h"
#include "x11/x_client.h"

namespace velloran::rt {
namespace {

struct Probe : Form {
  Probe() : Form("frmProbe") { setBorderStyle(BorderStyle::None); }
  // A 160 x 100 window at (left, top) of the screen, its surface to draw on.
  Picture& placed(int left, int top) {
    move(left, top);
    setClientSize(160, 100);
    return surface();
  }
  std::vector<std::int16_t> keys;
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t) override { keys.push_back(keyCode); }
};

class RealWindow : public ::testing::TestWithParam<velloran::testing::Desktop> {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under an X server (xvfb-run)";
    App::instance().setBackend(velloran::testing::openBackend(GetParam()));
  }
  void TearDown() override { App::instance().setBackend(nullptr); }
  // Serves the loop for a while so the X server has drawn what we presented.
  void settle(double seconds) {
    App& app = App::instance();
    app.serveUntil(app.clock().monotonic() + seconds);
  }
  // Serves the loop until `done` holds or `seconds` have passed: a loaded machine is slow.
  template <class Done>
  bool settleUntil(Done done, double seconds = 10) {
    App& app = App::instance();
    const double end = app.clock().monotonic() + seconds;
    while (!done() && app.clock().monotonic() < end) settle(0.05);
    return done();
  }
  // Pixels of the screen at (x, y) that differ from the picture's; -1 if none could be read.
  static int mismatches(int x, int y, const Picture& picture, int width, int height) {
    const auto screen = velloran::testing::grabScreen(x, y, width, height);
    if (!screen) return -1;
    int wrong = 0;
    for (int row = 0; row < height; ++row) {
      for (int col = 0; col < width; ++col)
        wrong += screen->pixel(col, row) != picture.pixel(col, row);
    }
    return wrong;
  }
};

TEST_P(RealWindow, TheScreenShowsWhatTheGameDrewAtTheWindowsPlace) {
  Probe probe;
  Picture& surface = probe.placed(120, 90);
  // Four coloured quarters and a line of text: something no blank screen shows by chance.
  surface.fillRect(0, 0, 80, 50, rgb(255, 0, 0));
  surface.fillRect(80, 0, 80, 50, rgb(0, 255, 0));
  surface.fillRect(0, 50, 80, 50, rgb(0, 0, 255));
  surface.fillRect(80, 50, 80, 50, rgb(255, 255, 255));
  printText(surface, 90, 60, "Velloran", rgb(0, 0, 0), Font{"Times New Roman", 12, true});
  probe.show();
  probe.refresh();
  int wrong = -1;
  settleUntil([&] { return (wrong = mismatches(120, 90, surface, 160, 100)) == 0; });
  EXPECT_EQ(wrong, 0) << "the window shows the surface pixel for pixel";
  probe.unload();
}

TEST_P(RealWindow, WhatChangedReachesTheScreenWithoutTheRest) {
  Probe probe;
  Picture& surface = probe.placed(300, 200);
  surface.fillRect(0, 0, 160, 100, rgb(40, 80, 120));
  probe.show();
  // Mapped and exposed first, so that no later exposure sends the whole window again.
  ASSERT_TRUE(settleUntil([&] { return mismatches(300, 200, surface, 160, 100) == 0; }));
  // Small changes, each sent alone: at the edges, overlapping, and one wider than the window.
  const Rect changes[] = {
      {0, 0, 7, 5}, {150, 90, 30, 30}, {20, 30, 50, 9}, {40, 35, 10, 40}, {-10, 60, 200, 3}};
  Colour colour = rgb(255, 0, 0);
  for (const Rect& change : changes) {
    surface.fillRect(change.x, change.y, change.width, change.height, colour);
    probe.refreshChanges();
    colour = rgb(blueOf(colour), redOf(colour) / 2 + 1, greenOf(colour) + 60);
  }
  App::instance().backend().flush();
  // The loop is not served meanwhile: what the screen shows came from those changes alone,
  // sent at once. They reach the server without waiting for it, so look until it has drawn
  // them.
  int wrong = -1;
  for (int look = 0; look < 500 && wrong != 0; ++look) {
    if (look) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    wrong = mismatches(300, 200, surface, 160, 100);
  }
  EXPECT_EQ(wrong, 0) << "each change is on the screen, where it was drawn";
  probe.unload();
}

TEST_P(RealWindow, RealKeyPressesArriveWithTheGamesKeyCodes) {
  Probe probe;
  probe.move(10, 10);
  probe.setClientSize(100, 100);
  probe.show();
  // Shown, the window has the keyboard: the keys arrive once, in order. (They did not, now
  // and then, when SDL could not reach the X server and quietly opened no real window at all.)
  probe.setFocus();
  ASSERT_TRUE(velloran::testing::xdotool("key Left Right Down KP_4 Return Escape a"));
  settleUntil([&] { return probe.keys.size() >= 7; });
  EXPECT_EQ(probe.keys, (std::vector<std::int16_t>{37, 39, 40, 100, 13, 27, 65}));
  probe.unload();
}

// What a command prints.
std::string outputOf(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (const std::size_t got = fread(buffer, 1, sizeof buffer, pipe))
      output.append(buffer, got);
    pclose(pipe);
  }
  return output;
}

TEST_P(RealWindow, TheClipboardIsSharedWithOtherPrograms) {
  Probe probe;
  probe.placed(10, 10);
  probe.show();
  Backend& backend = App::instance().backend();
  // The game's single-byte text reaches another program as UTF-8, while the game serves its
  // loop.
  backend.setClipboardText("Caf\xe9 Kong");
  std::future<std::string> pasted = std::async(
      std::launch::async, [] { return outputOf("timeout 10 xclip -o -selection clipboard"); });
  settleUntil(
      [&] { return pasted.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
  EXPECT_EQ(pasted.get(), "Caf\xc3\xa9 Kong");
  // And the game takes what another program copied (it serves one request, then ends; the
  // game asks again until that program has the clipboard).
  ASSERT_EQ(std::system("printf 'Pung \\303\\251' | xclip -loops 1 -selection clipboard"), 0);
  std::string got;
  EXPECT_TRUE(settleUntil([&] {
    if (got != "Pung \xe9") got = backend.clipboardText();
    return got == "Pung \xe9";
  })) << got;
  probe.unload();
}

// A tooltip shows again when the pointer comes back to the button it clicked after leaving
// the window: the window learns that the pointer left it.
TEST_P(RealWindow, ATooltipComesBackAfterThePointerLeftTheWindow) {
  Probe probe;
  probe.placed(120, 90);
  Toolbar bar(probe);
  bar.width = 160;
  for (int place = 1; place <= 3; ++place) {
    Toolbar::Button button;
    button.picture = Picture(16, 16, rgb(0, 0, 80 * place));
    button.toolTipText = "Tip " + std::to_string(place);
    bar.buttons.push_back(button);
  }
  int clicks = 0;
  bar.onButtonClick = [&](int) { ++clicks; };
  probe.show();
  std::optional<velloran::testing::ScreenRect> client;
  // On the screen, where the pointer's moves reach it (a window manager may show its frame a
  // moment after the window itself).
  ASSERT_TRUE(settleUntil([&] {
    const unsigned long window = velloran::testing::xWindowOf(probe);
    client = velloran::testing::clientRect(window);
    return client && velloran::testing::viewable(window);
  }));
  const int buttonX = client->x + bar.buttonLeft(2) + 11, buttonY = client->y + 11;
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    velloran::testing::movePointer(buttonX, buttonY);
    ASSERT_TRUE(settleUntil([&] { return bar.shownToolTip() == "Tip 2"; }));
    velloran::testing::clickAt(buttonX, buttonY);
    ASSERT_TRUE(settleUntil([&] { return clicks == round; }));
    EXPECT_EQ(bar.shownToolTip(), "") << "a click hides it";
    // Straight out through the window's top edge, where no move inside tells it went.
    velloran::testing::movePointer(buttonX, 2);
    EXPECT_TRUE(settleUntil([&] { return probe.mouseY() < 0; })) << "the window saw it leave";
  }
  probe.unload();
}

INSTANTIATE_TEST_SUITE_P(Desktops, RealWindow,
                         ::testing::Values(velloran::testing::Desktop::X11,
                                           velloran::testing::Desktop::Sdl),
                         [](const auto& info) { return velloran::testing::nameOf(info.param); });

}  // namespace
}  // namespace velloran::rt
