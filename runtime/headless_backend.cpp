#include "runtime/headless_backend.h"

#include <cctype>

#include "runtime/form.h"
#include "runtime/keys.h"

namespace velloran::rt {

std::vector<ScriptedInput> pressKeys(std::initializer_list<std::int16_t> keyCodes, double gap) {
  using Kind = InputEvent::Kind;
  std::vector<ScriptedInput> input;
  for (std::int16_t code : keyCodes) {
    input.push_back({{Kind::KeyDown, nullptr, code, 0, 0, 0}, gap});
    if (const std::int16_t typed = controlCharacterOf(code)) {
      input.push_back({{Kind::KeyPress, nullptr, typed, 0, 0, 0}, 0});
    }
    input.push_back({{Kind::KeyUp, nullptr, code, 0, 0, 0}, 0});
  }
  return input;
}

std::vector<ScriptedInput> typeText(const std::string& text, double gap) {
  using Kind = InputEvent::Kind;
  std::vector<ScriptedInput> input;
  for (unsigned char c : text) {
    const auto code = static_cast<std::int16_t>(std::toupper(c));
    input.push_back({{Kind::KeyDown, nullptr, code, 0, 0, 0}, gap});
    input.push_back({{Kind::KeyPress, nullptr, static_cast<std::int16_t>(c), 0, 0, 0}, 0});
    input.push_back({{Kind::KeyUp, nullptr, code, 0, 0, 0}, 0});
  }
  return input;
}

std::vector<ScriptedInput> clickAt(int x, int y, double delay) {
  using Kind = InputEvent::Kind;
  return {{{Kind::MouseDown, nullptr, 1, 0, x, y}, delay},
          {{Kind::MouseUp, nullptr, 1, 0, x, y}, 0}};
}

HeadlessBackend::HeadlessBackend(double timeOfDayAtStart) : clock_(timeOfDayAtStart) {}

void HeadlessBackend::script(const std::string& formName, const std::vector<ScriptedInput>& input) {
  auto& queue = scripts_[formName];
  for (const auto& item : input) queue.push_back({item, -1});
}

bool HeadlessBackend::scriptDone(const std::string& formName) const {
  const auto it = scripts_.find(formName);
  return it == scripts_.end() || it->second.empty();
}

const Picture& HeadlessBackend::shown(const std::string& formName) const {
  static const Picture none;
  const auto it = shown_.find(formName);
  return it == shown_.end() ? none : it->second;
}

int HeadlessBackend::presentCount(const std::string& formName) const {
  const auto it = presents_.find(formName);
  return it == presents_.end() ? 0 : it->second;
}

void HeadlessBackend::openWindow(Form& form) {
  form.setHandle(&form);
}

void HeadlessBackend::closeWindow(Form& form) {
  form.setHandle(nullptr);
}

void HeadlessBackend::present(Form& form) {
  // What the window shows is its client area; the surface may be larger.
  const Picture& image = form.shownImage();
  Picture& shown = shown_[form.name()];
  shown = Picture(form.scaleWidth(), form.scaleHeight());
  BitBlt(shown, 0, 0, shown.width(), shown.height(), image, 0, 0, SRCCOPY);
  ++presents_[form.name()];
}

void HeadlessBackend::respond(const std::string& formName,
                              const std::vector<ScriptedInput>& input) {
  responders_[formName] = input;
}

HeadlessBackend::Pending* HeadlessBackend::head(Form* active) {
  if (!active) return nullptr;
  auto it = scripts_.find(active->name());
  if (it == scripts_.end() || it->second.empty()) {
    const auto responder = responders_.find(active->name());
    if (responder == responders_.end() || responder->second.empty()) return nullptr;
    script(active->name(), responder->second);
    it = scripts_.find(active->name());
  }
  Pending& next = it->second.front();
  if (next.due < 0) next.due = clock_.monotonic() + next.input.delay;
  return &next;
}

bool HeadlessBackend::pollEvent(Form* active, InputEvent& event) {
  Pending* next = head(active);
  if (!next || next->due > clock_.monotonic()) return false;
  event = next->input.event;
  if (!event.form) event.form = active;  // else a window under it, as a click there gives
  scripts_[active->name()].pop_front();
  return true;
}

void HeadlessBackend::waitEvent(Form* active, double seconds) {
  const double now = clock_.monotonic();
  if (now > timeLimit_) {
    throw HeadlessStall("headless: the virtual clock ran past its limit while '" +
                        (active ? active->name() : std::string("no form")) + "' was on top");
  }
  if (const Pending* next = head(active); next && (seconds < 0 || next->due - now < seconds)) {
    clock_.advance(next->due - now);
    return;
  }
  if (seconds >= 0) {
    clock_.advance(seconds);
    return;
  }
  if (stallLimit_ > 0) {
    clock_.advance(stallLimit_);
    return;
  }
  throw HeadlessStall("headless: '" + (active ? active->name() : std::string("no form")) +
                      "' waits for input that no script gives, and no timer runs");
}

void HeadlessBackend::messageBox(const std::string& text, const std::string& title, Form*) {
  messageBoxes_.push_back({text, title});
}

}  // namespace velloran::rt
