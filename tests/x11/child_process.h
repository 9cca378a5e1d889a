#pragma once
// Runs a program as a player's desktop would: its own environment, its messages kept.

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velloran::testing {

class ChildProcess {
 public:
  // Starts `argv` with the environment changed as given: ("NAME", "value") sets a variable,
  // ("NAME", std::nullopt) removes it. Standard error is kept for errorText().
  ChildProcess(const std::vector<std::string>& argv,
               const std::vector<std::pair<std::string, std::optional<std::string>>>& env);
  ~ChildProcess();  // kills it if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Waits up to `seconds` for it to end; its wait status, or nothing if it still runs.
  std::optional<int> waitForExit(double seconds);
  // What it wrote to standard error so far.
  const std::string& errorText();

 private:
  pid_t pid_ = -1;
  int errorPipe_ = -1;
  std::string errorText_;
  bool reaped_ = false;
};

// An X server of the test's own (Xvfb on a free display), which the test may kill.
class PrivateXServer {
 public:
  PrivateXServer();
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  const std::string& display() const { return display_; }  // ":N", empty if it did not start
  void kill();  // as a server dies: at once, with no goodbye to its clients

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// The game binary of this build.
std::string gameBinary();

}  // namespace velloran::testing
