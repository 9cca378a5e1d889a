#include "runtime/x11_window_image.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velloran::rt {
namespace {

// 24-bit true colour kept in 32-bit little-endian words, red highest: the picture's own
// layout, so its rows go to the server as they are.
bool sameLayout(Display* display) {
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

}  // namespace

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
    usable = sameLayout(display);
  }
  if (!usable) return false;
  // A window not yet mapped keeps nothing drawn on it; it is drawn whole when exposed.
  if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN)) return true;

  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  const Rect bounds =
      intersection({0, 0, width, height}, {0, 0, picture.width(), picture.height()});
  if (bounds.empty()) return true;
  const int screen = DefaultScreen(display);
  // The image only borrows the picture's pixels for the requests below: Xlib copies them
  // into its request buffer, so nothing waits for the server.
  XImage* image = XCreateImage(display, DefaultVisual(display, screen), 24, ZPixmap, 0,
                               const_cast<char*>(reinterpret_cast<const char*>(picture.data())),
                               static_cast<unsigned>(picture.width()),
                               static_cast<unsigned>(picture.height()), 32, picture.width() * 4);
  if (!image) return false;
  image->byte_order = LSBFirst;
  for (const Rect& rect : rects) {
    const Rect area = intersection(rect, bounds);
    if (area.empty()) continue;
    XPutImage(display, info.info.x11.window, DefaultGC(display, screen), image, area.x, area.y,
              area.x, area.y, static_cast<unsigned>(area.width),
              static_cast<unsigned>(area.height));
  }
  image->data = nullptr;  // the picture's, not Xlib's to free
  XDestroyImage(image);
  XFlush(display);
  return true;
}

}  // namespace velloran::rt
