#pragma once
// A pop-up menu: a small window of items over its owner, chosen with the mouse or with
// Up, Down and Enter; Escape or a click elsewhere dismisses it. It runs a nested loop,
// so timers go on firing while it is open.

#include <string>
#include <vector>

#include "runtime/form.h"

namespace velloran::rt {

struct MenuItem {
  std::string caption;
  bool checked = false;
};

// Shows `items` with the top-left corner at (x, y) of the owner's client area and returns
// the chosen item's place (1 for the first), or 0 when the menu was dismissed. `name` is
// the menu window's name (scripted input in tests is keyed by it).
int popupMenu(Form& owner, const std::string& name, const std::vector<MenuItem>& items, int x,
              int y);

}  // namespace velloran::rt
