#pragma once
// A fresh headless event loop for each test: virtual clock, scripted input, recorded
// message boxes.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "runtime/app.h"
#include "runtime/headless_backend.h"

namespace velloran::testing {

// A key pressed to close a dialog, `delay` seconds after it came on top; its key-up goes to
// the window under it.
inline std::vector<rt::ScriptedInput> closingKey(std::int16_t key, double delay = 0) {
  std::vector<rt::ScriptedInput> keys = rt::pressKeys({key}, delay);
  keys.pop_back();
  return keys;
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
