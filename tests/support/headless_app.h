#pragma once
// A fresh headless event loop for each test: virtual clock, scripted input, recorded
// message boxes.

#include <gtest/gtest.h>

#include <memory>

#include "runtime/app.h"
#include "runtime/headless_backend.h"

namespace velloran::testing {

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
