// Where the table opens on a desktop with panels: inside the part of the screen they leave free,
// and where it does not fit there, with its title bar and toolbar in it (a toolbar under a panel
// cannot be clicked, and no game can start).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runtime/app.h"
#include "table/frm_main.h"
#include "windows/frm_bitmaps.h"
#include "windows/window_helpers.h"
#include "x11/x_client.h"

namespace velloran {
namespace {

using velloran::testing::ScreenRect;

class WorkArea : public ::testing::TestWithParam<velloran::testing::Desktop> {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under an X server (xvfb-run)";
    if (!velloran::testing::windowManagerRuns()) {
      GTEST_SKIP() << "panels take their strips off the screen through a window manager";
    }
  }
  void TearDown() override {
    gsReleaseObjects(frmBitmaps, frmMain);
    if (rt::App::instance().hasBackend()) rt::App::instance().doEvents();
    rt::App::instance().setBackend(nullptr);
  }
};

// The 768 rows of the test's screen with panels of 28 and 216 rows: the 524 rows a 600-row
// screen with panels of 28 and 48 leaves, too few for the table.
TEST_P(WorkArea, TheTableOpensWithItsToolbarBetweenThePanels) {
  constexpr int kTop = 28, kBottom = 216;
  const velloran::testing::Panels panels(kTop, kBottom);
  ASSERT_TRUE(panels.takenOff(10)) << "the window manager keeps the panels' strips free";
  rt::App::instance().setBackend(velloran::testing::openBackend(GetParam()));
  rt::App::instance().setProgramFolder(VELLORAN_BINARY_DIR);
  frmMain->show();
  const unsigned long table = velloran::testing::xWindowOf(*frmMain);
  const auto shown = [&] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!velloran::testing::viewable(table)) {
      if (std::chrono::steady_clock::now() >= end) return false;
      rt::App::instance().doEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  };
  ASSERT_TRUE(shown());
  const ScreenRect frame = *velloran::testing::topLevelRect(table);
  const ScreenRect client = *velloran::testing::clientRect(table);
  EXPECT_EQ(frame.y, kTop) << "the title bar lies just below the top panel";
  EXPECT_LE(client.y + 22, 768 - kBottom) << "the toolbar lies above the bottom panel";
  EXPECT_NEAR(frame.x, (1024 - frame.width) / 2, 2) << "centred across";
}

// Two monitors side by side, the primary one on the right (tests/x11/two_monitors.sh): the
// table opens in the middle of the primary one, not across both.
TEST(PrimaryMonitor, TheTableOpensInTheMiddleOfIt) {
  const char* given = std::getenv("VELLORAN_TEST_PRIMARY_MONITOR");
  if (!given) GTEST_SKIP() << "run by two_monitors.sh";
  ScreenRect primary;
  ASSERT_EQ(
      std::sscanf(given, "%d,%d,%d,%d", &primary.x, &primary.y, &primary.width, &primary.height),
      4);
  rt::App::instance().setBackend(velloran::testing::openBackend(velloran::testing::Desktop::X11));
  rt::App::instance().setProgramFolder(VELLORAN_BINARY_DIR);
  frmMain->show();
  rt::App::instance().doEvents();
  const std::optional<ScreenRect> client =
      velloran::testing::clientRect(velloran::testing::xWindowOf(*frmMain));
  ASSERT_TRUE(client);
  EXPECT_NEAR(client->x + client->width / 2, primary.x + primary.width / 2, 4);
  EXPECT_NEAR(client->y + client->height / 2, primary.y + primary.height / 2, 16);
  gsReleaseObjects(frmBitmaps, frmMain);
  rt::App::instance().doEvents();
  rt::App::instance().setBackend(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Desktops, WorkArea,
                         ::testing::Values(velloran::testing::Desktop::X11,
                                           velloran::testing::Desktop::Sdl),
                         [](const auto& info) { return velloran::testing::nameOf(info.param); });

}  // namespace
}  // namespace velloran
