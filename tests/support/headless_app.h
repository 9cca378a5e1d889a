#pragma once
// A fresh headless event loop for each test: virtual clock, scripted input, recorded
// message boxes.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "runtime/app.h"
#include "runtime/desktop_input.h"
#include "runtime/headless_backend.h"

namespace velloran::testing {

// A key pressed to close a dialog, `delay` seconds after it came on top; its key-up goes to
// the window under it.
inline std::vector<rt::ScriptedInput> closingKey(std::int16_t key, double delay = 0) {
  std::vector<rt::ScriptedInput> keys = rt::pressKeys({key}, delay);
  keys.pop_back();
  return keys;
}

// A key as a desktop gives it with modifiers held: down, the character it types (Ctrl+C
// types 3), up.
inline std::vector<rt::ScriptedInput> chord(std::int16_t code, std::int16_t shift = 0) {
  using Kind = rt::InputEvent::Kind;
  const rt::InputEvent down{Kind::KeyDown, nullptr, code, shift, 0, 0};
  std::vector<rt::ScriptedInput> input{{down, 0}};
  if (const int typed = rt::typedCharacterOf(down)) {
    input.push_back({{Kind::KeyPress, nullptr, static_cast<std::int16_t>(typed), 0, 0, 0}, 0});
  }
  input.push_back({{Kind::KeyUp, nullptr, code, shift, 0, 0}, 0});
  return input;
}

class HeadlessApp : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<rt::HeadlessBackend>();
    headless = backend.get();
    rt::App::instance().setBackend(std::move(backend));
  }
  void TearDown() override { rt::App::instance().doEvents(); }

  rt::App& app() { return rt::App::instance(); }
  double now() { return headless->manualClock().monotonic(); }

  rt::HeadlessBackend* headless = nullptr;
};

}  // namespace velloran::testing
