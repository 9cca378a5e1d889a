#include "runtime/x11_connection.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include "runtime/shared_library.h"

namespace velloran::rt {
namespace {

// Must not return. Every X call is on the loop's thread and the scores are saved only
// between them, so nothing can be half written: end at once.
int displayLost(Display*) {
  static const char message[] = "Velloran lost its display and ends.\n";
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
  _exit(1);
}

// The two XRandR calls the game makes, found in the library at the first question.
struct RandrFunctions {
  decltype(&XRRGetMonitors) getMonitors = nullptr;
  decltype(&XRRFreeMonitors) freeMonitors = nullptr;
  template <class Each>
  void forEach(Each&& each) {
    each(getMonitors, "XRRGetMonitors");
    each(freeMonitors, "XRRFreeMonitors");
  }
};

}  // namespace

void endWhenDisplayLost() {
  XSetIOErrorHandler(displayLost);
}

bool picturesFit(void* connection) {
  auto* display = static_cast<Display*>(connection);
  const int screen = DefaultScreen(display);
  const Visual* visual = DefaultVisual(display, screen);
  if (DefaultDepth(display, screen) != 24 || visual->red_mask != 0xFF0000 ||
      visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF) {
    return false;
  }
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  bool thirtyTwo = false;
  for (int i = 0; i < count; ++i) {
    thirtyTwo = thirtyTwo || (formats[i].depth == 24 && formats[i].bits_per_pixel == 32);
  }
  if (formats) XFree(formats);
  return thirtyTwo;
}

void putPicture(void* connection, unsigned long window, const Picture& picture,
                const std::vector<Rect>& rects, int width, int height) {
  auto* display = static_cast<Display*>(connection);
  const Rect bounds =
      intersection({0, 0, width, height}, {0, 0, picture.width(), picture.height()});
  if (bounds.empty()) return;
  const int screen = DefaultScreen(display);
  // The image only borrows the picture's pixels for the requests below.
  XImage* image = XCreateImage(display, DefaultVisual(display, screen), 24, ZPixmap, 0,
                               const_cast<char*>(reinterpret_cast<const char*>(picture.data())),
                               static_cast<unsigned>(picture.width()),
                               static_cast<unsigned>(picture.height()), 32, picture.width() * 4);
  if (!image) return;
  image->byte_order = LSBFirst;
  for (const Rect& rect : rects) {
    const Rect area = intersection(rect, bounds);
    if (area.empty()) continue;
    XPutImage(display, window, DefaultGC(display, screen), image, area.x, area.y, area.x, area.y,
              static_cast<unsigned>(area.width), static_cast<unsigned>(area.height));
  }
  image->data = nullptr;  // the picture's, not Xlib's to free
  XDestroyImage(image);
}

void flushConnection(void* display) {
  XFlush(static_cast<Display*>(display));
}

void* displayOfWindow(void* sdlWindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info)) return nullptr;
  return info.subsystem == SDL_SYSWM_X11 ? info.info.x11.display : nullptr;
}

void setWindowFunctions(void* display, unsigned long window, bool decorated, bool minimizable) {
  constexpr long kFunctions = 1L << 0, kDecorations = 1L << 1;  // which fields count
  constexpr long kMove = 1L << 2, kMinimize = 1L << 3, kClose = 1L << 5;
  Display* x = static_cast<Display*>(display);
  const Atom hints = XInternAtom(x, "_MOTIF_WM_HINTS", False);
  const long motif[5] = {kFunctions | kDecorations, kMove | kClose | (minimizable ? kMinimize : 0),
                         decorated ? 1 : 0, 0, 0};
  XChangeProperty(x, window, hints, hints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(motif), 5);
}

void setWindowFunctions(SDL_Window* window, bool decorated, bool minimizable) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    setWindowFunctions(info.info.x11.display, info.info.x11.window, decorated, minimizable);
    XFlush(info.info.x11.display);
  }
}

bool mayTakeFocus(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  XWindowAttributes attributes;
  return XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) &&
         attributes.map_state == IsViewable;
}

int connectionSocket(void* display) {
  return ConnectionNumber(static_cast<Display*>(display));
}

bool windowManagerRuns(void* display) {
  Display* x = static_cast<Display*>(display);
  // A window manager that follows the desktop conventions names a window of its own on the
  // root, which names itself again (a name left by a manager that has gone names nothing).
  const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == 0) return false;
  const auto named = [&](Window on) -> Window {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window found = 0;
    if (XGetWindowProperty(x, on, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        data && type == XA_WINDOW && format == 32 && count == 1) {
      found = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) XFree(data);
    return found;
  };
  const Window manager = named(DefaultRootWindow(x));
  return manager != 0 && named(manager) == manager;
}

bool eventsPending(void* display) {
  return XEventsQueued(static_cast<Display*>(display), QueuedAfterFlush) > 0;
}

bool putOnX11Window(SDL_Window* window, const Picture& picture, const std::vector<Rect>& rects) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* display = info.info.x11.display;
  // SDL makes its windows with the screen's default visual; one display serves the run.
  static Display* checked = nullptr;
  static bool usable = false;
  if (display != checked) {
    checked = display;
    usable = picturesFit(display);
  }
  if (!usable) return false;
  // A window not yet mapped keeps nothing drawn on it; it is drawn whole when exposed.
  if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN)) return true;
  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  putPicture(display, info.info.x11.window, picture, rects, width, height);
  return true;
}

std::vector<Monitor> x11Monitors(void* connection) {
  static RandrFunctions randr;
  static const bool loaded = bindSharedLibrary(randr, "libXrandr.so.2");
  auto* display = static_cast<Display*>(connection);
  int opcode = 0, event = 0, error = 0;
  if (!loaded || !XQueryExtension(display, "RANDR", &opcode, &event, &error)) return {};
  int count = 0;
  XRRMonitorInfo* found = randr.getMonitors(display, DefaultRootWindow(display), True, &count);
  std::vector<Monitor> monitors;
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& m = found[i];
    char* name = m.name ? XGetAtomName(display, m.name) : nullptr;
    monitors.push_back({{m.x, m.y, m.width, m.height}, m.primary != 0, name ? name : ""});
    if (name) XFree(name);
  }
  if (found) randr.freeMonitors(found);
  return monitors;
}

}  // namespace velloran::rt
