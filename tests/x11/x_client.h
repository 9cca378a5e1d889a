#pragma once
// What another X client sees of the game's windows and does to them, kept apart from the
// game's headers because Xlib's macros (None, Bool, KeyPress) clash with ordinary names.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/backend.h"
#include "runtime/form.h"

namespace velloran::testing {

// The two backends for real windows: our own on Xlib, which the game takes on an X desktop,
// and SDL's, which it takes elsewhere (and on an X server whose pixels are laid out unlike
// its pictures').
enum class Desktop { X11, Sdl };
std::unique_ptr<rt::Backend> openBackend(Desktop desktop);
std::string nameOf(Desktop desktop);

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// The game's windows on the screen (WM_CLASS "velloran", mapped), oldest first.
std::vector<unsigned long> gameWindows();
std::string windowName(unsigned long window);
// Whether a window is mapped and all its ancestors are (a window manager maps its frame).
bool viewable(unsigned long window);
// The client area of a window, in screen coordinates.
std::optional<ScreenRect> clientRect(unsigned long window);
// The X window showing a form, on either backend.
unsigned long xWindowOf(const rt::Form& form);
// A window's property of 32-bit values, of any type (atoms as their names' numbers); empty
// when it has none.
std::vector<long> property32(unsigned long window, const std::string& name);
// The names of the atoms a window's property lists.
std::vector<std::string> atomNames(unsigned long window, const std::string& name);
// The size limits a window gives the window manager: min width, min height, max width, max
// height; none when it gives none.
std::optional<std::vector<int>> sizeLimits(unsigned long window);
// Asks the window manager to maximise a window, as its title bar's button would.
void askToMaximise(unsigned long window);
// Asks a window to close, as a window manager does on Alt+F4.
void askToClose(unsigned long window);
// Runs xdotool with the arguments on this display; whether it succeeded. Its connection is a
// new one each time, which a loaded X server may drop before anything is sent: it is then
// run again.
bool xdotool(const std::string& arguments);
// Input as another client gives it (the XTEST extension, as xdotool does), from the one
// connection the questions above use. Keys by their X names ("Return", "Left", "a"), with
// the modifiers held; text of letters, digits and blanks; a click of the left button.
void pressKey(const std::string& name, const std::vector<std::string>& held = {});
void typeText(const std::string& text);
void movePointer(int screenX, int screenY);
void clickAt(int screenX, int screenY);
// Asks for a top-level window to be moved, as another program may: a window manager, if one
// runs, does it.
void moveTopLevel(unsigned long window, int screenX, int screenY);
// The pixels of a part of the screen, row by row, as 0xRRGGBB; none when it cannot be read
// (part of it off the screen).
std::vector<std::uint32_t> screenPixels(int x, int y, int width, int height);
// The window the window manager holds active (_NET_ACTIVE_WINDOW), 0 if none.
unsigned long activeWindow();
// Whether a window manager runs on the display.
bool windowManagerRuns();
// Whether it manages a window mapped now, within `seconds`: it announces itself before it
// takes the first windows.
bool windowManagerManages(double seconds);

// Watches the screen's top-level windows (a window manager's frames, or windows it does not
// frame) from a connection of its own, from its making on: where each lies while it shows.
class TopLevelPlaces {
 public:
  TopLevelPlaces();
  ~TopLevelPlaces();
  TopLevelPlaces(const TopLevelPlaces&) = delete;
  TopLevelPlaces& operator=(const TopLevelPlaces&) = delete;

  // The places (x, y) a top-level window took since it last showed: the one it showed at,
  // then each it moved to.
  std::vector<std::pair<int, int>> placesWhileShown(unsigned long topLevel);

 private:
  struct State;
  State* state_;
};
// The top-level window that holds a window: its frame, under a window manager.
unsigned long topLevelOf(unsigned long window);
// The outer rectangle of the top-level window that holds a window (its frame), border included.
std::optional<ScreenRect> topLevelRect(unsigned long window);

// A plain window of the test's own, below the table, shown while it lives: it takes the
// keyboard from the game's windows as another program's window would.
class OtherWindow {
 public:
  OtherWindow();
  ~OtherWindow();
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;
  unsigned long id() const { return window_; }

 private:
  void* display_ = nullptr;
  unsigned long window_ = 0;
};

// Panels along the top and the bottom of the screen, as a desktop has: dock windows that keep
// their strips free of other windows (_NET_WM_STRUT and _NET_WM_STRUT_PARTIAL), shown while
// they live.
class Panels {
 public:
  Panels(int top, int bottom);
  ~Panels();
  Panels(const Panels&) = delete;
  Panels& operator=(const Panels&) = delete;
  // Whether the window manager has taken the strips off the desktop's work area (_NET_WORKAREA)
  // within `seconds`.
  bool takenOff(double seconds) const;

 private:
  void* display_ = nullptr;
  int top_ = 0, bottom_ = 0;
};

// Counts the X protocol errors the program's connections receive, in place of Xlib's
// default handler, which would end the test program at the first one.
class XErrorCount {
 public:
  XErrorCount();   // starts counting
  ~XErrorCount();  // puts the previous handler back
  XErrorCount(const XErrorCount&) = delete;
  XErrorCount& operator=(const XErrorCount&) = delete;

  int errors() const;
  int badWindowSends() const;  // BadWindow answers to SendEvent: a wake-up aimed at a gone window
};

// Another client that asks a window to close, as a window manager does on Alt+F4, from a
// thread of its own, and then keeps the X server busy for a moment.
class WindowCloser {
 public:
  WindowCloser();
  ~WindowCloser();
  WindowCloser(const WindowCloser&) = delete;
  WindowCloser& operator=(const WindowCloser&) = delete;
  void close(unsigned long window);

 private:
  struct State;
  State* state_;
};

}  // namespace velloran::testing
