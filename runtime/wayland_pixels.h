#pragma once
// Our pixels on SDL's windows in a native Wayland session. SDL 2.26 gives a Wayland window
// no surface to draw on without OpenGL, which would cost far more memory than the game: as
// on X, we hand the compositor the picture ourselves, in shared-memory buffers attached to
// the window's own Wayland surface. SDL keeps the window (its role, the desktop's frame
// through libdecor, input); we only attach, damage and commit.
//
// Everything runs on the thread that runs SDL: our buffers' events come on a queue of our
// own, dispatched only by us.

#include <memory>
#include <utility>
#include <vector>

#include "runtime/picture.h"

struct SDL_Window;

namespace velloran::rt {

// Whether the compositor named by WAYLAND_DISPLAY has a seat (a keyboard or pointer to
// offer). SDL 2.26 crashes as it starts on a compositor without one.
bool waylandHasSeat();

class WaylandPixels {
 public:
  // For the display of this SDL window, when it is a Wayland one and the compositor shares
  // memory; else nothing.
  static std::unique_ptr<WaylandPixels> open(SDL_Window* window);
  ~WaylandPixels();
  WaylandPixels(const WaylandPixels&) = delete;
  WaylandPixels& operator=(const WaylandPixels&) = delete;

  // The connection to the compositor, to sleep on.
  int fd() const;
  // Whether the connection failed: the compositor went away.
  bool lost() const;
  // Sends what is queued, and takes the compositor's answers about our buffers.
  void flush();
  void takeReleases();

  // Shows these rectangles of the picture (the window's whole content) on a window that is
  // shown; false when it could not.
  bool show(SDL_Window* window, const Picture& picture, const std::vector<Rect>& rects);
  // Takes on the window what libdecor last drew in its frame: it draws the frame on surfaces
  // of its own that change only with the window's next commit.
  void commit(SDL_Window* window);
  // The window was hidden (SDL took its buffer away) or is about to be closed.
  void forget(SDL_Window* window, bool closing);

  struct Library;
  struct Buffer;
  struct Surface;

 private:
  WaylandPixels() = default;
  Surface& surfaceOf(SDL_Window* window, void* wlSurface, int width, int height);
  Buffer* freeBuffer(Surface& surface);

  const Library* wl_ = nullptr;
  void* display_ = nullptr;
  void* queue_ = nullptr;
  void* registry_ = nullptr;
  void* shm_ = nullptr;
  std::pair<const Library*, void**> binding_{};  // what the registry's listener fills
  std::vector<std::unique_ptr<Surface>> surfaces_;
};

}  // namespace velloran::rt
