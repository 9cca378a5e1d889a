#pragma once
// The program's icon on an X window: _NET_WM_ICON, every size in one property. Xlib's own
// header stays out: its None would clash with the runtime's names.

#include <vector>

#include "runtime/window_icon.h"

struct _XDisplay;

namespace velloran::rt {

void setX11WindowIcon(_XDisplay* display, unsigned long window,
                      const std::vector<WindowIcon>& icons);

}  // namespace velloran::rt
