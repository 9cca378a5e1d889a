// The game on each kind of desktop a player may have: a native Wayland session with no X
// (weston, headless, on its own socket), an X server, and a driver with no screen. On each,
// the table is drawn and a signal from the session (a logout, Ctrl+C in a terminal, a closed
// terminal) ends the game by itself and cleanly.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "runtime/picture.h"
#include "wayland/x_screen.h"
#include "x11/child_process.h"

namespace velloran::testing {
namespace {

namespace fs = std::filesystem;
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

fs::path makeFolder() {
  std::string pattern = (fs::temp_directory_path() / "velloran-session-XXXXXX").string();
  const char* made = mkdtemp(pattern.data());
  return made ? fs::path(made) : fs::path();
}

// A Wayland compositor of the test's own, drawing with the CPU (no GPU needed); its socket
// lies in a private runtime folder, and its clients see no X.
// weston's headless backend would need no X server at all, but it has no seat (no keyboard,
// no pointer), and SDL 2.26 crashes as it starts on a compositor without one: weston shows
// its desktop in a window on an X server of the test's own instead, as on a player's screen.
class Weston {
 public:
  static constexpr const char* kSocket = "velloran-test";

  // On an X server of its own; else headless, with no seat.
  explicit Weston(bool onX = true) : folder_(makeFolder()) {
    chmod(folder_.c_str(), 0700);
    if (onX) {
      x_.emplace();
      if (x_->display().empty()) return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
      if (x_) setenv("DISPLAY", x_->display().c_str(), 1);
      unsetenv("WAYLAND_DISPLAY");
      const std::string socket = std::string("--socket=") + kSocket;
      const std::string log = "--log=" + (folder_ / "weston.log").string();
      const char* backend = x_ ? "--backend=x11-backend.so" : "--backend=headless-backend.so";
      execlp("weston", "weston", backend, "--use-pixman", "--no-config", "--idle-time=0",
             "--width=1000", "--height=740", socket.c_str(), log.c_str(),
             static_cast<char*>(nullptr));
      _exit(127);
    }
    // It takes clients once its socket is there.
    for (int attempt = 0; attempt < 400 && !fs::exists(folder_ / kSocket); ++attempt) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  }
  ~Weston() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // As a compositor dies: at once, with no goodbye to its clients.
  void kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  bool runs() const { return pid_ > 0 && fs::exists(folder_ / kSocket); }
  const fs::path& folder() const { return folder_; }
  std::string log() const {
    std::ifstream file(folder_ / "weston.log");
    return {std::istreambuf_iterator<char>(file), {}};
  }

  // A client of this compositor, with no X.
  Environment clientEnvironment() const {
    return {{"XDG_RUNTIME_DIR", folder_.string()},
            {"WAYLAND_DISPLAY", kSocket},
            {"DISPLAY", std::nullopt},
            {"SDL_VIDEODRIVER", std::nullopt}};
  }

  // What the compositor shows: its desktop on the X server's screen.
  std::optional<rt::Picture> screen() const { return grabXScreen(x_->display()); }

  const std::string& xDisplay() const { return x_->display(); }

  // Runs xdotool on the X server, whose input weston passes on to its clients once its
  // window has the X keyboard; whether it succeeded.
  bool xdotool(const std::string& arguments) const {
    const std::string command = "DISPLAY=" + x_->display() +
                                " xdotool search --class 'Weston Compositor' windowfocus --sync " +
                                arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }

 private:
  std::optional<PrivateXServer> x_;
  fs::path folder_;
  pid_t pid_ = -1;
};

// Where the table picture lies whole on the screen (most of a grid of its pixels equal, as
// the sky and the toolbar of the bare table are), if anywhere.
std::optional<std::pair<int, int>> findTable(const rt::Picture& screen) {
  const rt::Picture table = rt::loadResourcePicture("bitmap101");
  constexpr int kFirstX = 0, kFirstY = 40;
  for (int top = 0; top + table.height() <= screen.height(); ++top) {
    for (int left = 0; left + table.width() <= screen.width(); ++left) {
      if (screen.pixel(left + kFirstX, top + kFirstY) != table.pixel(kFirstX, kFirstY)) continue;
      int same = 0, all = 0;
      for (int y = kFirstY; y < table.height() - 20; y += 37) {
        for (int x = kFirstX; x < table.width() - 5; x += 41, ++all) {
          same += screen.pixel(left + x, top + y) == table.pixel(x, y);
        }
      }
      if (same > all * 9 / 10) return std::make_pair(left, top);
    }
  }
  return std::nullopt;
}

// The game with its presents traced, so that the test knows when its window is drawn.
struct Game {
  Game(const fs::path& folder, Environment env) : trace(folder / "trace") {
    fs::remove(trace);
    env.emplace_back("SDL_AUDIODRIVER", "dummy");
    env.emplace_back("VELLORAN_TRACE_TIMING", trace.string());
    process.emplace(std::vector<std::string>{gameBinary()}, env);
  }

