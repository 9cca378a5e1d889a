#include "runtime/app.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "base/clock.h"
#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/timer.h"

namespace velloran::rt {
namespace {

// Keeps count of handlers running, so forms released meanwhile outlive them.
class ServingScope {
 public:
  explicit ServingScope(int& depth) : depth_(depth) { ++depth_; }
  ~ServingScope() { --depth_; }
  ServingScope(const ServingScope&) = delete;
  ServingScope& operator=(const ServingScope&) = delete;

 private:
  int& depth_;
};

}  // namespace

App& App::instance() {
  // Never destroyed: window instances that outlive main() still find it in their destructors.
  static App* const app = new App;
  return *app;
}

void App::setBackend(std::unique_ptr<Backend> backend) {
  backend_ = std::move(backend);
  desktopFrame_.reset();  // a new desktop
  setGameClock(backend_ ? &backend_->clock() : nullptr);
  ended_ = false;
}

Backend& App::backend() {
  if (!backend_) throw std::logic_error("no window backend has been set");
  return *backend_;
}

Form* App::activeForm() const {
  if (!modalStack_.empty()) return modalStack_.back();
  return focused_;
}

void App::formLoaded(Form& form) {
  forms_.push_back(&form);
  if (!focused_) focused_ = &form;
}

void App::refocusFrom(Form& leaving) {
  // The keyboard goes to the window that had it before, if it is still on the screen.
  if (focused_ == &leaving) focused_ = focusedBefore(leaving);
}

Form* App::focusedBefore(const Form& form) const {
  for (auto it = focusOrder_.rbegin(); it != focusOrder_.rend(); ++it) {
    if (*it != &form && (*it)->visible()) return *it;
  }
  return nullptr;
}

void App::formHidden(Form& form) {
  ++closings_;
  refocusFrom(form);
}

void App::formUnloaded(Form& form) {
  ++closings_;
  if (mainForm_ == &form) mainForm_ = nullptr;
  std::erase(forms_, &form);
  std::erase(modalStack_, &form);
  std::erase_if(sentKeys_, [&](const InputEvent& e) { return e.form == &form; });
  refocusFrom(form);
  std::erase(focusOrder_, &form);
}

void App::formFocused(Form& form) {
  focused_ = &form;
  std::erase(focusOrder_, &form);
  focusOrder_.push_back(&form);
}

void App::addTimer(Timer& timer) {
  timers_.push_back(&timer);
}
void App::removeTimer(Timer& timer) {
  std::erase(timers_, &timer);
}

double App::secondsToNextTimer() const {
  double soonest = -1;
  const double now = backend_->clock().monotonic();
  for (const Timer* timer : timers_) {
    if (!timer->ready()) continue;
    const double wait = std::max(0.0, timer->due_ - now);
    if (soonest < 0 || wait < soonest) soonest = wait;
  }
  return soonest;
}

void App::fireDueTimers() {
  // A handler may switch timers, delete them or yield into a nested loop that fires
  // them again; walk a snapshot and check each one is still there and due.
  const std::vector<Timer*> snapshot = timers_;
  for (Timer* timer : snapshot) {
    if (ended_) return;
    if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end()) continue;
    if (!timer->ready() || backend_->clock().monotonic() < timer->due_) continue;
    // Missed intervals are not made up: the next one counts from now.
    timer->restart();
    ++served_;
    ServingScope scope(serving_);
    timer->onTimer_();
  }
}

void App::dispatch(const InputEvent& event) {
  ++served_;
  if (event.kind == InputEvent::Kind::Quit) {
    // Whatever dialog is up, the program ends the way closing its main window ends it.
    if (!forms_.empty()) {
      ServingScope scope(serving_);
      forms_.front()->unload();
    }
    return;
  }
  Form* active = activeForm();
  Form* target = event.form ? event.form : active;
  if (!target || !target->loaded()) return;
  using Kind = InputEvent::Kind;
  if (event.kind == Kind::Exposed) {
    target->refresh();
    return;
  }
  const bool underModal =
      !modalStack_.empty() && target != modalStack_.back() && !target->standsAlone;
  if (event.kind == Kind::FocusGained) {
    // A window manager gives the keyboard to a window clicked under a dialog: the dialog
    // takes it straight back, as the windows under it take no input.
    if (underModal) modalStack_.back()->setFocus();
    return;
  }
  // A window without a border has no close box: the player closes it the dialog's own way,
  // not by a window manager's close request (which would leave its result unset).
  if (event.kind == Kind::Close && target->borderStyle() == BorderStyle::None) return;
  // Keys typed while a window under a dialog has the keyboard (the window manager gave it
  // at a click, and the dialog has not yet taken it back) are the dialog's.
  const bool key =
      event.kind == Kind::KeyDown || event.kind == Kind::KeyUp || event.kind == Kind::KeyPress;
  if (underModal && key) {
    target = modalStack_.back();
  } else if (underModal) {
    // While a modal form is up, the windows under it take no input; a click there
    // dismisses a pop-up menu.
    if (event.kind == Kind::MouseDown && modalStack_.back()->closesOnOutsideClick) {
      modalStack_.back()->hide();
    }
    return;
  }
  ServingScope scope(serving_);
  switch (event.kind) {
    case Kind::KeyDown:
      target->routeKeyDown(event.code, event.shift);
      break;
    case Kind::KeyUp:
      target->routeKeyUp(event.code, event.shift);
      break;
    case Kind::KeyPress:
      target->routeKeyPress(event.code);
      break;
    case Kind::MouseDown:
      target->routeMouse(0, event.code, event.x, event.y);
      break;
    case Kind::MouseUp:
      target->routeMouse(1, event.code, event.x, event.y);
      break;
    case Kind::MouseMove:
      target->routeMouse(2, event.code, event.x, event.y);
      break;
    case Kind::Close:
      target->unload();
      break;
    case Kind::Exposed:
    case Kind::FocusGained:
    case Kind::Quit:
      break;
  }
}

