#pragma once
// The few calls the SDL backend makes on the X connection itself, kept apart because Xlib's
// header defines macros that collide with ordinary names.

namespace velloran::rt {

// Ends the program with a message when the X server goes away, instead of Xlib's default,
// which runs exit handlers that talk to the dead server again and can wait for ever.
void endWhenDisplayLost();
// The X connection of an SDL window; nullptr when the window is not on X11.
void* displayOfWindow(void* sdlWindow);
// The socket of the connection.
int connectionSocket(void* display);
// Whether a window manager manages the connection's screen.
bool windowManagerRuns(void* display);
// Sends what Xlib holds back and tells whether events wait to be read.
bool eventsPending(void* display);

}  // namespace velloran::rt
