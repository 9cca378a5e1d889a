#pragma once
// The backend with no display: windows are surfaces in memory, time is a virtual clock
// that jumps to the next due timer, input comes from scripts keyed by the form that is
// on top, and message boxes are recorded and answered at once. A whole game runs
// through it in milliseconds.

#include <cstdint>
#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/backend.h"
#include "runtime/picture.h"

namespace velloran::rt {

// One scripted event and how long after the previous one (or after its form came on
// top) it arrives, in seconds. It happens in the form on top unless it names another.
struct ScriptedInput {
  InputEvent event;
  double delay = 0;
};

// A key pressed and let go: key down, the character it types (Enter, Escape, Backspace,
// Tab) and key up.
std::vector<ScriptedInput> pressKeys(std::initializer_list<std::int16_t> keyCodes, double gap = 0);
// Text typed one character at a time (key down with the upper-case code, key press).
std::vector<ScriptedInput> typeText(const std::string& text, double gap = 0);
std::vector<ScriptedInput> clickAt(int x, int y, double delay = 0);

struct RecordedMessageBox {
  std::string text;
  std::string title;
};

// Raised when a loop waits for input that no script will ever give and no timer runs:
// a test that would otherwise hang fails with the name of the waiting form.
struct HeadlessStall : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class HeadlessBackend final : public Backend {
 public:
  explicit HeadlessBackend(double timeOfDayAtStart = 12 * 3600.0);

  ManualClock& manualClock() { return clock_; }
  // Input for the named form, served in order while that form is the active one.
  void script(const std::string& formName, const std::vector<ScriptedInput>& input);
  bool scriptDone(const std::string& formName) const;
  // Input the named form gets again each time it is on top with nothing else scripted:
  // a standing answer for a dialog that opens many times ("Enter takes the first run").
  void respond(const std::string& formName, const std::vector<ScriptedInput>& input);
  const std::vector<RecordedMessageBox>& messageBoxes() const { return messageBoxes_; }
  // What the named window's client area showed when it was last presented (empty if never).
  const Picture& shown(const std::string& formName) const;
  int presentCount(const std::string& formName) const;
  void setWorkArea(Rect area) { workArea_ = area; }
  // Virtual time a single wait may skip when nothing at all is due (seconds).
  void setStallLimit(double seconds) { stallLimit_ = seconds; }
  // Virtual time past which a loop that never ends (a timer ticking under a dialog that no
  // script closes) fails as a stall; two days by default.
  void setTimeLimit(double seconds) { timeLimit_ = seconds; }

  void openWindow(Form& form) override;
  void closeWindow(Form& form) override;
  void showWindow(Form&, bool) override {}
  void placeWindow(Form&) override {}
  void present(Form& form) override;
  void focusWindow(Form&) override {}
  bool pollEvent(Form* active, InputEvent& event) override;
  void waitEvent(Form* active, double seconds) override;
  Clock& clock() override { return clock_; }
  void messageBox(const std::string& text, const std::string& title, Form* owner) override;
  Rect workArea() override { return workArea_; }
  bool realWindows() const override { return false; }

 private:
  struct Pending {
    ScriptedInput input;
    double due = -1;  // set when it reaches the head of its queue with its form on top
  };
  Pending* head(Form* active);

  ManualClock clock_;
  std::map<std::string, std::deque<Pending>> scripts_;
  std::map<std::string, std::vector<ScriptedInput>> responders_;
  std::map<std::string, Picture> shown_;
  std::map<std::string, int> presents_;
  std::vector<RecordedMessageBox> messageBoxes_;
  Rect workArea_{0, 0, 1024, 768};
  double stallLimit_ = 0;
  double timeLimit_ = 2 * 86400.0;
};

}  // namespace velloran::rt
