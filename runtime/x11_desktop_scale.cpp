// The desktop's scale as an X server tells it.

#include "runtime/desktop_scale.h"
#include "runtime/shared_library.h"
// Xlib's macros (None, Bool, KeyPress) after our own headers.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <cstring>

namespace velloran::rt {
namespace {

struct MonitorFunctions {
  decltype(&XRRGetMonitors) getMonitors = nullptr;
  decltype(&XRRFreeMonitors) freeMonitors = nullptr;
  template <class Each>
  void forEach(Each&& each) {
    each(getMonitors, "XRRGetMonitors");
    each(freeMonitors, "XRRFreeMonitors");
  }
};

// Whether the X server is a Wayland compositor's Xwayland: it says so by an extension from
// version 23.1 on, and names its monitors XWAYLAND0, XWAYLAND1, ... in every version.
bool servedByXwayland(Display* display) {
  int opcode = 0, event = 0, error = 0;
  if (XQueryExtension(display, "XWAYLAND", &opcode, &event, &error)) return true;
  static MonitorFunctions randr;
  static const bool loaded = bindSharedLibrary(randr, "libXrandr.so.2");
  if (!loaded || !XQueryExtension(display, "RANDR", &opcode, &event, &error)) return false;
  int count = 0;
  XRRMonitorInfo* monitors = randr.getMonitors(display, DefaultRootWindow(display), True, &count);
  bool named = false;
  for (int i = 0; i < count && !named; ++i) {
    char* name = monitors[i].name ? XGetAtomName(display, monitors[i].name) : nullptr;
    named = name && std::strncmp(name, "XWAYLAND", 8) == 0;
    if (name) XFree(name);
  }
  if (monitors) randr.freeMonitors(monitors);
  return named;
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
