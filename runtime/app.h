#pragma once
// The one event loop of the game. It serves input and timers on one thread; a modal
// form runs a nested loop in which timers keep firing while input goes only to the
// modal form on top.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/backend.h"
#include "runtime/window_icon.h"

namespace velloran::rt {

class Form;
class Timer;

// Thrown by App::end() to leave every loop at once; App::run() catches it.
struct ProgramEnded {};

class App {
 public:
  static App& instance();

  // The backend in force; the game clock follows the backend's clock.
  void setBackend(std::unique_ptr<Backend> backend);
  Backend& backend();
  bool hasBackend() const { return backend_ != nullptr; }
  Clock& clock() { return backend().clock(); }

  // Serves what is pending once: due timers and the input waiting now. Never blocks.
  void doEvents();
  // Runs `task` on the loop's thread at its next turn; safe from any thread (the audio
  // thread reports through it).
  void post(std::function<void()> task);
  // Runs `task` once on the loop's thread, the next time the loop has nothing to do: work
  // that would otherwise fall in a moment the player waits on. Tasks not yet run when the
  // program ends are dropped.
  void whenIdle(std::function<void()> task);
  // Waits for the next timer or input and serves it.
  void serveNext();
  // Serves events as they come until the monotonic clock reads `deadline`.
  void serveUntil(double deadline);
  // Loads and shows the main form and serves events until it is unloaded or end() is called.
  int run(Form& mainForm);
  // Ends the program at once: no further handler runs.
  [[noreturn]] void end();
  bool ended() const { return ended_; }

  // The form that input goes to: the modal form on top, else the focused form.
  Form* activeForm() const;
  void messageBox(const std::string& text, const std::string& title);
  // Queues keystrokes for the form active when they are taken; "{TAB}" is the one key
  // the game sends.
  void sendKeys(std::string_view keys);

  // The program's name, the title of a window without a caption of its own.
  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  // The program's icon in its sizes, put on every window opened from now on.
  const std::vector<WindowIcon>& icons() const { return icons_; }
  void setIcons(std::vector<WindowIcon> icons) { icons_ = std::move(icons); }
  // The frames the desktop's window manager gives windows with a border, once known.
  const std::optional<FrameExtents>& desktopFrame() const { return desktopFrame_; }
  void setDesktopFrame(FrameExtents frame);

  // The folder of the running program, where its files live; tests may point it elsewhere.
  const std::string& programFolder();
  void setProgramFolder(std::string folder) { programFolder_ = std::move(folder); }
  Rect workArea() { return backend().workArea(); }

  // After the last loop: deletes the released forms, then closes the backend.
  void shutdown();

  // Deletes a form once no handler of it is running any more.
  void releaseLater(std::unique_ptr<Form> form);

  // Used by forms and timers.
  void formLoaded(Form& form);
  void formUnloaded(Form& form);
  void formHidden(Form& form);
  void formFocused(Form& form);
  void runModal(Form& form);
  void addTimer(Timer& timer);
  void removeTimer(Timer& timer);

 private:
  App() = default;
  void fireDueTimers();
  void dispatchPending();
  void dispatch(const InputEvent& event);
  double secondsToNextTimer() const;
  void waitAndServe(double limit);
  void collectReleased();
  void runPosted();
  void refocusFrom(Form& leaving);
  Form* focusedBefore(const Form& form) const;

  std::unique_ptr<Backend> backend_;
  std::vector<Form*> forms_;  // loaded forms, oldest first
  Form* mainForm_ = nullptr;  // the window run() shows; every dialog belongs to it
  std::vector<Form*> modalStack_;
  Form* focused_ = nullptr;
  std::vector<Form*> focusOrder_;  // forms that had the keyboard, the latest last
  std::vector<Timer*> timers_;
  std::vector<InputEvent> sentKeys_;
  std::vector<std::unique_ptr<Form>> released_;
  int closings_ = 0;  // forms hidden or unloaded so far
  int serving_ = 0;   // depth of handlers running, for safe deletion
  bool ended_ = false;
  std::string programFolder_;
  std::string title_;
  std::vector<WindowIcon> icons_;
  std::optional<FrameExtents> desktopFrame_;
  std::mutex postedLock_;
  std::vector<std::function<void()>> posted_;
  std::vector<std::function<void()>> idleTasks_;
  long served_ = 0;  // events, timers and posted tasks served so far
};

// Serves pending events: the platform's event yield.
inline void DoEvents() {
  App::instance().doEvents();
}

}  // namespace velloran::rt
