#include "x11/desktop_resources.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace velloran::testing {
namespace {

// Kept open: an X server whose last client leaves starts afresh, and the root's resources go
// with it.
Display* connection() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

}  // namespace

void setDesktopResources(const std::string& text) {
  Display* display = connection();
  if (!display) return;
  const Window root = DefaultRootWindow(display);
  if (text.empty()) {
    XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
  } else {
    XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<int>(text.size()));
  }
  XSync(display, False);
}

rt::Rect screenArea() {
  Display* display = connection();
  if (!display) return {};
  return {0, 0, DisplayWidth(display, DefaultScreen(display)),
          DisplayHeight(display, DefaultScreen(display))};
}

}  // namespace velloran::testing
