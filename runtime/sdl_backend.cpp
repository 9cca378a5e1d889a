#include "runtime/sdl_backend.h"

#include <SDL.h>
#include <poll.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/run_time_error.h"
#include "runtime/app.h"
#include "runtime/desktop_input.h"
#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/message_box.h"
#include "runtime/sdl_window_icon.h"
#include "runtime/text.h"
#include "runtime/timing_trace.h"
#include "runtime/x11_connection.h"

namespace velloran::rt {
namespace {

SDL_Window* windowOf(const Form& form) {
  return static_cast<SDL_Window*>(form.handle());
}

std::int16_t keyCodeOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<std::int16_t>(vbKeyA + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<std::int16_t>(vbKey0 + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) {
    return static_cast<std::int16_t>(vbKeyF1 + (key - SDLK_F1));
  }
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
    return static_cast<std::int16_t>(vbKeyNumpad0 + 1 + (key - SDLK_KP_1));
  }
  switch (key) {
    case SDLK_KP_0:
      return vbKeyNumpad0;
    case SDLK_BACKSPACE:
      return vbKeyBack;
    case SDLK_TAB:
      return vbKeyTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return vbKeyReturn;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return vbKeyShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return vbKeyControl;
    case SDLK_LALT:
    case SDLK_RALT:
      return vbKeyMenu;
    case SDLK_PAUSE:
      return vbKeyPause;
    case SDLK_ESCAPE:
      return vbKeyEscape;
    case SDLK_SPACE:
      return vbKeySpace;
    case SDLK_PAGEUP:
      return vbKeyPageUp;
    case SDLK_PAGEDOWN:
      return vbKeyPageDown;
    case SDLK_END:
      return vbKeyEnd;
    case SDLK_HOME:
      return vbKeyHome;
    case SDLK_LEFT:
      return vbKeyLeft;
    case SDLK_UP:
      return vbKeyUp;
    case SDLK_RIGHT:
      return vbKeyRight;
    case SDLK_DOWN:
      return vbKeyDown;
    case SDLK_INSERT:
      return vbKeyInsert;
    case SDLK_DELETE:
      return vbKeyDelete;
    default:
      return 0;
  }
}

std::int16_t shiftOf(Uint16 modifiers) {
  std::int16_t shift = 0;
  if (modifiers & KMOD_SHIFT) shift |= vbShiftMask;
  if (modifiers & KMOD_CTRL) shift |= vbCtrlMask;
  if (modifiers & KMOD_ALT) shift |= vbAltMask;
  return shift;
}

}  // namespace

SdlBackend::SdlBackend() {
  // SDL falls back to a driver with no screen at all when there is no desktop: the game would
  // run invisibly for ever. Those drivers serve only when SDL_VIDEODRIVER names them.
  const bool driverNamed = isSet("SDL_VIDEODRIVER");
  if (!driverNamed && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
    throw RunTimeError(kDeviceIOError, "No display: neither DISPLAY nor WAYLAND_DISPLAY is set.");
  }
  // Without this, window surfaces go through software OpenGL and cost far more memory.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // ours wake the loop; SDL's cannot
  // A click that brings a window to the front also acts there, as on any desktop. SDL would
  // drop every click that comes within 10 ms of a window getting the keyboard: the one that
  // gave it, and a click just after a dialog closed and gave the keyboard back to the table.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // One class for every window, however the program was started (SDL 2.26 reads it only
  // from the environment).
  setenv("SDL_VIDEO_X11_WMCLASS", "velloran", 1);
  // With no driver named, the desktop's own: X11 where DISPLAY is set, else Wayland.
  std::vector<const char*> drivers;
  if (driverNamed) {
    drivers.push_back(nullptr);  // SDL reads SDL_VIDEODRIVER itself
  } else {
    if (isSet("DISPLAY")) drivers.push_back("x11");
    if (isSet("WAYLAND_DISPLAY")) drivers.push_back("wayland");
  }
  std::string failures;
  bool started = false;
  for (const char* driver : drivers) {
    if (driver) SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    const char* wanted = driver ? driver : std::getenv("SDL_VIDEODRIVER");
    if (wanted && std::string_view(wanted) == "wayland" && !waylandHasSeat()) {
      failures += std::string(failures.empty() ? "" : " ") +
                  "The Wayland desktop offers no keyboard or mouse (no seat).";
      continue;
    }
    // An X server under load may drop a new connection while setting it up (Xvfb does, about
    // once in a hundred): a display that is there is asked again before we give up on it.
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
      if (attempt > 0) SDL_Delay(50);
      started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    if (started) break;
    failures += std::string(failures.empty() ? "" : " ") + SDL_GetError();
  }
  if (!started) throw RunTimeError(kDeviceIOError, "No display: " + failures);
  const std::string driver = SDL_GetCurrentVideoDriver();
  if (driver == "x11") endWhenDisplayLost();
  typedEvent_ = SDL_RegisterEvents(1);
  SDL_StartTextInput();
}

