// The desktop's scale as an X server tells it.

#include "runtime/desktop_scale.h"
#include "runtime/x11_connection.h"
// Xlib's macros (None, Bool, KeyPress) after our own headers.
#include <X11/Xlib.h>

#include <cstdlib>

namespace velloran::rt {
namespace {

bool servedByXwayland(Display* display) {
  int opcode = 0, event = 0, error = 0;
  if (XQueryExtension(display, "XWAYLAND", &opcode, &event, &error)) return true;
  for (const Monitor& monitor : x11Monitors(display)) {
    if (monitor.name.starts_with("XWAYLAND")) return true;
  }
  return false;
}

}  // namespace

int x11DesktopScale(void* connection, const Rect& room) {
  auto* display = static_cast<Display*>(connection);
  // Xlib read the root's resources when it opened the display, as every X program does.
  const char* resources = XResourceManagerString(display);
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool xwayland = (wayland && *wayland) || servedByXwayland(display);
  return chooseDesktopScale(
      {resources ? resources : "", room, xwayland, std::getenv("VELLORAN_SCALE")});
}

}  // namespace velloran::rt
