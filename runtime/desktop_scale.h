#pragma once
// How large the desktop draws programs: on a screen of many dots per inch it asks for double
// (or triple) size, through the X resource Xft.dpi. The game keeps its own world of pixels
// (every place, size and picture as the table was drawn); the window layer shows each of them
// as a square of screen pixels, and turns what the desktop reports back into game pixels.

#include <cstdint>
#include <string_view>

#include "runtime/backend.h"
#include "runtime/picture.h"

namespace velloran::rt {

constexpr int kMaxDesktopScale = 4;

// What the scale is chosen from.
struct DesktopFacts {
  std::string_view resources;   // the root's X resources (RESOURCE_MANAGER); empty if none
  Rect room;                    // the screen pixels the table may take (the work area)
  bool xwayland = false;        // a Wayland compositor serves X: it scales X programs itself
  const char* asked = nullptr;  // VELLORAN_SCALE: the player's own choice, over the desktop's
};

// The desktop's dots per inch as its resources give them (Xft.dpi); 0 when they do not.
double resourceDpi(std::string_view resources);

// Screen pixels per game pixel: the whole part of dpi / 96, so long as the table at that
// scale fits the room, else the largest that fits; 1 under XWayland. A valid VELLORAN_SCALE
// (1 to kMaxDesktopScale) is taken as it is.
int chooseDesktopScale(const DesktopFacts& facts);

// The scale for the X server `display` (a Display*) whose primary monitor has that size.
int x11DesktopScale(void* display, const Rect& room);

// One scale, both ways across the line between the game and the screen.
struct DesktopScale {
  int factor = 1;

  int toScreen(int game) const { return game * factor; }
  // Rounded down, so that a screen pixel belongs to the game pixel that covers it, at
  // negative places (a pointer left of the window) too.
  int toGame(int screen) const {
    return screen >= 0 ? screen / factor : -((-screen + factor - 1) / factor);
  }
  FrameExtents toGame(const FrameExtents& frame) const {
    return {toGame(frame.left), toGame(frame.top), toGame(frame.right), toGame(frame.bottom)};
  }
  // The game pixels wholly inside the rectangle.
  Rect toGame(const Rect& area) const {
    const int left = -toGame(-area.x), top = -toGame(-area.y);
    return {left, top, toGame(area.x + area.width) - left, toGame(area.y + area.height) - top};
  }
};

// Copies a rectangle of the picture, each pixel made a factor x factor square, into `target`:
// its rows `stride` pixels apart, area.width * factor pixels of each taken.
void scalePixels(const Picture& picture, const Rect& area, int factor, std::uint32_t* target,
                 std::size_t stride);

}  // namespace velloran::rt
