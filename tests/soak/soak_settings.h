#pragma once
// Settings of the soak from the environment, and the seed in play when something fails.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace velloran::soak {

// A whole number from the environment, or `otherwise` when it is not set.
inline long settingOr(const char* name, long otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtol(value, nullptr, 10) : otherwise;
}

// Names the seed in play, and how to play it again: in every failure while this lives, and
// after a sanitizer's report, which ends the process before any test can say it.
class SeedInPlay {
 public:
  SeedInPlay(const std::string& doing, long seed, const std::string& alone);
  ~SeedInPlay();
  SeedInPlay(const SeedInPlay&) = delete;
  SeedInPlay& operator=(const SeedInPlay&) = delete;

 private:
  std::string note_;
  ::testing::ScopedTrace trace_;
};

}  // namespace velloran::soak
