#pragma once
// The backend for real windows where our own X11 one does not serve (Wayland, a driver named
// in SDL_VIDEODRIVER, an X server whose pixels are laid out unlike our pictures): SDL2
// video, keyboard and mouse, and the system clock. Window surfaces are plain memory (no
// OpenGL), and the loop sleeps until the next timer or input, so an idle window costs no CPU.
//
// On X11 the loop never sleeps inside SDL: SDL 2.26 wakes a sleeping SDL_WaitEvent by
// sending a client message to its newest window from whichever thread adds an event, and a
// window destroyed meanwhile makes the X server answer BadWindow, which Xlib's default
// handler turns into the end of the program. We sleep in poll() on the X connection and an
// eventfd of our own instead, so SDL never has a wake-up to send.
//
// In a native Wayland session the pixels go to the compositor through our own buffers
// (wayland_pixels.h), and the loop sleeps in poll() on the compositor's connection and the
// same eventfd: a signal or a task from another thread wakes it at once, and no other thread
// ever touches the Wayland connection. Drivers with no screen sleep on the eventfd alone.

#include <SDL_rect.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "runtime/backend.h"
#include "runtime/desktop_input.h"
#include "runtime/wayland_pixels.h"

struct SDL_Window;

namespace velloran::rt {

class SdlBackend final : public Backend {
 public:
  // Raises a run-time error when there is no desktop to show windows on: no display can be
  // opened, or SDL would fall back to a driver with no screen that nobody asked for.
  SdlBackend();
  ~SdlBackend() override;

  void openWindow(Form& form) override;
  void closeWindow(Form& form) override;
  void showWindow(Form& form, bool visible) override;
  void placeWindow(Form& form) override;
  void present(Form& form) override;
  void presentRects(Form& form, const std::vector<Rect>& rects) override;
  void flush() override;
  void focusWindow(Form& form) override;
  void setOwner(Form& dialog, Form& owner) override;
  bool pollEvent(Form* active, InputEvent& event) override;
  void waitEvent(Form* active, double seconds) override;
  void wake() override;
  Clock& clock() override { return clock_; }
  void messageBox(const std::string& text, const std::string& title, Form* owner) override;
  Rect workArea() override;
  bool realWindows() const override { return true; }
  std::string clipboardText() override;
  void setClipboardText(const std::string& text) override;

 private:
  Form* formOfWindow(unsigned windowId) const;
  bool translate(const void* sdlEvent, InputEvent& event);
  void show(Form& form, const Picture& picture, const std::vector<Rect>& rects);
  void showThroughSurface(SDL_Window* window, const Picture& picture,
                          const std::vector<Rect>& rects);

  void watchConnection(void* sdlWindow);
  void showOnWayland(Form& form);
  void park(SDL_Window* window);
  SDL_Window* unpark(Form& form, std::uint32_t flags);
  void learnFrame(Form& form);
  void followDesktop(Form& form);

  SystemClock clock_;
  std::map<unsigned, Form*> windows_;
  std::map<unsigned, std::pair<int, int>> clients_;  // where the desktop last put client areas
  void* display_ = nullptr;  // the X connection, once the first window is open
  int connection_ = -1;      // its socket
  bool managed_ = false;     // a window manager frames our windows
  WakeUp wakeUp_;
  std::unique_ptr<WaylandPixels> wayland_;  // in a native Wayland session
  std::vector<Form*> shown_;                // the windows shown, the first shown first
  std::vector<SDL_Window*> parked_;         // closed on Wayland, kept for the next ones
  std::set<int> heldKeys_;                  // SDL repeats them while we sleep on Wayland
  std::uint32_t typedEvent_ = 0;            // our own event type
  std::vector<SDL_Rect> sent_;              // the rectangles of the present under way
};

}  // namespace velloran::rt
