// The game on a desktop that is not there, or goes away: it says so and ends, whatever is
// open, instead of running invisibly or spinning for ever after a logout.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <thread>

#include "x11/child_process.h"

namespace velloran::testing {
namespace {

bool exitedWithFailure(const std::optional<int>& status) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) != 0;
}

TEST(NoDesktop, TheGameSaysItNeedsOneAndEndsAtOnce) {
  ChildProcess game({gameBinary()}, {{"DISPLAY", std::nullopt},
                                     {"WAYLAND_DISPLAY", std::nullopt},
                                     {"SDL_VIDEODRIVER", std::nullopt},
                                     {"SDL_AUDIODRIVER", "dummy"}});
  const std::optional<int> status = game.waitForExit(1.0);
  EXPECT_TRUE(exitedWithFailure(status)) << "ends within a second, with a failure status";
  EXPECT_NE(game.errorText().find("needs a graphical desktop"), std::string::npos)
      << game.errorText();
}

// Runs xdotool on the given display; its output.
std::string xdotool(const std::string& display, const std::string& arguments) {
  const std::string command = "DISPLAY=" + display + " xdotool " + arguments + " 2>/dev/null";
  // (A search that finds nothing fails too; asking again costs nothing then.)
  std::string output;
  // Its own connection may be dropped by a loaded X server before anything is sent: ask again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    output.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) continue;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    if (pclose(pipe) == 0) break;
  }
  return output;
}

int visibleWindows(const std::string& display) {
  const std::string list = xdotool(display, "search --onlyvisible --class velloran");
  int lines = 0;
  for (const char c : list) lines += c == '\n';
  return lines;
}

bool waitForWindows(const std::string& display, int count) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (visibleWindows(display) == count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

enum class Moment { StartScreen, SeatDrawOpen, InPlay };

const char* nameOf(Moment moment) {
  switch (moment) {
    case Moment::StartScreen:
      return "AtTheStartScreen";
    case Moment::SeatDrawOpen:
      return "WithTheSeatDrawOpen";
    case Moment::InPlay:
      return "InPlay";
  }
  return "";
}

void PrintTo(Moment moment, std::ostream* out) {
  *out << nameOf(moment);
}

class DisplayLost : public ::testing::TestWithParam<Moment> {};

TEST_P(DisplayLost, TheGameEndsWithinASecondWithAMessage) {
  PrivateXServer server;
  ASSERT_FALSE(server.display().empty()) << "a private X server starts";
  ChildProcess game({gameBinary()}, {{"DISPLAY", server.display()},
                                     {"WAYLAND_DISPLAY", std::nullopt},
                                     {"SDL_VIDEODRIVER", std::nullopt},
                                     {"SDL_AUDIODRIVER", "dummy"}});
  ASSERT_TRUE(waitForWindows(server.display(), 1)) << "the table shows";
  if (GetParam() != Moment::StartScreen) {
    // Start Anew, the first button of the toolbar; the table is centred on the screen.
    xdotool(server.display(), "mousemove 125 104 click 1");
    ASSERT_TRUE(waitForWindows(server.display(), 2)) << "the seat draw opens";
  }
  if (GetParam() == Moment::InPlay) {
    xdotool(server.display(), "key Return");
    ASSERT_TRUE(waitForWindows(server.display(), 1)) << "the seat draw closes and play starts";
  }
  server.kill();
  const std::optional<int> status = game.waitForExit(1.0);
  EXPECT_TRUE(exitedWithFailure(status)) << "ends within a second, with a failure status";
  EXPECT_NE(game.errorText().find("lost its display"), std::string::npos) << game.errorText();
}

INSTANTIATE_TEST_SUITE_P(Moments, DisplayLost,
                         ::testing::Values(Moment::StartScreen, Moment::SeatDrawOpen,
                                           Moment::InPlay),
                         [](const ::testing::TestParamInfo<Moment>& info) {
                           return std::string(nameOf(info.param));
                         });

}  // namespace
}  // namespace velloran::testing
