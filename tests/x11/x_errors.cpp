#include "x11/x_errors.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace velloran::testing {
namespace {

std::atomic<int> errorCount{0};
std::atomic<int> badWindowSendCount{0};
XErrorHandler previous = nullptr;

int count(Display*, XErrorEvent* error) {
  ++errorCount;
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) ++badWindowSendCount;
  return 0;
}

}  // namespace

XErrorCount::XErrorCount() {
  errorCount = 0;
  badWindowSendCount = 0;
  previous = XSetErrorHandler(count);
}

XErrorCount::~XErrorCount() {
  XSetErrorHandler(previous);
}

int XErrorCount::errors() const {
  return errorCount;
}

int XErrorCount::badWindowSends() const {
  return badWindowSendCount;
}

struct WindowCloser::State {
  std::mutex lock;
  std::condition_variable wanted;
  unsigned long target = 0;
  bool stop = false;
  std::thread thread;
};

WindowCloser::WindowCloser() : state_(new State) {
  state_->thread = std::thread([state = state_] {
    Display* display = XOpenDisplay(nullptr);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    for (;;) {
      Window target = 0;
      {
        std::unique_lock guard(state->lock);
        state->wanted.wait(guard, [&] { return state->stop || state->target; });
        if (state->stop) break;
        target = state->target;
        state->target = 0;
      }
      XEvent event{};
      event.xclient.type = ClientMessage;
      event.xclient.window = target;
      event.xclient.message_type = protocols;
      event.xclient.format = 32;
      event.xclient.data.l[0] = static_cast<long>(deleteWindow);
      event.xclient.data.l[1] = CurrentTime;
      XSendEvent(display, target, False, NoEventMask, &event);
      // Then the server is busy with us for a moment, as with a window manager's own work:
      // what the game sends meanwhile waits, and is taken in the server's own order.
      for (int busy = 0; busy < 4; ++busy) {
        XImage* screen =
            XGetImage(display, DefaultRootWindow(display), 0, 0, 1024, 768, AllPlanes, ZPixmap);
        if (screen) XDestroyImage(screen);
      }
    }
    XCloseDisplay(display);
  });
}

WindowCloser::~WindowCloser() {
  {
    const std::lock_guard guard(state_->lock);
    state_->stop = true;
  }
  state_->wanted.notify_one();
  state_->thread.join();
  delete state_;
}

void WindowCloser::close(void* sdlWindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info)) return;
  {
    const std::lock_guard guard(state_->lock);
    state_->target = info.info.x11.window;
  }
  state_->wanted.notify_one();
}

}  // namespace velloran::testing
