// Whether the game goes on behind each window the toolbar opens, as the player sees it: the
// falling tile moves on the table while the window is open, or it does not; and whether it
// moves once the window has closed.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "runtime/keys.h"
#include "runtime/timer.h"
#include "support/table_window.h"

namespace velloran {
namespace {

enum class Before { NoGame, Running, Paused, Stopped };

// Looks at the table window every 50 ms while the named window is the one on top, in
// whatever event loop runs.
class Onlooker {
 public:
  Onlooker(rt::HeadlessBackend& headless, std::string window)
      : headless_(headless), window_(std::move(window)), timer_([this] { look(); }, 50) {
    timer_.setEnabled(true);
  }
  bool sawIt() const { return looks_ > 1; }
  // The table shows something else now than when the window came on top: asked as soon as
  // the window has closed, before anything else is served.
  bool sawTheTableChange() const { return sawIt() && !(first_ == headless_.shown("frmMain")); }

 private:
  void look() {
    const rt::Form* top = rt::App::instance().activeForm();
    if (!top || top->name() != window_) return;
    if (looks_++ == 0) first_ = headless_.shown("frmMain");
  }
  rt::HeadlessBackend& headless_;
  std::string window_;
  rt::Timer timer_;
  rt::Picture first_;
  int looks_ = 0;
};

using ToolbarDialogs = testing::TableWindowTest;

TEST_F(ToolbarDialogs, TheGameGoesOnBehindAWindowOnlyWhereTheToolbarLetsIt) {
  std::ofstream(folder / "VLR.hlp") << "# Velloran\nHow to play.\n";
  answerEveryDialog();
  const struct {
    const char* command;
    Before before;
    int place;
    const char* window;
    bool movesWhileOpen, movesAfterwards;
  } cases[] = {
      {"High Scores", Before::NoGame, 5, "frmHiScore", false, false},
      {"Start Anew", Before::Running, 1, "frmChooseSeat", false, true},
      {"Start Anew", Before::Paused, 1, "frmChooseSeat", false, true},
      {"High Scores", Before::Running, 5, "frmHiScore", false, true},
      {"High Scores", Before::Paused, 5, "frmHiScore", false, true},
      {"High Scores", Before::Stopped, 5, "frmHiScore", false, true},
      {"About", Before::Running, 11, "frmAbout", false, true},
      {"About", Before::Paused, 11, "frmAbout", false, true},
      {"Rounds Setting", Before::Running, 6, "frmRoundsSetting", true, true},
      {"Rounds Setting", Before::Paused, 6, "frmRoundsSetting", false, false},
      {"Level", Before::Running, 2, "mnuLevel", true, true},
      {"Level", Before::Paused, 2, "mnuLevel", false, false},
      {"Help", Before::Running, 12, "frmHelp", true, true},
      {"Help", Before::Paused, 12, "frmHelp", false, false},
  };
  const char* const states[] = {"no game", "a running game", "a paused game", "a stopped game"};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " during " + states[static_cast<int>(c.before)]);
    if (c.before != Before::NoGame) {
      startAnew();
      untilDealt();
    }
    if (c.before == Before::Paused) click(9);
    if (c.before == Before::Stopped) click(10);
    // Each window stays open three seconds.
    const std::string name = c.window;
    if (name == "frmRoundsSetting") {
      headless->script(name, rt::clickAt(172, 100, 3));  // Cancel
    } else if (name == "frmChooseSeat") {
      headless->script(name, rt::pressKeys({rt::vbKeyReturn}, 1));  // and two to show it
    } else if (name != "frmHelp") {
      headless->script(name, testing::closingKey(rt::vbKeyEscape, 3));
    }
    Onlooker onlooker(*headless, name);
    click(c.place);
    if (name == "frmHelp") {
      serveFor(3);
      closeHelp();
    }
    EXPECT_TRUE(headless->scriptDone(name));
    EXPECT_TRUE(onlooker.sawIt());
    EXPECT_EQ(onlooker.sawTheTableChange(), c.movesWhileOpen) << "while the window was open";
    const rt::Picture closed = window();
    serveFor(2);
    EXPECT_EQ(!(window() == closed), c.movesAfterwards) << "once it had closed";
  }
  EXPECT_TRUE(noErrors());
}

}  // namespace
}  // namespace velloran
