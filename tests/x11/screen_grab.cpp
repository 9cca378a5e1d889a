#include "x11/screen_grab.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velloran::testing {

std::optional<rt::Picture> grabScreen(int x, int y, int width, int height) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::nullopt;
  XSync(display, False);
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  std::optional<rt::Picture> picture;
  if (image) {
    picture.emplace(width, height);
    for (int row = 0; row < height; ++row) {
      for (int col = 0; col < width; ++col) {
        const unsigned long p = XGetPixel(image, col, row);
        picture->setPixel(col, row,
                          rt::rgb(static_cast<int>((p >> 16) & 0xFF),
                                  static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)));
      }
    }
    XDestroyImage(image);
  }
  XCloseDisplay(display);
  return picture;
}

}  // namespace velloran::testing
