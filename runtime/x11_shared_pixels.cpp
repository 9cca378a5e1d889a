#include "runtime/x11_shared_pixels.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

namespace velloran::rt {
namespace {

bool attachFailed = false;
int noteAttachFailure(Display*, XErrorEvent*) {
  attachFailed = true;
  return 0;
}

}  // namespace

bool SharedPixels::attach(std::size_t bytes) {
  release();
  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (id < 0) return false;
  void* at = shmat(id, nullptr, 0);
  if (at == reinterpret_cast<void*>(-1)) {
    shmctl(id, IPC_RMID, nullptr);
    return false;
  }
  segment_.shmid = id;
  segment_.shmaddr = static_cast<char*>(at);
  segment_.readOnly = True;
  // The server says whether it could attach only through an error; errors of earlier
  // requests go to the handler in place first.
  XSync(display_, False);
  attachFailed = false;
  const XErrorHandler previous = XSetErrorHandler(noteAttachFailure);
  const bool attached = XShmAttach(display_, &segment_);
  XSync(display_, False);
  XSetErrorHandler(previous);
  shmctl(id, IPC_RMID, nullptr);  // freed once both sides let go
  if (!attached || attachFailed) {
    shmdt(at);
    segment_ = {};
    return false;
  }
  half_ = bytes / 2;
  current_ = 0;
  used_ = 0;
  takenWith_[0] = takenWith_[1] = 0;
  return true;
}

void SharedPixels::release() {
  if (!segment_.shmaddr) return;
  XShmDetach(display_, &segment_);
  XSync(display_, False);
  shmdt(segment_.shmaddr);
  segment_ = {};
  half_ = used_ = 0;
}

bool SharedPixels::put(::Window window, const Picture& picture, const std::vector<Rect>& areas,
                       int factor) {
  if (!tried_) {
    tried_ = true;
    usable_ = XShmQueryExtension(display_);
  }
  if (!usable_) return false;
  const std::size_t square = static_cast<std::size_t>(factor) * factor;
  std::size_t needed = 0;
  for (const Rect& area : areas) {
    needed += static_cast<std::size_t>(area.width) * area.height * 4 * square;
  }
  if (needed > 2 * half_) {
    const std::size_t whole =
        static_cast<std::size_t>(picture.width()) * picture.height() * 4 * square;
    usable_ = attach(std::max(needed, whole));
    if (!usable_) return false;
  }
  bool askWhenTaken = false;
  if (needed > half_) {
    // A large present (a window drawn whole) takes the whole segment, once all is taken; the
    // half after it is free again when the server says this put is done.
    if (!taken(lastRequest_)) XSync(display_, False);
    current_ = 0;
    used_ = 0;
    takenWith_[1] = NextRequest(display_) + areas.size() - 1;
    askWhenTaken = true;
  } else if (taken(lastRequest_)) {
    used_ = 0;  // all taken already (the server said so for some other reason): start afresh
  } else if (used_ + needed > half_) {
    // On to the other half, once the server has taken what lies there; the put that leaves
    // this half asks to be told when this one is free again.
    const int next = 1 - current_;
    if (takenWith_[next] && !taken(takenWith_[next])) XSync(display_, False);
    takenWith_[current_] = NextRequest(display_) + areas.size() - 1;
    askWhenTaken = true;
    current_ = next;
    used_ = 0;
  }
  const int screen = DefaultScreen(display_);
  for (const Rect& area : areas) {
    char* at = segment_.shmaddr + current_ * half_ + used_;
    const int width = area.width * factor, height = area.height * factor;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    if (factor == 1) {
      for (int row = 0; row < area.height; ++row) {
        std::memcpy(at + row * rowBytes, picture.row(area.y + row) + area.x, rowBytes);
      }
    } else {
      scalePixels(picture, area, factor, reinterpret_cast<std::uint32_t*>(at),
                  static_cast<std::size_t>(width));
    }
    XImage* image =
        XShmCreateImage(display_, DefaultVisual(display_, screen), 24, ZPixmap, at, &segment_,
                        static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image) return false;
    XShmPutImage(display_, window, DefaultGC(display_, screen), image, 0, 0, area.x * factor,
                 area.y * factor, static_cast<unsigned>(width), static_cast<unsigned>(height),
                 askWhenTaken && &area == &areas.back());
    image->data = nullptr;  // the segment's
    XDestroyImage(image);
    used_ += rowBytes * static_cast<std::size_t>(height);
  }
  lastRequest_ = NextRequest(display_) - 1;
  return true;
}

void putScaledPicture(Display* display, ::Window window, const Picture& picture,
                      const std::vector<Rect>& areas, int factor) {
  const int screen = DefaultScreen(display);
  std::vector<std::uint32_t> pixels;
  for (const Rect& area : areas) {
    const int width = area.width * factor, height = area.height * factor;
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    scalePixels(picture, area, factor, pixels.data(), static_cast<std::size_t>(width));
    // Xlib has sent or copied the pixels when the put returns.
    XImage* image =
        XCreateImage(display, DefaultVisual(display, screen), 24, ZPixmap, 0,
                     reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(width),
                     static_cast<unsigned>(height), 32, width * 4);
    if (!image) return;
    image->byte_order = LSBFirst;
    XPutImage(display, window, DefaultGC(display, screen), image, 0, 0, area.x * factor,
              area.y * factor, static_cast<unsigned>(width), static_cast<unsigned>(height));
    image->data = nullptr;  // ours
    XDestroyImage(image);
  }
}

}  // namespace velloran::rt
