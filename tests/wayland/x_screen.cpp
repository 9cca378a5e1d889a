#include "wayland/x_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <vector>

namespace velloran::testing {

std::optional<rt::Picture> grabXScreen(const std::string& display) {
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return std::nullopt;
  const int width = DisplayWidth(x, DefaultScreen(x));
  const int height = DisplayHeight(x, DefaultScreen(x));
  XImage* image = XGetImage(x, DefaultRootWindow(x), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  std::optional<rt::Picture> picture;
  if (image) {
    std::vector<std::uint32_t> words;
    words.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
      for (int col = 0; col < width; ++col) {
        words.push_back(static_cast<std::uint32_t>(XGetPixel(image, col, row) & 0xFFFFFF));
      }
    }
    XDestroyImage(image);
    picture = rt::Picture::fromWords(width, height, words.data());
  }
  XCloseDisplay(x);
  return picture;
}

}  // namespace velloran::testing
