#pragma once
// The small helpers every window of the game shares: sizing and centring windows,
// pausing while events go on, releasing window instances, printing text, and the one
// error reporter behind the failure convention.

#include <cstdint>
#include <string>

#include "base/strip_comma.h"
#include "base/trap.h"
#include "runtime/app.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"
#include "runtime/picture.h"

namespace velloran {

// Height our menu bar takes from a window's client area.
inline constexpr int kMenuBarHeight = 20;

// Sizes the window so that its client area covers the rectangle (right and bottom
// inclusive) plus the allowance for a menu bar; a window that really has a menu bar keeps
// that allowance for the bar. Callers without a menu subtract 20 from the bottom.
void gsSizeFormClient(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      rt::Form& form);
// Places the window in the middle of the screen.
void gsCenterForm(rt::Form& form);
// Waits `seconds` of clock time while serving events; 0 or less returns at once.
void gsPause(double seconds);

// Releases window instances: each that is set is let go (deleted once no handler of it
// runs any more) and its global left empty. Failures are skipped.
template <class... Forms>
void gsReleaseObjects(rt::FormInstance<Forms>&... forms) {
  (ignoreErrors([&] { forms.release(); }), ...);
}

// Prints one line with its top-left at (x, y) in the given font and colour.
void gsPrintText(rt::Picture& target, std::int16_t x, std::int16_t y, const std::string& text,
                 rt::Colour colour, const std::string& fontName, double fontSize, bool bold);
void gsPrintText(rt::Form& target, std::int16_t x, std::int16_t y, const std::string& text,
                 rt::Colour colour, const std::string& fontName, double fontSize, bool bold);

// The error box: "Error <number> - <description>", titled "Error In <procedure>".
void gsReportError(std::int32_t number, const std::string& description,
                   const std::string& procedure);
// Makes gsReportError the reporter of every trap in the program.
void installErrorReporter();

}  // namespace velloran
