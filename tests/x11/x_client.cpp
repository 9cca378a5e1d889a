#include "x11/x_client.h"

// Our own headers before Xlib's macros.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "runtime/app.h"
#include "runtime/sdl_backend.h"
#include "runtime/x11_backend.h"
#include "runtime/x11_connection.h"

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

void sendDeleteWindow(Display* display, Window target) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, target, False, NoEventMask, &event);
}

bool isGameWindow(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
    return false;
  }
  XClassHint hint{};
  if (!XGetClassHint(display, window, &hint)) return false;
  const bool ours = hint.res_class && std::string(hint.res_class) == "velloran";
  XFree(hint.res_name);
  XFree(hint.res_class);
  return ours;
}

// Windows in stacking order below `parent`, depth first: a window manager puts the game's
// windows inside frames of its own.
void collect(Display* display, Window parent, std::vector<unsigned long>& found) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) {
    if (isGameWindow(display, children[i])) {
      found.push_back(children[i]);
    } else {
      collect(display, children[i], found);
    }
  }
  if (children) XFree(children);
}

// The X server may drop a new connection while setting it up (Xvfb does under load): ask again.
Display* openDisplay() {
  Display* display = nullptr;
  for (int attempt = 0; attempt < 5 && !display; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    display = XOpenDisplay(nullptr);
  }
  return display;
}

// One connection for every question and every key, opened at the first and kept: each new
// connection is a chance for a busy X server to turn it away. It is opened again only when
// the test moves to another display.
Display* sharedDisplay = nullptr;
XErrorHandler beforeShared = nullptr;

// A window may go between the question and the answer: on our connection that is no fault.
int ignoreOnShared(Display* display, XErrorEvent* error) {
  if (display == sharedDisplay) return 0;
  return beforeShared ? beforeShared(display, error) : 0;
}

// Each question sets the handler for its own span: SDL, started and stopped by the tests in
// between, puts back whatever handler it found, which may not be ours.
struct Connection {
  Display* display = nullptr;
  Connection() {
    static std::mutex lock;
    static Display* shared = nullptr;
    static std::string name;
    const std::lock_guard guard(lock);
    const char* wanted = std::getenv("DISPLAY");
    const std::string now = wanted ? wanted : "";
    if (shared && name != now) {
      XCloseDisplay(shared);
      shared = nullptr;
    }
    if (!shared) {
      shared = openDisplay();
      name = now;
    }
    sharedDisplay = shared;
    display = shared;
    previous_ = XSetErrorHandler(ignoreOnShared);
    if (previous_ != ignoreOnShared) beforeShared = previous_;
  }
  ~Connection() {
    // Errors of what was asked arrive before we stop ignoring them.
    if (display) XSync(display, False);
    XSetErrorHandler(previous_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

 private:
  XErrorHandler previous_ = nullptr;
};

// The server has the input, in order, before the next comes.
void settle(Display* display) {
  XSync(display, False);
}

void fakeKey(Display* display, const std::string& name, bool down) {
  const KeySym symbol = XStringToKeysym(name.c_str());
  const KeyCode code = XKeysymToKeycode(display, symbol);
  if (code) XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
}

}  // namespace

std::vector<unsigned long> gameWindows() {
  Connection x;
  std::vector<unsigned long> found;
  if (x.display) collect(x.display, DefaultRootWindow(x.display), found);
  std::sort(found.begin(), found.end());  // ids grow as windows are made
  // A window being reparented into its frame can be seen twice in one walk of the tree: at
  // the root, then in the frame that took it meanwhile.
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

std::string windowName(unsigned long window) {
  Connection x;
  std::string name;
  char* text = nullptr;
  if (x.display && XFetchName(x.display, window, &text) && text) {
    name = text;
    XFree(text);
  }
  return name;
}

bool viewable(unsigned long window) {
  Connection x;
  XWindowAttributes attributes;
  return x.display && XGetWindowAttributes(x.display, window, &attributes) &&
         attributes.map_state == IsViewable;
}

std::optional<ScreenRect> clientRect(unsigned long window) {
  Connection x;
  XWindowAttributes attributes;
  if (!x.display || !XGetWindowAttributes(x.display, window, &attributes)) return std::nullopt;
  int screenX = 0, screenY = 0;
  Window child = 0;
  XTranslateCoordinates(x.display, window, DefaultRootWindow(x.display), 0, 0, &screenX, &screenY,
                        &child);
  return ScreenRect{screenX, screenY, attributes.width, attributes.height};
}

std::unique_ptr<rt::Backend> openBackend(Desktop desktop) {
  if (desktop == Desktop::Sdl) return std::make_unique<rt::SdlBackend>();
  return rt::openX11Backend();
}

std::string nameOf(Desktop desktop) {
  return desktop == Desktop::Sdl ? "Sdl" : "X11";
}

unsigned long xWindowOf(const rt::Form& form) {
  if (!dynamic_cast<rt::SdlBackend*>(&rt::App::instance().backend())) {
    return rt::x11WindowOf(form);
  }
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!form.handle() || !SDL_GetWindowWMInfo(static_cast<SDL_Window*>(form.handle()), &info)) {
    return 0;
  }
  return info.info.x11.window;
}

std::vector<long> property32(unsigned long window, const std::string& name) {
  Connection x;
  std::vector<long> values;
  if (!x.display) return values;
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x.display, window, XInternAtom(x.display, name.c_str(), False), 0, 1024,
                         False, AnyPropertyType, &type, &format, &items, &after,
                         &data) == Success &&
      data && format == 32) {
    const auto* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + items);
  }
  if (data) XFree(data);
  return values;
}

