#pragma once
// The error box of a real desktop: the text beside an exclamation sign and one OK button,
// modal over the whole program (timers go on; the windows under it take no input).

#include <string>

namespace velloran::rt {

class Form;

// The box is wide enough for its text and for its title in a window manager's title bar.
// Shows the box centred over `owner` (or the screen) and returns when it is closed with
// OK, Enter, Space or Escape.
void showMessageBox(const std::string& text, const std::string& title, Form* owner);

}  // namespace velloran::rt
