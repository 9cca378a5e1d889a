#pragma once
// What a window system must give the event loop. Three backends stand behind it: our own
// on Xlib for X desktops, SDL2 for real windows elsewhere, and a headless one for tests
// (virtual clock, scripted input).

#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.h"
#include "runtime/picture.h"

namespace velloran::rt {

class Form;

struct InputEvent {
  // Quit: the desktop asks the program to end (the session closes, a terminate signal).
  // FocusGained: the desktop gave a window the keyboard (a click on it, say).
  enum class Kind {
    KeyDown,
    KeyUp,
    KeyPress,
    MouseDown,
    MouseUp,
    MouseMove,
    Close,
    Exposed,
    FocusGained,
    Quit
  };
  Kind kind = Kind::KeyDown;
  Form* form = nullptr;    // the window it happened in; nullptr = the active form
  std::int16_t code = 0;   // key code, character code or mouse button (1 left, 2 right)
  std::int16_t shift = 0;  // shift state bits
  int x = 0, y = 0;        // mouse position in the form's client area
};

// How far a window's outer rectangle reaches beyond its client area on each side.
struct FrameExtents {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const FrameExtents&) const = default;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual void openWindow(Form& form) = 0;  // created hidden
  virtual void closeWindow(Form& form) = 0;
  virtual void showWindow(Form& form, bool visible) = 0;
  virtual void placeWindow(Form& form) = 0;  // position and client size from the form
  virtual void present(Form& form) = 0;      // the form's surface becomes what it shows
  // Only these rectangles of the form's composed image changed since it was last shown.
  virtual void presentRects(Form& form, const std::vector<Rect>& rects) {
    (void)rects;
    present(form);
  }
  // Sends what was drawn to the screen now rather than when the loop next looks for input.
  virtual void flush() {}
  virtual void focusWindow(Form& form) = 0;
  // Keeps a modal dialog above the window it was opened over.
  virtual void setOwner(Form& dialog, Form& owner) { (void)dialog, (void)owner; }

  // Takes the next pending input event; `active` is the form that input goes to now.
  virtual bool pollEvent(Form* active, InputEvent& event) = 0;
  // Blocks until input may be pending or `seconds` have passed (negative: no limit).
  virtual void waitEvent(Form* active, double seconds) = 0;
  // Makes a wait in progress (or the next one) return soon. Safe from any thread.
  virtual void wake() {}

  virtual Clock& clock() = 0;
  virtual void messageBox(const std::string& text, const std::string& title, Form* owner) = 0;
  // The part of the screen windows may take: the primary monitor's, less the desktop's panels.
  virtual Rect workArea() = 0;
  virtual bool realWindows() const = 0;
  // Screen pixels per game pixel, as the desktop asks (double on many dots per inch).
  virtual int desktopScale() const { return 1; }

  virtual std::string clipboardText() { return clipboard_; }
  virtual void setClipboardText(const std::string& text) { clipboard_ = text; }

 private:
  std::string clipboard_;
};

}  // namespace velloran::rt
