#pragma once
// A careless player for the soak. Whatever window is on top gets keys of every kind (the
// arrows and the keypad, Enter, Escape, Tab, letters, the clipboard keys), key storms,
// clicks anywhere and now and then the window manager's close button; the table's
// toolbar gets clicks too, so that every dialog opens. Time is a virtual clock and every
// choice comes from one seeded stream, so a seed plays the same session again.

#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/clock.h"
#include "runtime/backend.h"

namespace velloran {
class FrmMain;
}

namespace velloran::soak {

// Raised when play goes on past the session's deadline: a window the player cannot leave.
struct Stalled : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct ErrorBox {
  std::string text;
  std::string title;
};

// What the player did; the log shows it.
struct Tally {
  long keys = 0;
  long clicks = 0;
  long closes = 0;
  long storms = 0;
  std::map<std::string, long> keysByWindow;  // keys pressed while that window was on top

  Tally& operator+=(const Tally& other);
};

// One seed's session; it outlives the program runs that an Exit ends.
struct Session {
  Session(std::uint64_t seed, double timeOfDayAtStart);

  std::mt19937_64 random;
  ManualClock clock;
  std::string clipboard;
  std::vector<ErrorBox> errorBoxes;
  Tally tally;
  int restartsLeft = 1;       // Start Anew in the middle of a game
  int exitsLeft = 0;          // Exit, the table's close button or the desktop's Quit
  double luckyWalls = 0;      // how often a hand's wall comes sorted by kind
  double deadline = 0;        // virtual time by which the game in play must have ended
  bool scoreSettled = false;  // whether this game ends with a score is decided
  long scoresGiven = 0;       // games that ended with a score they did not make

  int below(int n) { return static_cast<int>(random() % static_cast<std::uint64_t>(n)); }
  bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; }
};

class RandomPlayer final : public rt::Backend {
 public:
  explicit RandomPlayer(Session& session) : session_(session) {}

  void openWindow(rt::Form& form) override;
  void closeWindow(rt::Form& form) override;
  void showWindow(rt::Form&, bool) override {}
  void placeWindow(rt::Form&) override {}
  void present(rt::Form& form) override;
  void focusWindow(rt::Form&) override {}
  bool pollEvent(rt::Form* active, rt::InputEvent& event) override;
  void waitEvent(rt::Form* active, double seconds) override;
  Clock& clock() override { return session_.clock; }
  void messageBox(const std::string& text, const std::string& title, rt::Form* owner) override;
  rt::Rect workArea() override { return {0, 0, 1024, 768}; }
  bool realWindows() const override { return false; }
  std::string clipboardText() override { return session_.clipboard; }
  void setClipboardText(const std::string& text) override { session_.clipboard = text; }

 private:
  struct Planned {
    rt::InputEvent event;
    double due;
    std::string window;  // the window on top when it was planned
  };
  // The next move of the player, for the window on top; its first event comes after a pause.
  void plan(rt::Form& active);
  void planMove(rt::Form& active);
  void planKeys(int count);
  void planKey(std::int16_t code, std::int16_t typed, std::int16_t shift = 0);
  // A click for the window on top, or for `target` whatever is on top.
  void planClick(int x, int y, rt::Form* target = nullptr);
  void planToolbarClick(rt::Form& table);
  void planAim(FrmMain& table);
  // Events go to the window on top unless they name their own.
  void add(const rt::InputEvent& event);

  Session& session_;
  std::deque<Planned> planned_;
  double pause_ = 0;  // before the next event added
  std::string planningFor_;
  std::map<std::string, long> presents_;
  int aimedAt_ = 0;    // the wall's place of the last tile aimed
  int wallPlace_ = 0;  // the wall's place when the table was last looked at
  bool luckyHand_ = false;
};

}  // namespace velloran::soak