SdlBackend::~SdlBackend() {
  wayland_.reset();  // our buffers go while the connection is still there
  for (auto& [id, form] : windows_) {
    SDL_DestroyWindow(windowOf(*form));
    form->setHandle(nullptr);
  }
  for (SDL_Window* window : parked_) SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlBackend::watchConnection(void* sdlWindow) {
  if (display_) return;
  display_ = displayOfWindow(sdlWindow);
  if (display_) {
    connection_ = connectionSocket(display_);
    managed_ = windowManagerRuns(display_);
  } else if (!wayland_) {
    wayland_ = WaylandPixels::open(static_cast<SDL_Window*>(sdlWindow));
  }
}

Form* SdlBackend::formOfWindow(unsigned windowId) const {
  const auto it = windows_.find(windowId);
  return it == windows_.end() ? nullptr : it->second;
}

void SdlBackend::openWindow(Form& form) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (form.borderStyle() == BorderStyle::None) flags |= SDL_WINDOW_BORDERLESS;
  const auto [x, y] = form.askedPlace(managed_);
  SDL_Window* window = unpark(form, flags);
  if (!window) {
    window =
        SDL_CreateWindow(titleOf(form).c_str(), x, y, form.scaleWidth(), form.scaleHeight(), flags);
  }
  if (!window)
    throw RunTimeError(kDeviceIOError, std::string("Cannot open window: ") + SDL_GetError());
  form.setHandle(window);
  setWindowFunctions(window, !(flags & SDL_WINDOW_BORDERLESS), true);
  setSdlWindowIcon(window, App::instance().icons());
  windows_[SDL_GetWindowID(window)] = &form;
  watchConnection(window);
}

void SdlBackend::closeWindow(Form& form) {
  SDL_Window* window = windowOf(form);
  if (!window) return;
  windows_.erase(SDL_GetWindowID(window));
  clients_.erase(SDL_GetWindowID(window));
  std::erase(shown_, &form);
  if (wayland_) {
    park(window);
  } else {
    SDL_DestroyWindow(window);
  }
  form.setHandle(nullptr);
}

// SDL 2.26 never releases the libdecor frame of a Wayland window it destroys: the frame's
// next event (the compositor's configure as another window takes the keyboard) reaches the
// freed window and the program crashes. A closed window is kept hidden instead, and serves
// the next window with the same border.
void SdlBackend::park(SDL_Window* window) {
  SDL_HideWindow(window);
  wayland_->forget(window, true);
  parked_.push_back(window);
}

SDL_Window* SdlBackend::unpark(Form& form, Uint32 flags) {
  for (auto it = parked_.begin(); it != parked_.end(); ++it) {
    SDL_Window* window = *it;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS) != (flags & SDL_WINDOW_BORDERLESS)) {
      continue;
    }
    parked_.erase(it);
    SDL_SetWindowTitle(window, titleOf(form).c_str());
    SDL_SetWindowSize(window, form.scaleWidth(), form.scaleHeight());
    return window;
  }
  return nullptr;
}

