#pragma once
// Presents through memory shared with the X server. Xlib's macros (None, Bool, KeyPress) come
// with this header: include it after the game's own.

// Our own headers first: Xlib's macros (None, Bool, KeyPress) must not reach them.
#include "runtime/desktop_scale.h"
#include "runtime/picture.h"
// Then Xlib's.
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstddef>
#include <vector>

namespace velloran::rt {

// Pixels the X server takes straight from our memory (MIT-SHM): a present copies the changed
// rectangles into a shared segment, as large as the window, and sends a short request for
// each, where the pixels themselves would fill the connection and keep the game waiting while
// the server reads them. The segment's two halves are filled in turn, and what was put in a
// half is overwritten only once the server has taken it: the first put into the other half
// asks the server to say when it is done (an event, so the game never waits on a round trip
// to learn it), which by the time the game comes back to the half it has long said. Where the
// server cannot share memory (another machine's display, another IPC namespace), the pixels
// go through the connection.
class SharedPixels {
 public:
  explicit SharedPixels(Display* display) : display_(display) {}
  ~SharedPixels() { release(); }
  SharedPixels(const SharedPixels&) = delete;
  SharedPixels& operator=(const SharedPixels&) = delete;

  // False when the pixels must go some other way. At a desktop scale above 1, each pixel of
  // the areas is put as a factor x factor square, at the areas' places times the factor.
  bool put(::Window window, const Picture& picture, const std::vector<Rect>& areas, int factor = 1);

 private:
  bool attach(std::size_t bytes);
  void release();

  bool taken(unsigned long request) const {
    return static_cast<long>(LastKnownRequestProcessed(display_) - request) >= 0;
  }

  Display* display_;
  bool tried_ = false, usable_ = false;
  XShmSegmentInfo segment_{};
  std::size_t half_ = 0;  // bytes in each half
  int current_ = 0;       // the half being filled
  std::size_t used_ = 0;  // bytes of it filled
  // Per half, the request whose completion means the server has taken all put there.
  unsigned long takenWith_[2] = {};
  unsigned long lastRequest_ = 0;  // the last put, by its request number
};

// The same, through the connection: for a display that shares no memory with us.
void putScaledPicture(Display* display, ::Window window, const Picture& picture,
                      const std::vector<Rect>& areas, int factor);

}  // namespace velloran::rt