  // Whether the table has been drawn within the time: a window that never shows fails here.
  bool drawn(double seconds) { return presentsReach("", 1, seconds); }

  // How many presents a window (by its form's name; empty: any window) has had.
  int presents(const std::string& window) {
    std::ifstream file(trace);
    int count = 0;
    for (std::string line; std::getline(file, line);) {
      std::istringstream words(line);
      std::string kind, end, name;
      words >> kind >> end >> name;
      count += kind == "present" && (window.empty() || name == window);
    }
    return count;
  }

  // Waits until the window has had that many presents, while the game runs.
  bool presentsReach(const std::string& window, int count, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      if (presents(window) >= count) return true;
      if (process->waitForExit(0.05)) return false;
    }
    return false;
  }

  fs::path trace;
  std::optional<ChildProcess> process;
};

class NativeWayland : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { weston_ = new Weston; }
  static void TearDownTestSuite() {
    delete weston_;
    weston_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(weston_->runs()) << "weston starts\n" << weston_->log(); }

  static Weston* weston_;
};
Weston* NativeWayland::weston_ = nullptr;

TEST_F(NativeWayland, TheTableReachesTheCompositorInItsFrame) {
  Game game(weston_->folder(), weston_->clientEnvironment());
  ASSERT_TRUE(game.drawn(20)) << game.process->errorText();
  // The compositor shows what it was last given: look until the table is whole there.
  std::optional<std::pair<int, int>> place;
  std::optional<rt::Picture> screen;
  for (int attempt = 0; attempt < 100 && !place; ++attempt) {
    screen = weston_->screen();
    ASSERT_TRUE(screen) << "the compositor's screen can be read";
    place = findTable(*screen);
    if (!place) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(place) << "the bare table is on the compositor's screen";
  // The desktop's frame lies above it: libdecor's title bar (weston draws none itself), an
  // even band where the desktop behind the window has its pattern.
  const auto [left, top] = *place;
  // (weston's panel may cover the top of the bar: its lowest rows are looked at.)
  ASSERT_GE(top, 10) << "room for a title bar";
  const rt::Colour bar = screen->pixel(left + 40, top - 5);
  int even = 0, all = 0;
  for (int y = top - 8; y < top - 2; ++y) {
    for (int x = left + 10; x < left + 250; x += 12, ++all) even += screen->pixel(x, y) == bar;
  }
  EXPECT_EQ(even, all) << "a title bar along the table's top edge";

  ASSERT_EQ(kill(game.process->pid(), SIGTERM), 0);
  const auto status = game.process->waitForExit(10);
  ASSERT_TRUE(status) << "the game ends when asked";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << game.process->errorText();
}

// A compositor with no keyboard or mouse to offer (weston's headless desktop): SDL 2.26
// would crash as it starts there; the game says why it cannot run instead.
TEST(HeadlessWeston, TheGameSaysItNeedsAKeyboardOrMouse) {
  const Weston weston(false);
  ASSERT_TRUE(weston.runs()) << "weston starts\n" << weston.log();
  Game game(weston.folder(), weston.clientEnvironment());
  const auto status = game.process->waitForExit(20);
  ASSERT_TRUE(status) << "the game ends by itself";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << game.process->errorText();
  EXPECT_NE(game.process->errorText().find("no keyboard or mouse"), std::string::npos)
      << game.process->errorText();
}

// The compositor goes away (the session ends, or it crashes): the game ends by itself and
// says why, as when an X display is lost.
TEST(CompositorLost, TheGameEndsWithAMessage) {
  Weston weston;
  ASSERT_TRUE(weston.runs()) << "weston starts\n" << weston.log();
  Game game(weston.folder(), weston.clientEnvironment());
  ASSERT_TRUE(game.drawn(20)) << game.process->errorText();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  weston.kill();
  const auto status = game.process->waitForExit(10);
  ASSERT_TRUE(status) << "the game ends by itself";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << game.process->errorText();
  EXPECT_NE(game.process->errorText().find("lost its display"), std::string::npos)
      << game.process->errorText();
}

// A dialog opened again after it closed: the closed one's frame must not outlive its window
// (SDL 2.26 leaves it behind, and the compositor's next configure of it crashed the game).
TEST_F(NativeWayland, DialogsOpenAgainAndAgain) {
  Game game(weston_->folder(), weston_->clientEnvironment());
  ASSERT_TRUE(game.drawn(20)) << game.process->errorText();
  std::optional<std::pair<int, int>> place;
  for (int attempt = 0; attempt < 100 && !place; ++attempt) {
    if (const auto screen = weston_->screen()) place = findTable(*screen);
    if (!place) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(place) << "the bare table is on the compositor's screen";
  // The about box's button on the toolbar; Enter closes the box.
  const auto [left, top] = *place;
  const std::string about = "mousemove " + std::to_string(left + 10 + 10 * 23) + " " +
                            std::to_string(top + 10) + " click 1";
  for (int opened = 1; opened <= 3; ++opened) {
    // A click while the last box is still closing does nothing: click until it opens.
    const int before = game.presents("frmAbout");
    bool shown = false;
    for (int click = 0; click < 20 && !shown; ++click) {
      ASSERT_TRUE(weston_->xdotool(about));
      shown = game.presentsReach("frmAbout", before + 1, 0.5);
    }
    ASSERT_TRUE(shown) << "the about box opens, time " << opened << "\n"
                       << game.process->errorText();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(weston_->xdotool("key Return"));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_FALSE(game.process->waitForExit(0)) << "the game still runs";
  ASSERT_EQ(kill(game.process->pid(), SIGTERM), 0);
  const auto status = game.process->waitForExit(10);
  ASSERT_TRUE(status) << "the game ends when asked";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << game.process->errorText();
}

// A Wayland desktop with XWayland: the game stays an X program there, never talking to the
// compositor, so that its own placements hold.
TEST_F(NativeWayland, WithBothDisplaysTheGameTakesX) {
  Environment env = weston_->clientEnvironment();
  env.emplace_back("DISPLAY", weston_->xDisplay());
  env.emplace_back("WAYLAND_DEBUG", "client");  // every Wayland message, were there any
  Game game(weston_->folder(), env);
  ASSERT_TRUE(game.drawn(20)) << game.process->errorText();
  ASSERT_EQ(kill(game.process->pid(), SIGTERM), 0);
  const auto status = game.process->waitForExit(10);
  ASSERT_TRUE(status) << "the game ends when asked";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << game.process->errorText();
  EXPECT_EQ(game.process->errorText().find("wl_display"), std::string::npos)
      << game.process->errorText();
}

// Each desktop the game runs on, with each signal a session sends.
struct SignalCase {
  const char* name;
  const char* desktop;  // "wayland", "x11" or "none"
  int signal;
};

class SignalEndsTheGame : public NativeWayland, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(SignalEndsTheGame, AtOnceAndCleanly) {
  const SignalCase& c = GetParam();
  std::optional<PrivateXServer> x;
  Environment env;
  fs::path folder = weston_->folder();
  if (std::string(c.desktop) == "wayland") {
    env = weston_->clientEnvironment();
  } else if (std::string(c.desktop) == "x11") {
    x.emplace();
    ASSERT_FALSE(x->display().empty()) << "Xvfb starts";
    env = {{"DISPLAY", x->display()},
           {"WAYLAND_DISPLAY", std::nullopt},
           {"SDL_VIDEODRIVER", std::nullopt}};
  } else {
    env = {
        {"SDL_VIDEODRIVER", "dummy"}, {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
  }
  Game game(folder, env);
  ASSERT_TRUE(game.drawn(20)) << game.process->errorText();
  // Once drawn, the game sleeps until its next timer or input: the signal must wake it.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto sent = std::chrono::steady_clock::now();
  ASSERT_EQ(kill(game.process->pid(), c.signal), 0);
  // It ends in milliseconds; the bound only allows for a loaded machine. The fault this is
  // for leaves the game running for ever.
  const auto status = game.process->waitForExit(10);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
  RecordProperty("seconds_to_end", std::to_string(seconds));
  ASSERT_TRUE(status) << "the game still runs 10 s after the signal";
  EXPECT_TRUE(WIFEXITED(*status)) << "it ends by itself, not killed by the signal";
  if (WIFEXITED(*status)) {
    EXPECT_EQ(WEXITSTATUS(*status), 0) << game.process->errorText();
  }
}

INSTANTIATE_TEST_SUITE_P(Desktops, SignalEndsTheGame,
                         ::testing::Values(SignalCase{"WaylandTerm", "wayland", SIGTERM},
                                           SignalCase{"WaylandInterrupt", "wayland", SIGINT},
                                           SignalCase{"WaylandHangUp", "wayland", SIGHUP},
                                           SignalCase{"X11Term", "x11", SIGTERM},
                                           SignalCase{"NoScreenTerm", "none", SIGTERM}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velloran::testing
