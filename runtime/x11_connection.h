#pragma once
// The calls the backends make on an X connection itself, kept apart because Xlib's header
// defines macros that collide with ordinary names (None, Bool, KeyPress).

#include <string>
#include <vector>

#include "runtime/picture.h"

struct SDL_Window;

namespace velloran::rt {

// Ends the program with a message when the X server goes away, instead of Xlib's default,
// which runs exit handlers that talk to the dead server again and can wait for ever.
void endWhenDisplayLost();

// Whether the display keeps its pixels as our pictures do (24-bit true colour in 32-bit
// words, red highest), so that a picture's rows go to the server as they are.
bool picturesFit(void* display);
// Puts the rectangles of the picture, clipped to the window's width and height, in Xlib's
// request buffer. They go to the server with the next flush: the loop flushes before it
// looks for events, so what a handler drew leaves once the handler is done.
void putPicture(void* display, unsigned long window, const Picture& picture,
                const std::vector<Rect>& rects, int width, int height);
// Sends what Xlib holds back, without waiting for the server.
void flushConnection(void* display);

// The screen's monitors as XRandR lays them out; none where the server or the library has no
// RandR. The library is opened only to answer this.
struct Monitor {
  Rect area;
  bool primary = false;
  std::string name;  // as the server names it (XWAYLAND0, HDMI-1, ...)
};
std::vector<Monitor> x11Monitors(void* display);

// For the SDL backend on X11. The X connection of an SDL window; nullptr when the window
// is not on X11.
void* displayOfWindow(void* sdlWindow);
// The socket of the connection.
int connectionSocket(void* display);
// Whether a window manager manages the connection's screen.
bool windowManagerRuns(void* display);
// Sends what Xlib holds back and tells whether events wait to be read.
bool eventsPending(void* display);
// Tells the window manager what the player may do to a window (Motif's hints, which every
// window manager reads): move and close it, minimise it if asked, never resize or maximise it,
// as its fixed border means; and whether it has decorations.
void setWindowFunctions(void* display, unsigned long window, bool decorated, bool minimizable);
// The same for an SDL window on X11 (SDL's own hints only fix its size).
void setWindowFunctions(SDL_Window* window, bool decorated, bool minimizable);
// Whether an SDL window can take the keyboard: on X11, once it and its window manager's frame
// are mapped (SDL asks only for its own, and fluxbox maps the frame last); elsewhere, always.
bool mayTakeFocus(SDL_Window* window);
// Sends parts of a picture straight to an SDL window on an X server. False when the window
// is not on one whose pixels fit the pictures; the caller then shows it some other way.
bool putOnX11Window(SDL_Window* window, const Picture& picture, const std::vector<Rect>& rects);

}  // namespace velloran::rt
