#pragma once
// Where the game's dialogs stand, and captions kept inside their panels.

#include "runtime/controls.h"
#include "runtime/form.h"

namespace velloran {

// Moves the dialog so that its outer rectangle is centred on the table window's, keeping
// its size.
void centreOverTable(rt::Form& dialog);

// Makes the panel's caption fit `width` pixels, taking its font down a pixel at a time when
// it runs wider: our stand-in fonts can be wider than the ones the dialogs were drawn for.
void fitCaption(rt::Panel3D& panel, int width);

}  // namespace velloran
