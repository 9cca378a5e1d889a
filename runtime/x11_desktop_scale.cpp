// The desktop's scale as an X server tells it.

#include "runtime/desktop_scale.h"
// Xlib's macros (None, Bool, KeyPress) after our own headers.
#include <X11/Xlib.h>

#include <cstdlib>

namespace velloran::rt {

int x11DesktopScale(void* connection, ScreenSize monitor) {
  auto* display = static_cast<Display*>(connection);
  // Xlib read the root's resources when it opened the display, as every X program does.
  const char* resources = XResourceManagerString(display);
  int opcode = 0, event = 0, error = 0;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool xwayland =
      (wayland && *wayland) || XQueryExtension(display, "XWAYLAND", &opcode, &event, &error);
  return chooseDesktopScale(
      {resources ? resources : "", monitor, xwayland, std::getenv("VELLORAN_SCALE")});
}

}  // namespace velloran::rt
