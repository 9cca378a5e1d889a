#pragma once
// The desktop's X resources, as its settings set them on the root window (RESOURCE_MANAGER,
// where xrdb puts them), kept apart from the game's headers because Xlib's macros (None, Bool,
// KeyPress) clash with ordinary names.

#include <string>

#include "runtime/backend.h"

namespace velloran::testing {

// Sets the root's resources; an empty text removes them. A program reads them when it opens
// the display.
void setDesktopResources(const std::string& text);
// The whole screen, in its own pixels.
rt::Rect screenArea();

}  // namespace velloran::testing