std::vector<std::string> atomNames(unsigned long window, const std::string& name) {
  std::vector<std::string> names;
  for (const long atom : property32(window, name)) {
    Connection x;
    char* text = x.display ? XGetAtomName(x.display, static_cast<Atom>(atom)) : nullptr;
    if (text) names.emplace_back(text);
    if (text) XFree(text);
  }
  return names;
}

std::optional<std::vector<int>> sizeLimits(unsigned long window) {
  Connection x;
  XSizeHints hints{};
  long supplied = 0;
  if (!x.display || !XGetWMNormalHints(x.display, window, &hints, &supplied) ||
      !(hints.flags & PMinSize) || !(hints.flags & PMaxSize)) {
    return std::nullopt;
  }
  return std::vector<int>{hints.min_width, hints.min_height, hints.max_width, hints.max_height};
}

void askToMaximise(unsigned long window) {
  Connection x;
  if (!x.display) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x.display, "_NET_WM_STATE", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // add
  event.xclient.data.l[1] =
      static_cast<long>(XInternAtom(x.display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
  event.xclient.data.l[2] =
      static_cast<long>(XInternAtom(x.display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
  event.xclient.data.l[3] = 1;  // from an application
  XSendEvent(x.display, DefaultRootWindow(x.display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XSync(x.display, False);
}

void askToClose(unsigned long window) {
  Connection x;
  if (!x.display) return;
  sendDeleteWindow(x.display, window);
  XSync(x.display, False);
}

bool xdotool(const std::string& arguments) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (std::system(("xdotool " + arguments).c_str()) == 0) return true;
  }
  return false;
}

void pressKey(const std::string& name, const std::vector<std::string>& held) {
  Connection x;
  if (!x.display) return;
  for (const std::string& modifier : held) fakeKey(x.display, modifier, true);
  fakeKey(x.display, name, true);
  fakeKey(x.display, name, false);
  for (auto modifier = held.rbegin(); modifier != held.rend(); ++modifier) {
    fakeKey(x.display, *modifier, false);
  }
  settle(x.display);
}

void typeText(const std::string& text) {
  for (const char c : text) {
    if (c == ' ') {
      pressKey("space");
    } else if (c >= 'A' && c <= 'Z') {
      pressKey(std::string(1, c), {"Shift_L"});
    } else {
      pressKey(std::string(1, c));
    }
  }
}

void movePointer(int screenX, int screenY) {
  Connection x;
  if (!x.display) return;
  XTestFakeMotionEvent(x.display, -1, screenX, screenY, CurrentTime);
  settle(x.display);
}

void clickAt(int screenX, int screenY) {
  Connection x;
  if (!x.display) return;
  XTestFakeMotionEvent(x.display, -1, screenX, screenY, CurrentTime);
  settle(x.display);
  XTestFakeButtonEvent(x.display, 1, True, CurrentTime);
  XTestFakeButtonEvent(x.display, 1, False, CurrentTime);
  settle(x.display);
}

void moveTopLevel(unsigned long window, int screenX, int screenY) {
  Connection x;
  if (!x.display) return;
  XMoveWindow(x.display, window, screenX, screenY);
  settle(x.display);
}

std::vector<std::uint32_t> screenPixels(int x, int y, int width, int height) {
  Connection c;
  std::vector<std::uint32_t> pixels;
  if (!c.display || width <= 0 || height <= 0) return pixels;
  XImage* image =
      XGetImage(c.display, DefaultRootWindow(c.display), x, y, static_cast<unsigned>(width),
                static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, col, row) & 0xFFFFFF));
    }
  }
  XDestroyImage(image);
  return pixels;
}

