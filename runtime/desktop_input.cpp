#include "runtime/desktop_input.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdlib>

#include "runtime/app.h"
#include "runtime/form.h"
#include "runtime/keys.h"

namespace velloran::rt {
namespace {

// Only async-signal-safe work in the handler.
volatile std::sig_atomic_t quitSignalled = 0;
std::atomic<int> signalWakeFd{-1};

void askQuit(int) {
  quitSignalled = 1;
  if (const int fd = signalWakeFd.load(); fd >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
  }
}

}  // namespace

int typedCharacterOf(const InputEvent& event) {
  if (event.kind != InputEvent::Kind::KeyDown) return 0;
  if (event.code >= vbKeyA && event.code <= vbKeyA + 25 && (event.shift & vbCtrlMask) &&
      !(event.shift & vbAltMask)) {
    return event.code - vbKeyA + 1;
  }
  return controlCharacterOf(event.code);
}

std::string titleOf(const Form& form) {
  return form.caption().empty() ? App::instance().title() : form.caption();
}

int latin1Of(const char* utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8);
  if (s[0] < 0x80) return s[0];
  if ((s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80) {
    const int code = ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
    return code <= 0xFF ? code : 0;
  }
  return 0;
}

std::string utf8ToLatin1(std::string_view utf8) {
  const std::string text(utf8);  // latin1Of reads up to a terminating zero
  std::string kept;
  for (const char* c = text.c_str(); *c; ++c) {
    if (const int code = latin1Of(c)) kept.push_back(static_cast<char>(code));
    if (static_cast<unsigned char>(*c) >= 0xC0) ++c;
  }
  return kept;
}

bool isSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

WakeUp::WakeUp() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  quitSignalled = 0;
  signalWakeFd = fd_;
  struct sigaction action {};
  action.sa_handler = askQuit;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

WakeUp::~WakeUp() {
  signalWakeFd = -1;
  if (fd_ >= 0) close(fd_);
}

void WakeUp::wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
}

void WakeUp::drain() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t taken = read(fd_, &count, sizeof count);
}

bool WakeUp::quitPending() const {
  return quitSignalled != 0;
}

bool WakeUp::takeQuit() {
  if (!quitSignalled) return false;
  quitSignalled = 0;
  return true;
}

}  // namespace velloran::rt
