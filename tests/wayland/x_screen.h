#pragma once
// What an X server's screen shows, kept apart from the game's headers because Xlib's macros
// (None, Bool, KeyPress) clash with ordinary names.

#include <optional>
#include <string>

#include "runtime/picture.h"

namespace velloran::testing {

// The whole screen of the display named (":N").
std::optional<rt::Picture> grabXScreen(const std::string& display);

}  // namespace velloran::testing
