// Dialogs closed by the window manager while other threads add events, as in play: the
// mixer's thread reports, the window manager asks a dialog to close and the game closes it
// at once. No X error may come of it: Xlib's default handler ends the program at the first.
// On both backends; SDL's also has events added to its own queue, as SDL's threads do.

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "runtime/app.h"
#include "runtime/form.h"
#include "x11/x_client.h"

namespace velloran::rt {
namespace {

using velloran::testing::Desktop;

class WakeRace : public ::testing::TestWithParam<Desktop> {};

TEST_P(WakeRace, DialogsClosedWhileEventsComeFromOtherThreadsCauseNoXError) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under an X server (xvfb-run)";
  App& app = App::instance();
  velloran::testing::XErrorCount xErrors;
  app.setBackend(velloran::testing::openBackend(GetParam()));
  const bool sdl = GetParam() == Desktop::Sdl;
  int closed = 0;
  {
    Form table("frmTable");
    table.move(40, 40);
    table.setClientSize(200, 150);
    table.show();

    // Another thread adds events all the time, as SDL's and the mixer's threads do.
    std::atomic<bool> stop{false};
    std::atomic<int> posted{0};
    std::thread adder([&] {
      const Uint32 type = sdl ? SDL_RegisterEvents(1) : 0;
      while (!stop) {
        if (sdl) {
          SDL_Event event{};
          event.type = type;
          SDL_PushEvent(&event);
        }
        app.post([&] { ++posted; });
        // A pause, so that the loop finds nothing to do and goes to sleep in between.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
      }
    });
    velloran::testing::WindowCloser windowManager;
    constexpr int kDialogs = 400;
    for (int round = 0; round < kDialogs; ++round) {
      Form dialog("frmDialog");
      dialog.move(60 + round % 50, 60);
      dialog.setClientSize(80, 40);
      dialog.show();
      windowManager.close(velloran::testing::xWindowOf(dialog));
      const double giveUp = app.clock().monotonic() + 5;
      while (dialog.loaded() && app.clock().monotonic() < giveUp) {
        app.serveUntil(app.clock().monotonic() + 0.01);
      }
      closed += !dialog.loaded();
      dialog.unload();
    }
    stop = true;
    adder.join();
    app.doEvents();
    EXPECT_GT(posted.load(), 0) << "what other threads post reaches the loop";
    table.unload();
  }
  EXPECT_GT(closed, 0) << "the window manager's close requests reach the dialogs";
  // Errors of requests nobody waited on surface when the connections close.
  app.setBackend(nullptr);
  EXPECT_EQ(xErrors.badWindowSends(), 0) << "a wake-up was sent to a window already gone";
  EXPECT_EQ(xErrors.errors(), 0);
}

INSTANTIATE_TEST_SUITE_P(Desktops, WakeRace, ::testing::Values(Desktop::X11, Desktop::Sdl),
                         [](const auto& info) { return velloran::testing::nameOf(info.param); });

}  // namespace
}  // namespace velloran::rt
