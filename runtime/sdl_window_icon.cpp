#include "runtime/sdl_window_icon.h"

#include <SDL.h>

#include <algorithm>

namespace velloran::rt {

void setSdlWindowIcon(SDL_Window* window, const std::vector<WindowIcon>& icons) {
  const auto largest = std::max_element(
      icons.begin(), icons.end(),
      [](const WindowIcon& a, const WindowIcon& b) { return a.argb.size() < b.argb.size(); });
  if (largest == icons.end() || largest->argb.empty()) return;
  // SDL copies the pixels; the surface only lends them.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint32_t*>(largest->argb.data()), largest->width, largest->height, 32,
      largest->width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return;  // no icon is no reason to fail
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

}  // namespace velloran::rt
