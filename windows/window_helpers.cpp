#include "windows/window_helpers.h"

#include <algorithm>

#include "runtime/text.h"

namespace velloran {

void gsSizeFormClient(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      rt::Form& form) {
  const int menuBar = form.hasMenuBar() ? kMenuBarHeight : 0;
  form.setClientSize(right - left + 1, bottom - top + 1 + kMenuBarHeight - menuBar);
}

void gsCenterForm(rt::Form& form) {
  // The screen is the part of the primary monitor the desktop's panels leave free. A window
  // larger than it keeps its title bar and toolbar inside: its top-left corner.
  const rt::Rect area = rt::App::instance().workArea();
  form.move(std::max(area.x, area.x + (area.width - form.width()) / 2),
            std::max(area.y, area.y + (area.height - form.height()) / 2));
}

void gsPause(double seconds) {
  if (!(seconds > 0)) return;
  rt::App& app = rt::App::instance();
  // The monotonic clock, so that a pause across midnight still ends on time.
  app.serveUntil(app.clock().monotonic() + seconds);
}

void gsPrintText(rt::Picture& target, std::int16_t x, std::int16_t y, const std::string& text,
                 rt::Colour colour, const std::string& fontName, double fontSize, bool bold) {
  trap("gsPrintText", [&] {
    rt::printText(target, x, y, text, colour, rt::Font{fontName, fontSize, bold});
  });
}

void gsPrintText(rt::Form& target, std::int16_t x, std::int16_t y, const std::string& text,
                 rt::Colour colour, const std::string& fontName, double fontSize, bool bold) {
  gsPrintText(target.surface(), x, y, text, colour, fontName, fontSize, bold);
}

void gsReportError(std::int32_t number, const std::string& description,
                   const std::string& procedure) {
  rt::App::instance().messageBox("Error " + std::to_string(number) + " - " + description,
                                 "Error In " + procedure);
}

void installErrorReporter() {
  setErrorReporter(gsReportError);
}

}  // namespace velloran
