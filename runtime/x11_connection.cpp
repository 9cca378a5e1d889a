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

bool eventsPending(void* display) {
  return XEventsQueued(static_cast<Display*>(display), QueuedAfterFlush) > 0;
}

}  // namespace velloran::rt
