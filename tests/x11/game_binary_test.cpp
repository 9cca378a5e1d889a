// The game as a player starts it: the real program on a real X server shows the bare
// table in its window and ends cleanly when asked to.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "runtime/picture.h"
#include "x11/screen_grab.h"

namespace velloran {
namespace {

TEST(GameBinary, ShowsTheTableAndEndsCleanlyWhenTerminated) {
  const pid_t game = fork();
  ASSERT_GE(game, 0);
  if (game == 0) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string path = std::string(VELLORAN_BINARY_DIR) + "/velloran";
    execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // The window is centred on the 1024 x 768 screen; find the sky's grey below the toolbar
  // where the table picture has its next-tile box, by comparing with the picture itself.
  const rt::Picture table = rt::loadResourcePicture("bitmap101");
  bool found = false;
  for (int attempt = 0; attempt < 100 && !found; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto screen = velloran::testing::grabScreen(0, 0, 1024, 768);
    if (!screen) continue;
    // The client area is 795 x 581 in the middle of the screen.
    const int left = (1024 - 795) / 2, top = (768 - 581) / 2;
    for (int dx = -8; dx <= 8 && !found; ++dx) {
      for (int dy = -30; dy <= 30 && !found; ++dy) {
        int same = 0;
        for (int y = 40; y < 560; y += 37) {
          for (int x = 0; x < 790; x += 41) {
            same += screen->pixel(left + dx + x, top + dy + y) == table.pixel(x, y);
          }
        }
        found = same > 14 * 20 * 9 / 10;
      }
    }
  }
  EXPECT_TRUE(found) << "the bare table is on the screen";
  ASSERT_EQ(kill(game, SIGTERM), 0);
  int status = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (waitpid(game, &status, WNOHANG) == game) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!WIFEXITED(status)) kill(game, SIGKILL);
  ASSERT_TRUE(WIFEXITED(status)) << "the game ends by itself when asked";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace velloran
