// The SDL functions the game calls, each found in SDL's library at its first call. The
// program does not link SDL: SDL brings some forty libraries (sound servers, Wayland, codecs)
// whose loading alone took longer than opening the window. On an X desktop the windows are
// ours (x11_backend), and SDL is loaded with the font renderer or the sound mixer, which need
// it anyway and share this one copy.

#include <SDL.h>
#include <SDL_syswm.h>

#include <string>

#include "base/run_time_error.h"
#include "runtime/shared_library.h"

namespace velloran::rt {
namespace {

void* sdlFunction(const char* name) {
  static void* const library = openSharedLibrary("libSDL2-2.0.so.0");
  void* function = library ? sharedFunction(library, name) : nullptr;
  if (!function) throw RunTimeError(kFileNotFound, std::string("SDL is missing ") + name);
  return function;
}

}  // namespace
}  // namespace velloran::rt

// Each stub keeps the header's own declaration, so a wrong parameter list does not compile.
#define VELLORAN_SDL(result, name, parameters, arguments)                                         \
  extern "C" result name parameters {                                                             \
    static const auto real = reinterpret_cast<decltype(&name)>(velloran::rt::sdlFunction(#name)); \
    return real arguments;                                                                        \
  }

VELLORAN_SDL(int, SDL_InitSubSystem, (Uint32 flags), (flags))
VELLORAN_SDL(void, SDL_QuitSubSystem, (Uint32 flags), (flags))
VELLORAN_SDL(SDL_bool, SDL_SetHint, (const char* name, const char* value), (name, value))
VELLORAN_SDL(const char*, SDL_GetError, (void), ())
VELLORAN_SDL(void, SDL_free, (void* memory), (memory))
VELLORAN_SDL(void, SDL_Delay, (Uint32 ms), (ms))
VELLORAN_SDL(SDL_RWops*, SDL_RWFromFile, (const char* file, const char* mode), (file, mode))
VELLORAN_SDL(SDL_Surface*, SDL_ConvertSurfaceFormat,
             (SDL_Surface * surface, Uint32 format, Uint32 flags), (surface, format, flags))
VELLORAN_SDL(void, SDL_FreeSurface, (SDL_Surface * surface), (surface))
VELLORAN_SDL(SDL_Surface*, SDL_CreateRGBSurfaceWithFormatFrom,
             (void* pixels, int width, int height, int depth, int pitch, Uint32 format),
             (pixels, width, height, depth, pitch, format))
VELLORAN_SDL(void, SDL_SetWindowIcon, (SDL_Window * window, SDL_Surface* icon), (window, icon))
VELLORAN_SDL(int, SDL_ConvertPixels,
             (int width, int height, Uint32 from, const void* source, int sourcePitch, Uint32 to,
              void* target, int targetPitch),
             (width, height, from, source, sourcePitch, to, target, targetPitch))
VELLORAN_SDL(const char*, SDL_GetCurrentVideoDriver, (void), ())
VELLORAN_SDL(int, SDL_GetDisplayUsableBounds, (int display, SDL_Rect* rect), (display, rect))
VELLORAN_SDL(SDL_Window*, SDL_CreateWindow,
             (const char* title, int x, int y, int width, int height, Uint32 flags),
             (title, x, y, width, height, flags))
VELLORAN_SDL(void, SDL_DestroyWindow, (SDL_Window * window), (window))
VELLORAN_SDL(Uint32, SDL_GetWindowID, (SDL_Window * window), (window))
VELLORAN_SDL(Uint32, SDL_GetWindowFlags, (SDL_Window * window), (window))
VELLORAN_SDL(void, SDL_GetWindowSize, (SDL_Window * window, int* width, int* height),
             (window, width, height))
VELLORAN_SDL(int, SDL_GetWindowBordersSize,
             (SDL_Window * window, int* top, int* left, int* bottom, int* right),
             (window, top, left, bottom, right))
VELLORAN_SDL(SDL_bool, SDL_GetWindowWMInfo, (SDL_Window * window, SDL_SysWMinfo* info),
             (window, info))
VELLORAN_SDL(SDL_Surface*, SDL_GetWindowSurface, (SDL_Window * window), (window))
VELLORAN_SDL(int, SDL_UpdateWindowSurfaceRects,
             (SDL_Window * window, const SDL_Rect* rects, int count), (window, rects, count))
VELLORAN_SDL(void, SDL_ShowWindow, (SDL_Window * window), (window))
VELLORAN_SDL(void, SDL_HideWindow, (SDL_Window * window), (window))
VELLORAN_SDL(void, SDL_RaiseWindow, (SDL_Window * window), (window))
VELLORAN_SDL(void, SDL_RestoreWindow, (SDL_Window * window), (window))
VELLORAN_SDL(int, SDL_SetWindowInputFocus, (SDL_Window * window), (window))
VELLORAN_SDL(int, SDL_SetWindowModalFor, (SDL_Window * dialog, SDL_Window* owner), (dialog, owner))
VELLORAN_SDL(void, SDL_SetWindowTitle, (SDL_Window * window, const char* title), (window, title))
VELLORAN_SDL(void, SDL_SetWindowSize, (SDL_Window * window, int width, int height),
             (window, width, height))
VELLORAN_SDL(void, SDL_SetWindowPosition, (SDL_Window * window, int x, int y), (window, x, y))
VELLORAN_SDL(void, SDL_StartTextInput, (void), ())
VELLORAN_SDL(Uint32, SDL_RegisterEvents, (int count), (count))
VELLORAN_SDL(int, SDL_PushEvent, (SDL_Event * event), (event))
VELLORAN_SDL(int, SDL_PollEvent, (SDL_Event * event), (event))
VELLORAN_SDL(void, SDL_PumpEvents, (void), ())
VELLORAN_SDL(int, SDL_PeepEvents,
             (SDL_Event * events, int count, SDL_eventaction action, Uint32 first, Uint32 last),
             (events, count, action, first, last))
VELLORAN_SDL(int, SDL_WaitEvent, (SDL_Event * event), (event))
VELLORAN_SDL(int, SDL_WaitEventTimeout, (SDL_Event * event, int timeout), (event, timeout))
VELLORAN_SDL(char*, SDL_GetClipboardText, (void), ())
VELLORAN_SDL(int, SDL_SetClipboardText, (const char* text), (text))