void SdlBackend::showWindow(Form& form, bool visible) {
  SDL_Window* window = windowOf(form);
  if (!window) return;
  std::erase(shown_, &form);
  if (!visible) {
    SDL_HideWindow(window);
    if (wayland_) wayland_->forget(window, false);
    return;
  }
  SDL_ShowWindow(window);
  if (wayland_) showOnWayland(form);
  shown_.push_back(&form);
  SDL_RaiseWindow(window);
  // A window manager frames the window as it maps it; SDL reads the frame's extents from the
  // events that followed, which we take now, so that what is placed next knows them.
  SDL_PumpEvents();
  learnFrame(form);
}

// SDL has given the window its place on the desktop and waited for the compositor to
// configure it; nothing is on it yet. A window shown over the table is its child before it
// first appears, so that the compositor places it over the table (the dialog's own owner,
// when another one, follows from setOwner), and then it gets its picture.
void SdlBackend::showOnWayland(Form& form) {
  SDL_Window* window = windowOf(form);
  if (!shown_.empty() && windowOf(*shown_.front())) {
    SDL_SetWindowModalFor(window, windowOf(*shown_.front()));
  }
  const Picture& picture = form.shownImage();
  wayland_->show(window, picture, {{0, 0, picture.width(), picture.height()}});
}

void SdlBackend::learnFrame(Form& form) {
  // A window's frame is known once the window manager has set its frame extents, some time
  // after mapping; the first is the best guess for the windows not yet framed.
  App& app = App::instance();
  SDL_Window* window = windowOf(form);
  FrameExtents frame;
  if (!window || form.borderStyle() == BorderStyle::None ||
      SDL_GetWindowBordersSize(window, &frame.top, &frame.left, &frame.bottom, &frame.right) != 0 ||
      frame == FrameExtents{} || (form.framed() && form.frame() == frame)) {
    return;
  }
  form.setOwnFrame(frame);
  if (!app.desktopFrame()) app.setDesktopFrame(frame);
  followDesktop(form);  // the client area stays; the outer corner is where the frame says
}

void SdlBackend::followDesktop(Form& form) {
  SDL_Window* window = windowOf(form);
  const auto moved = window ? clients_.find(SDL_GetWindowID(window)) : clients_.end();
  if (moved == clients_.end()) return;
  const FrameExtents frame = form.frame();
  form.movedTo(moved->second.first - frame.left, moved->second.second - frame.top);
}

void SdlBackend::placeWindow(Form& form) {
  SDL_Window* window = windowOf(form);
  if (!window) return;
  SDL_SetWindowTitle(window, titleOf(form).c_str());
  SDL_SetWindowSize(window, form.scaleWidth(), form.scaleHeight());
  // SDL asks for the client area's corner, less the frame it knows of the window.
  const auto [x, y] = form.askedPlace(managed_ && !form.framed());
  SDL_SetWindowPosition(window, x, y);
  clients_.erase(SDL_GetWindowID(window));
}

void SdlBackend::present(Form& form) {
  if (!windowOf(form)) return;
  const Picture& picture = form.shownImage();
  show(form, picture, {{0, 0, picture.width(), picture.height()}});
}

void SdlBackend::presentRects(Form& form, const std::vector<Rect>& rects) {
  if (!windowOf(form)) return;
  show(form, form.composedImage(), rects);
}

// Sends the rectangles of the picture to the window: straight to the X server when the
// window is on one, else through SDL's window surface.
void SdlBackend::show(Form& form, const Picture& picture, const std::vector<Rect>& rects) {
  SDL_Window* window = windowOf(form);
  if (!putOnX11Window(window, picture, rects) &&
      !(wayland_ && wayland_->show(window, picture, rects))) {
    showThroughSurface(window, picture, rects);
  }
  if (timing::on()) {
    for (const Rect& rect : rects) {
      const Rect area = intersection(rect, {0, 0, form.scaleWidth(), form.scaleHeight()});
      if (!area.empty()) timing::notePresent(form.name(), area.x, area.y, area.width, area.height);
    }
  }
}