unsigned long activeWindow() {
  Connection x;
  if (!x.display) return 0;
  const Atom active = XInternAtom(x.display, "_NET_ACTIVE_WINDOW", True);
  if (active == 0) return 0;
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  unsigned long window = 0;
  if (XGetWindowProperty(x.display, DefaultRootWindow(x.display), active, 0, 1, False, XA_WINDOW,
                         &type, &format, &items, &after, &data) == Success &&
      items == 1 && format == 32) {
    window = *reinterpret_cast<unsigned long*>(data);
  }
  if (data) XFree(data);
  return window;
}

bool windowManagerRuns() {
  Connection x;
  return x.display && rt::windowManagerRuns(x.display);
}

unsigned long topLevelOf(unsigned long window) {
  Connection x;
  if (!x.display) return 0;
  for (Window at = window;;) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x.display, at, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    if (parent == root) return at;
    at = parent;
  }
}

std::optional<ScreenRect> topLevelRect(unsigned long window) {
  const unsigned long topLevel = topLevelOf(window);
  Connection x;
  XWindowAttributes attributes;
  if (!topLevel || !x.display || !XGetWindowAttributes(x.display, topLevel, &attributes)) {
    return std::nullopt;
  }
  // Its X border too (fluxbox draws its frame's edge so): the place is the border's corner.
  const int border = attributes.border_width;
  return ScreenRect{attributes.x, attributes.y, attributes.width + 2 * border,
                    attributes.height + 2 * border};
}

struct TopLevelPlaces::State {
  struct TopLevel {
    int x = 0, y = 0;
    bool shown = false;
    std::vector<std::pair<int, int>> places;  // since it last showed
  };
  Display* display = nullptr;
  std::map<unsigned long, TopLevel> windows;

  void take(const XEvent& event) {
    switch (event.type) {
      case CreateNotify:
        windows[event.xcreatewindow.window] = {
            event.xcreatewindow.x, event.xcreatewindow.y, false, {}};
        break;
      case ReparentNotify:  // into the root, or out of it into a frame
        windows[event.xreparent.window] = {event.xreparent.x, event.xreparent.y, false, {}};
        break;
      case ConfigureNotify: {
        TopLevel& window = windows[event.xconfigure.window];
        window.x = event.xconfigure.x;
        window.y = event.xconfigure.y;
        if (window.shown && window.places.back() != std::pair{window.x, window.y}) {
          window.places.emplace_back(window.x, window.y);
        }
        break;
      }
      case MapNotify: {
        TopLevel& window = windows[event.xmap.window];
        window.shown = true;
        window.places = {{window.x, window.y}};
        break;
      }
      case UnmapNotify:
        windows[event.xunmap.window].shown = false;
        break;
      default:
        break;
    }
  }
};

TopLevelPlaces::TopLevelPlaces() : state_(new State) {
  state_->display = openDisplay();
  if (!state_->display) return;
  XSelectInput(state_->display, DefaultRootWindow(state_->display), SubstructureNotifyMask);
  XSync(state_->display, False);
}

TopLevelPlaces::~TopLevelPlaces() {
  if (state_->display) XCloseDisplay(state_->display);
  delete state_;
}

std::vector<std::pair<int, int>> TopLevelPlaces::placesWhileShown(unsigned long topLevel) {
  if (!state_->display) return {};
  XSync(state_->display, False);
  while (XPending(state_->display)) {
    XEvent event;
    XNextEvent(state_->display, &event);
    state_->take(event);
  }
  const auto it = state_->windows.find(topLevel);
  return it == state_->windows.end() || !it->second.shown ? std::vector<std::pair<int, int>>{}
                                                          : it->second.places;
}

