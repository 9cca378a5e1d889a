#pragma once
// Reads pixels off the X display, kept apart from the game's headers because Xlib's
// macros (None, Bool, KeyPress) clash with ordinary names.

#include <optional>

#include "runtime/picture.h"

namespace velloran::testing {

std::optional<rt::Picture> grabScreen(int x, int y, int width, int height);

}  // namespace velloran::testing