void SdlBackend::showThroughSurface(SDL_Window* window, const Picture& picture,
                                    const std::vector<Rect>& rects) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return;
  const Rect bounds{0, 0, std::min(surface->w, picture.width()),
                    std::min(surface->h, picture.height())};
  const int bytes = SDL_BYTESPERPIXEL(surface->format->format);
  sent_.clear();
  for (const Rect& rect : rects) {
    const Rect area = intersection(rect, bounds);
    if (area.empty()) continue;
    SDL_ConvertPixels(
        area.width, area.height, SDL_PIXELFORMAT_XRGB8888, picture.row(area.y) + area.x,
        picture.width() * 4, surface->format->format,
        static_cast<Uint8*>(surface->pixels) + area.y * surface->pitch + area.x * bytes,
        surface->pitch);
    sent_.push_back({area.x, area.y, area.width, area.height});
  }
  if (!sent_.empty()) {
    SDL_UpdateWindowSurfaceRects(window, sent_.data(), static_cast<int>(sent_.size()));
  }
}

void SdlBackend::flush() {
  if (display_) flushConnection(display_);
  if (wayland_) wayland_->flush();
}

void SdlBackend::focusWindow(Form& form) {
  if (SDL_Window* window = windowOf(form)) {
    SDL_RaiseWindow(window);
    if (mayTakeFocus(window)) SDL_SetWindowInputFocus(window);
  }
}

void SdlBackend::setOwner(Form& dialog, Form& owner) {
  if (windowOf(dialog) && windowOf(owner)) {
    SDL_SetWindowModalFor(windowOf(dialog), windowOf(owner));
    setWindowFunctions(windowOf(dialog), dialog.borderStyle() != BorderStyle::None, false);
  }
}

bool SdlBackend::translate(const void* raw, InputEvent& event) {
  const auto& e = *static_cast<const SDL_Event*>(raw);
  using Kind = InputEvent::Kind;
  if (e.type == typedEvent_) {  // the control character queued behind its key
    event = {Kind::KeyPress,
             formOfWindow(e.user.windowID),
             static_cast<std::int16_t>(e.user.code),
             0,
             0,
             0};
    return true;
  }
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const std::int16_t code = keyCodeOf(e.key.keysym.sym);
      if (code == 0) return false;
      event = {e.type == SDL_KEYDOWN ? Kind::KeyDown : Kind::KeyUp,
               formOfWindow(e.key.windowID),
               code,
               shiftOf(e.key.keysym.mod),
               0,
               0};
      return true;
    }
    case SDL_TEXTINPUT: {
      const int typed = latin1Of(e.text.text);
      if (typed == 0) return false;
      event = {
          Kind::KeyPress, formOfWindow(e.text.windowID), static_cast<std::int16_t>(typed), 0, 0, 0};
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const std::int16_t button = e.button.button == SDL_BUTTON_RIGHT ? 2 : 1;
      event = {e.type == SDL_MOUSEBUTTONDOWN ? Kind::MouseDown : Kind::MouseUp,
               formOfWindow(e.button.windowID),
               button,
               0,
               e.button.x,
               e.button.y};
      return true;
    }
    case SDL_MOUSEMOTION:
      event = {Kind::MouseMove, formOfWindow(e.motion.windowID), 0, 0, e.motion.x, e.motion.y};
      return true;
    case SDL_WINDOWEVENT:
      if (Form* form = formOfWindow(e.window.windowID)) {
        if (e.window.event == SDL_WINDOWEVENT_MOVED) {
          // The player or the window manager moved it: the client area's corner on the screen.
          clients_[e.window.windowID] = {e.window.data1, e.window.data2};
          followDesktop(*form);
        }
        if (e.window.event == SDL_WINDOWEVENT_MAXIMIZED) {
          // A window manager that maximises a window of fixed size despite its hints (fluxbox
          // does on request) is asked to take it back.
          SDL_RestoreWindow(windowOf(*form));
          SDL_SetWindowSize(windowOf(*form), form->scaleWidth(), form->scaleHeight());
        }
        learnFrame(*form);
        // The frame is drawn again as the window gains or loses the keyboard.
        if (wayland_) wayland_->commit(windowOf(*form));
      }
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        event = {Kind::FocusGained, formOfWindow(e.window.windowID), 0, 0, 0, 0};
        return event.form != nullptr;
      }
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        event = {Kind::Close, formOfWindow(e.window.windowID), 0, 0, 0, 0};
        return event.form != nullptr;
      }
      if (e.window.event == SDL_WINDOWEVENT_LEAVE) {  // a move out ends what was hovered over
        event = {Kind::MouseMove, formOfWindow(e.window.windowID), 0, 0, -1, -1};
        return event.form != nullptr;
      }
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
        event = {Kind::Exposed, formOfWindow(e.window.windowID), 0, 0, 0, 0};
        return event.form != nullptr;
      }
      return false;
    default:
      return false;
  }
}

