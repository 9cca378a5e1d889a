#pragma once
// Sends parts of a picture straight to a window on an X server: only the rectangles asked
// for, and without waiting for the server to answer. Kept apart from the rest of the
// runtime because Xlib's macros (None, Bool, KeyPress) clash with ordinary names.

#include <vector>

#include "runtime/picture.h"

struct SDL_Window;

namespace velloran::rt {

// False when the window is not on an X server whose pixels are laid out as the picture's;
// the caller then shows the picture some other way.
bool putOnX11Window(SDL_Window* window, const Picture& picture, const std::vector<Rect>& rects);

}  // namespace velloran::rt
