#include "runtime/x11_connection.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <unistd.h>

namespace velloran::rt {
namespace {

// Must not return. Every X call is on the loop's thread and the scores are saved only
// between them, so nothing can be half written: end at once.
int displayLost(Display*) {
  static const char message[] = "Velloran lost its display and ends.\n";
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
  _exit(1);
}

}  // namespace

void endWhenDisplayLost() {
  XSetIOErrorHandler(displayLost);
}

void* displayOfWindow(void* sdlWindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info)) return nullptr;
  return info.subsystem == SDL_SYSWM_X11 ? info.info.x11.display : nullptr;
}

int connectionSocket(void* display) {
  return ConnectionNumber(static_cast<Display*>(display));
}

bool windowManagerRuns(void* display) {
  Display* x = static_cast<Display*>(display);
  // A window manager that follows the desktop conventions names its own window on the root.
  const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == 0) return false;
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found =
      XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, AnyPropertyType, &type,
                         &format, &items, &after, &data) == Success &&
      items > 0;
  if (data) XFree(data);
  return found;
}

bool eventsPending(void* display) {
  return XEventsQueued(static_cast<Display*>(display), QueuedAfterFlush) > 0;
}

}  // namespace velloran::rt