bool SdlBackend::pollEvent(Form* active, InputEvent& event) {
  if (wakeUp_.takeQuit()) {
    event = {InputEvent::Kind::Quit, nullptr, 0, 0, 0, 0};
    return true;
  }
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    if (e.type == SDL_KEYDOWN) heldKeys_.insert(e.key.keysym.scancode);
    if (e.type == SDL_KEYUP) heldKeys_.erase(e.key.keysym.scancode);
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
      heldKeys_.clear();
    }
    if (e.type == SDL_QUIT) {
      // SDL's way of saying the compositor went away: end as on a lost X display.
      if (wayland_ && wayland_->lost()) {
        static const char message[] = "Velloran lost its display and ends.\n";
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
        _exit(1);
      }
      event = {InputEvent::Kind::Quit, nullptr, 0, 0, 0, 0};
      return true;
    }
    if (!translate(&e, event)) continue;
    // A key typed Enter, Escape, Backspace or Tab also types its control character, and so
    // does a letter with Ctrl held (Ctrl+C, Ctrl+V, Ctrl+X: the clipboard keys).
    if (const int typed = typedCharacterOf(event); typed != 0) {
      SDL_Event character{};
      character.type = typedEvent_;
      character.user.code = typed;
      character.user.windowID = e.key.windowID;
      SDL_PushEvent(&character);
    }
    (void)active;
    return true;
  }
  return false;
}

void SdlBackend::waitEvent(Form*, double seconds) {
  int milliseconds = seconds < 0 ? -1 : static_cast<int>(std::ceil(seconds * 1000.0));
  SDL_PumpEvents();
  if (wakeUp_.quitPending() ||
      SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    return;
  }
  // Never SDL's own wait: it does not see our eventfd, so a signal would not end it, and
  // on Wayland its wake-up from another thread talks to the compositor from that thread.
  pollfd watched[] = {{wakeUp_.fd(), POLLIN, 0}, {-1, POLLIN, 0}};
  if (display_) {
    // Sends what our drawing left in Xlib's buffer and takes what the server sent meanwhile.
    if (eventsPending(display_)) return;
    watched[1].fd = connection_;
  } else if (wayland_) {
    // The pump read and dispatched what had come; what it and our drawing sent goes now.
    wayland_->flush();
    wayland_->takeReleases();
    watched[1].fd = wayland_->fd();
    // SDL repeats a held key as it pumps: wake for the next repeat.
    constexpr int kRepeatStep = 15;
    if (!heldKeys_.empty() && (milliseconds < 0 || milliseconds > kRepeatStep)) {
      milliseconds = kRepeatStep;
    }
  }
  // With neither (a driver with no screen, or no window yet), our wake-ups and the timers.
  if (poll(watched, 2, milliseconds) > 0 && (watched[0].revents & POLLIN)) wakeUp_.drain();
}

void SdlBackend::wake() {
  wakeUp_.wake();
}

void SdlBackend::messageBox(const std::string& text, const std::string& title, Form* owner) {
  showMessageBox(text, title, owner);
}

std::string SdlBackend::clipboardText() {
  char* utf8 = SDL_GetClipboardText();
  // Keep what the game can type: single-byte characters.
  std::string text = utf8 ? utf8ToLatin1(utf8) : std::string();
  SDL_free(utf8);
  return text;
}

void SdlBackend::setClipboardText(const std::string& text) {
  SDL_SetClipboardText(latin1ToUtf8(text).c_str());
}

Rect SdlBackend::workArea() {
  // The first display is the primary one; its usable bounds leave out the desktop's panels.
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return {0, 0, 1024, 768};
  return {usable.x, usable.y, usable.w, usable.h};
}

}  // namespace velloran::rt
