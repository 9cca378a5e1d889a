#include "dialogs/dialog_layout.h"

#include <cmath>

#include "runtime/text.h"
#include "windows/table_window.h"

namespace velloran {

void centreOverTable(rt::Form& dialog) {
  rt::Form& table = tableWindow();
  const auto half = [](int difference) { return static_cast<int>(std::lround(difference / 2.0)); };
  dialog.move(table.left() + half(table.width() - dialog.width()),
              table.top() + half(table.height() - dialog.height()));
}

void fitCaption(rt::Panel3D& panel, int width) {
  constexpr double kPixel = 0.75;  // points, at 96 pixels to the inch
  constexpr double kSmallest = 6;
  while (panel.font.points - kPixel >= kSmallest &&
         rt::textWidth(panel.font, panel.caption) > width) {
    panel.font.points -= kPixel;
  }
}

}  // namespace velloran