void App::dispatchPending() {
  // Keys the game sent itself come first: they were queued before anything now pending.
  while (!sentKeys_.empty() && !ended_) {
    const InputEvent event = sentKeys_.front();
    sentKeys_.erase(sentKeys_.begin());
    dispatch(event);
  }
  InputEvent event;
  while (!ended_ && backend_->pollEvent(activeForm(), event)) dispatch(event);
}

void App::collectReleased() {
  if (serving_ == 0) released_.clear();
}

void App::post(std::function<void()> task) {
  {
    const std::lock_guard lock(postedLock_);
    posted_.push_back(std::move(task));
  }
  if (backend_) backend_->wake();
}

void App::whenIdle(std::function<void()> task) {
  idleTasks_.push_back(std::move(task));
}

void App::runPosted() {
  std::vector<std::function<void()>> tasks;
  {
    const std::lock_guard lock(postedLock_);
    tasks.swap(posted_);
  }
  ServingScope scope(serving_);
  for (auto& task : tasks) {
    if (ended_) return;
    ++served_;
    task();
  }
}

void App::doEvents() {
  if (ended_) return;
  runPosted();
  fireDueTimers();
  dispatchPending();
  collectReleased();
}

void App::waitAndServe(double limit) {
  if (ended_) return;
  const int closings = closings_;
  doEvents();
  // A form that closed may end the loop that called us: let it look before we wait.
  if (ended_ || closings != closings_) return;
  double wait = secondsToNextTimer();
  if (limit >= 0 && (wait < 0 || limit < wait)) wait = limit;
  // Work kept for an idle moment waits until nothing has come for a while: a window just
  // shown is drawn first.
  constexpr double kQuiet = 0.05;
  if (!idleTasks_.empty() && (wait < 0 || wait > kQuiet)) {
    const long before = served_;
    backend_->waitEvent(activeForm(), kQuiet);
    doEvents();
    if (ended_ || served_ != before || closings != closings_) return;
    const auto task = std::move(idleTasks_.front());
    idleTasks_.erase(idleTasks_.begin());
    ServingScope scope(serving_);
    task();
    return;
  }
  backend_->waitEvent(activeForm(), wait);
  doEvents();
}

void App::serveNext() {
  waitAndServe(-1);
}

void App::serveUntil(double deadline) {
  for (double now = clock().monotonic(); !ended_ && now < deadline; now = clock().monotonic()) {
    waitAndServe(deadline - now);
  }
}

void App::runModal(Form& form) {
  // The form stays alive until its loop is done, even if it is released while it closes.
  ServingScope scope(serving_);
  form.modal_ = true;
  // A dialog belongs to the one under it, the first to the main window, whatever window
  // (the help, say) had the keyboard when it opened.
  Form* owner = !modalStack_.empty()                                     ? modalStack_.back()
                : mainForm_ && mainForm_ != &form && mainForm_->loaded() ? mainForm_
                                                                         : focusedBefore(form);
  if (owner) backend().setOwner(form, *owner);
  modalStack_.push_back(&form);
  while (!ended_ && form.loaded() && form.visible()) serveNext();
  std::erase(modalStack_, &form);
  form.modal_ = false;
  if (ended_) throw ProgramEnded{};
  // As on any desktop, the keyboard goes back to the window the dialog was over.
  if (Form* under = activeForm(); under && under->loaded() && under->visible()) under->setFocus();
}

int App::run(Form& mainForm) {
  mainForm_ = &mainForm;
  try {
    mainForm.show();
    while (!ended_ && mainForm.loaded()) serveNext();
  } catch (const ProgramEnded&) {
  }
  ended_ = true;
  return 0;
}

void App::end() {
  ended_ = true;
  throw ProgramEnded{};
}

void App::setDesktopFrame(FrameExtents frame) {
  desktopFrame_ = frame;
}

void App::messageBox(const std::string& text, const std::string& title) {
  backend().messageBox(text, title, activeForm());
}

void App::sendKeys(std::string_view keys) {
  if (keys != "{TAB}") return;
  // As if typed: the keys go to whichever form is active when they are taken, which
  // is another one when the sender closes meanwhile.
  sentKeys_.push_back({InputEvent::Kind::KeyDown, nullptr, vbKeyTab, 0, 0, 0});
  sentKeys_.push_back({InputEvent::Kind::KeyPress, nullptr, vbKeyTab, 0, 0, 0});
  sentKeys_.push_back({InputEvent::Kind::KeyUp, nullptr, vbKeyTab, 0, 0, 0});
}

const std::string& App::programFolder() {
  if (programFolder_.empty()) {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string exe = length > 0 ? std::string(path, static_cast<std::size_t>(length)) : ".";
    const auto slash = exe.find_last_of('/');
    programFolder_ = slash == std::string::npos ? "." : exe.substr(0, slash);
  }
  return programFolder_;
}

void App::shutdown() {
  released_.clear();
  setBackend(nullptr);
}

void App::releaseLater(std::unique_ptr<Form> form) {
  if (form) released_.push_back(std::move(form));
}

}  // namespace velloran::rt
