#pragma once
// The program's icon on an SDL window: the largest size; SDL scales it where it must.

#include <vector>

#include "runtime/window_icon.h"

struct SDL_Window;

namespace velloran::rt {

void setSdlWindowIcon(SDL_Window* window, const std::vector<WindowIcon>& icons);

}  // namespace velloran::rt
