#include "runtime/x11_window_icon.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <climits>

namespace velloran::rt {

void setX11WindowIcon(Display* display, ::Window window, const std::vector<WindowIcon>& icons) {
  // Width, height, then the pixels, for each size in turn. Xlib takes 32-bit items as longs.
  std::vector<unsigned long> data;
  for (const WindowIcon& icon : icons) {
    if (icon.argb.empty()) continue;
    data.push_back(static_cast<unsigned long>(icon.width));
    data.push_back(static_cast<unsigned long>(icon.height));
    data.insert(data.end(), icon.argb.begin(), icon.argb.end());
  }
  if (data.empty() || data.size() > INT_MAX) return;
  // Xlib keeps the atom once asked: a later window costs no round trip.
  const Atom property = XInternAtom(display, "_NET_WM_ICON", False);
  XChangeProperty(display, window, property, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
}

}  // namespace velloran::rt
