// With VELLORAN_TEST_WM=openbox (or fluxbox) the real-window tests run as on a player's desktop:
// the window manager manages the display before the first test and leaves after the last.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "x11/x_client.h"

namespace velloran::testing {
namespace {

namespace fs = std::filesystem;

class WindowManager : public ::testing::Environment {
 public:
  explicit WindowManager(std::vector<const char*> command) : command_(std::move(command)) {
    command_.push_back(nullptr);
  }
  void SetUp() override {
    // A window manager may lose its connection while the X server sets it up (a loaded Xvfb
    // drops a few new connections): it then ends at once, and is started again.
    for (int start = 0; start < 5 && !windowManagerRuns(); ++start) {
      pid_ = fork();
      if (pid_ == 0) {
        execvp(command_[0], const_cast<char* const*>(command_.data()));
        _exit(127);
      }
      // It announces itself on the root window once it manages the screen.
      for (int attempt = 0; attempt < 400 && !windowManagerRuns(); ++attempt) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
          pid_ = -1;
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
      }
    }
    ASSERT_TRUE(windowManagerRuns()) << command_[0] << " runs on the display";
    ASSERT_TRUE(windowManagerManages(10)) << command_[0] << " manages the display's windows";
  }
  void TearDown() override {
    if (pid_ > 0) {
      // fluxbox, asked to end, may wait for ever on the server (seen under load); it has
      // nothing to save.
      kill(pid_, command_[0] == std::string("fluxbox") ? SIGKILL : SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

 private:
  std::vector<const char*> command_;
  pid_t pid_ = -1;
};

const bool registered = [] {
  const char* wanted = std::getenv("VELLORAN_TEST_WM");
  const std::string name = wanted ? wanted : "";
  if (name == "openbox") {
    ::testing::AddGlobalTestEnvironment(new WindowManager({"openbox", "--sm-disable"}));
  } else if (name == "fluxbox") {
    // Its own settings, with no wallpaper: the desktop's would be set by a helper whose
    // complaint, in a window of its own, takes the keyboard from the game.
    static const std::string settings = [] {
      const fs::path folder =
          fs::temp_directory_path() / ("velloran-fluxbox-" + std::to_string(getpid()));
      fs::create_directories(folder);
      std::ofstream(folder / "overlay") << "background: none\n";
      std::ofstream(folder / "init")
          << "session.styleOverlay: " << (folder / "overlay").string() << "\n";
      return (folder / "init").string();
    }();
    ::testing::AddGlobalTestEnvironment(new WindowManager({"fluxbox", "-rc", settings.c_str()}));
  }
  return true;
}();

}  // namespace
}  // namespace velloran::testing
