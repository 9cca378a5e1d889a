// With VELLORAN_TEST_WM=openbox the real-window tests run as on a player's desktop: openbox
// manages the display before the first test and leaves after the last.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "x11/x_client.h"

namespace velloran::testing {
namespace {

class WindowManager : public ::testing::Environment {
 public:
  void SetUp() override {
    // openbox may lose its connection while the X server sets it up (a loaded Xvfb drops a few
    // new connections): it then ends at once, and is started again.
    for (int start = 0; start < 5 && !windowManagerRuns(); ++start) {
      pid_ = fork();
      if (pid_ == 0) {
        execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
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
    ASSERT_TRUE(windowManagerRuns()) << "openbox runs on the display";
    ASSERT_TRUE(windowManagerManages(10)) << "openbox manages the display's windows";
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

 private:
  pid_t pid_ = -1;
};

const bool registered = [] {
  const char* wanted = std::getenv("VELLORAN_TEST_WM");
  if (wanted && std::string(wanted) == "openbox") {
    ::testing::AddGlobalTestEnvironment(new WindowManager);
  }
  return true;
}();

}  // namespace
}  // namespace velloran::testing