OtherWindow::OtherWindow() {
  Display* display = openDisplay();
  display_ = display;
  if (!display) return;
  const Window root = DefaultRootWindow(display);
  window_ = XCreateSimpleWindow(display, root, 0, 700, 300, 60, 0, 0, 0xFFFFFF);
  XSizeHints place{};
  place.flags = USPosition;
  place.x = 0;
  place.y = 700;
  XSetWMNormalHints(display, window_, &place);
  XMapRaised(display, window_);
  XSync(display, False);
}

OtherWindow::~OtherWindow() {
  if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

Panels::Panels(int top, int bottom) : top_(top), bottom_(bottom) {
  Display* display = openDisplay();
  display_ = display;
  if (!display) return;
  const Window root = DefaultRootWindow(display);
  const int width = DisplayWidth(display, DefaultScreen(display));
  const int height = DisplayHeight(display, DefaultScreen(display));
  const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  const Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
  const Atom strut = XInternAtom(display, "_NET_WM_STRUT", False);
  const Atom partial = XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False);
  for (const bool atTop : {true, false}) {
    const int thickness = atTop ? top : bottom;
    const Window panel = XCreateSimpleWindow(display, root, 0, atTop ? 0 : height - thickness,
                                             static_cast<unsigned>(width),
                                             static_cast<unsigned>(thickness), 0, 0, 0x303030);
    XChangeProperty(display, panel, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dock), 1);
    // left, right, top, bottom; then where along each edge the strip lies.
    const long struts[12] = {0,
                             0,
                             atTop ? thickness : 0,
                             atTop ? 0 : thickness,
                             0,
                             0,
                             0,
                             0,
                             0,
                             atTop ? width - 1 : 0,
                             0,
                             atTop ? 0 : width - 1};
    XChangeProperty(display, panel, strut, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(struts), 4);
    XChangeProperty(display, panel, partial, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(struts), 12);
    XMapWindow(display, panel);
  }
  XSync(display, False);
}

Panels::~Panels() {
  if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

bool Panels::takenOff(double seconds) const {
  Display* display = static_cast<Display*>(display_);
  if (!display) return false;
  const int height = DisplayHeight(display, DefaultScreen(display));
  const Atom workArea = XInternAtom(display, "_NET_WORKAREA", False);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool taken = false;
    if (XGetWindowProperty(display, DefaultRootWindow(display), workArea, 0, 4, False, XA_CARDINAL,
                           &type, &format, &items, &after, &data) == Success &&
        data && format == 32 && items == 4) {
      const auto* area = reinterpret_cast<const long*>(data);
      taken = area[1] == top_ && area[3] == height - top_ - bottom_;
    }
    if (data) XFree(data);
    if (taken) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool windowManagerManages(double seconds) {
  Connection x;
  if (!x.display) return false;
  const Window probe =
      XCreateSimpleWindow(x.display, DefaultRootWindow(x.display), 0, 0, 10, 10, 0, 0, 0);
  const Atom state = XInternAtom(x.display, "WM_STATE", False);
  bool managed = false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (int look = 0; !managed && std::chrono::steady_clock::now() < end; ++look) {
    // A request made while it was still starting may have been lost: ask again now and then.
    if (look % 10 == 0) XMapWindow(x.display, probe);
    XSync(x.display, False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    managed = XGetWindowProperty(x.display, probe, state, 0, 2, False, AnyPropertyType, &type,
                                 &format, &items, &after, &data) == Success &&
              items > 0;
    if (data) XFree(data);
    if (!managed) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  XDestroyWindow(x.display, probe);
  return managed;
}

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
    Display* display = openDisplay();
    for (;;) {
      Window target = 0;
      {
        std::unique_lock guard(state->lock);
        state->wanted.wait(guard, [&] { return state->stop || state->target; });
        if (state->stop) break;
        target = state->target;
        state->target = 0;
      }
      sendDeleteWindow(display, target);
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

void WindowCloser::close(unsigned long window) {
  {
    const std::lock_guard guard(state_->lock);
    state_->target = window;
  }
  state_->wanted.notify_one();
}

}  // namespace velloran::testing
