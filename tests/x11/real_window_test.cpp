// Real windows on a real X server (the test runs under Xvfb): what the game draws into a
// window's surface is what the screen shows, and real key presses arrive with the
// game's key codes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "runtime/app.h"
#include "runtime/form.h"
#include "runtime/sdl_backend.h"
#include "runtime/text.h"
#include "x11/screen_grab.h"
#include "x11/x_client.h"

namespace velloran::rt {
namespace {

struct Probe : Form {
  Probe() : Form("frmProbe") { setBorderStyle(BorderStyle::None); }
  std::vector<std::int16_t> keys;
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t) override { keys.push_back(keyCode); }
};

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under an X server (xvfb-run)";
    App::instance().setBackend(std::make_unique<SdlBackend>());
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
};

TEST_F(RealWindow, TheScreenShowsWhatTheGameDrewAtTheWindowsPlace) {
  Probe probe;
  probe.move(120, 90);
  probe.setClientSize(160, 100);
  Picture& surface = probe.surface();
  // Four coloured quarters and a line of text: something no blank screen shows by chance.
  surface.fillRect(0, 0, 80, 50, rgb(255, 0, 0));
  surface.fillRect(80, 0, 80, 50, rgb(0, 255, 0));
  surface.fillRect(0, 50, 80, 50, rgb(0, 0, 255));
  surface.fillRect(80, 50, 80, 50, rgb(255, 255, 255));
  printText(surface, 90, 60, "Velloran", rgb(0, 0, 0), Font{"Times New Roman", 12, true});
  probe.show();
  probe.refresh();
  int mismatches = -1;
  settleUntil([&] {
    const auto screen = velloran::testing::grabScreen(120, 90, 160, 100);
    if (!screen) return false;
    mismatches = 0;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 160; ++x) mismatches += screen->pixel(x, y) != surface.pixel(x, y);
    }
    return mismatches == 0;
  });
  EXPECT_EQ(mismatches, 0) << "the window shows the surface pixel for pixel";
  probe.unload();
}

TEST_F(RealWindow, RealKeyPressesArriveWithTheGamesKeyCodes) {
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

}  // namespace
}  // namespace velloran::rt
