#pragma once
// The backend for real windows on an X desktop, straight on Xlib: the program starts without
// SDL, whose video start (and the libraries it links) took longer than all the rest of the
// start-up. It does for the game's windows what SDL's X11 driver did: the same window
// properties for the window manager, the same keys, text, clicks, focus, close requests,
// frames and clipboard. The loop sleeps in poll() on the X connection and an eventfd.

#include <memory>

#include "runtime/backend.h"

namespace velloran::rt {

// The backend on the X server of $DISPLAY; nullptr when its pixels are not laid out as the
// game's pictures (the SDL backend serves then). Raises a run-time error when the display
// cannot be opened.
std::unique_ptr<Backend> openX11Backend();

// The X window showing a form of that backend; 0 when it has none.
unsigned long x11WindowOf(const Form& form);

}  // namespace velloran::rt
