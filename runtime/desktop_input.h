#pragma once
// What both real-window backends (X11 and SDL) do alike with the desktop's input: the
// characters typed besides a key, windows' titles, and the desktop's request to end.

#include <string>
#include <string_view>

#include "runtime/backend.h"

namespace velloran::rt {

// The control character a key press types besides its key code, or 0: Enter, Escape,
// Backspace and Tab, and a letter with Ctrl held (Ctrl+C, Ctrl+V, Ctrl+X: the clipboard keys).
int typedCharacterOf(const InputEvent& event);

// A window's title: its caption, else the program's name, never an internal name.
std::string titleOf(const Form& form);

// The first character of UTF-8 text if the game can type it (a single byte), else 0; and
// the text with only such characters kept.
int latin1Of(const char* utf8);
std::string utf8ToLatin1(std::string_view utf8);

// Whether an environment variable is set and not empty.
bool isSet(const char* variable);

// The desktop's request to end (SIGTERM, SIGINT, SIGHUP) is noted and the sleeping loop woken
// through an eventfd that wake() writes too. One at a time: the backend that owns it.
class WakeUp {
 public:
  WakeUp();  // takes the signals
  ~WakeUp();
  WakeUp(const WakeUp&) = delete;
  WakeUp& operator=(const WakeUp&) = delete;

  int fd() const { return fd_; }
  void wake();
  void drain();              // after a wait on fd() that saw it readable
  bool quitPending() const;  // whether a signal asked to end
  bool takeQuit();           // the same, and forgets it

 private:
  int fd_ = -1;
};

}  // namespace velloran::rt
