#include "runtime/x11_backend.h"

// Our own headers first: Xlib's macros (None, Bool, KeyPress) must not reach them.
#include "base/run_time_error.h"
#include "runtime/app.h"
#include "runtime/desktop_input.h"
#include "runtime/desktop_scale.h"
#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/message_box.h"
#include "runtime/shared_library.h"
#include "runtime/text.h"
#include "runtime/timing_trace.h"
#include "runtime/x11_connection.h"
#include "runtime/x11_window_icon.h"

namespace velloran::rt {
namespace {
// Before Xlib's None arrives.
bool borderless(const Form& form) {
  return form.borderStyle() == BorderStyle::None;
}
constexpr InputEvent::Kind kTyped = InputEvent::Kind::KeyPress;
}  // namespace
}  // namespace velloran::rt

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <thread>

#include "runtime/x11_shared_pixels.h"

namespace velloran::rt {
namespace {

// The atoms the backend uses, asked for in one round trip.
enum AtomName {
  kWmProtocols,
  kWmDeleteWindow,
  kWmTakeFocus,
  kNetWmPing,
  kNetWmName,
  kUtf8String,
  kNetWmPid,
  kNetWmWindowType,
  kNetWmWindowTypeNormal,
  kNetWmUserTime,
  kNetFrameExtents,
  kNetWmState,
  kNetWmStateMaximizedVert,
  kNetWmStateMaximizedHorz,
  kClipboard,
  kTargets,
  kText,
  kOurSelection,
  kAtomCount
};
const char* const kAtomNames[kAtomCount] = {"WM_PROTOCOLS",
                                            "WM_DELETE_WINDOW",
                                            "WM_TAKE_FOCUS",
                                            "_NET_WM_PING",
                                            "_NET_WM_NAME",
                                            "UTF8_STRING",
                                            "_NET_WM_PID",
                                            "_NET_WM_WINDOW_TYPE",
                                            "_NET_WM_WINDOW_TYPE_NORMAL",
                                            "_NET_WM_USER_TIME",
                                            "_NET_FRAME_EXTENTS",
                                            "_NET_WM_STATE",
                                            "_NET_WM_STATE_MAXIMIZED_VERT",
                                            "_NET_WM_STATE_MAXIMIZED_HORZ",
                                            "CLIPBOARD",
                                            "TARGETS",
                                            "TEXT",
                                            "VELLORAN_SELECTION"};

constexpr long kWindowEvents =
    FocusChangeMask | ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
    LeaveWindowMask | KeyPressMask | KeyReleaseMask | PropertyChangeMask | StructureNotifyMask;
// How long a window manager has to show or hide a window before the loop goes on.
constexpr double kWindowManagerSeconds = 2.0;
// How long the clipboard's owner has to hand its text over.
constexpr double kClipboardSeconds = 1.0;

double monotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Errors of requests about windows that went meanwhile (a focus given to a window the window
// manager has not yet shown, say) are no reason to end; Xlib's default handler ends the
// program. A handler someone else set (the tests count errors) stays.
int ignoreError(Display*, XErrorEvent*) {
  return 0;
}
void ignoreErrorsUnlessWatched() {
  const XErrorHandler previous = XSetErrorHandler(nullptr);
  const XErrorHandler standard = XSetErrorHandler(previous);
  if (previous == standard) XSetErrorHandler(ignoreError);
}

std::int16_t keyCodeOf(KeySym key) {
  if (key >= XK_a && key <= XK_z) return static_cast<std::int16_t>(vbKeyA + (key - XK_a));
  if (key >= XK_A && key <= XK_Z) return static_cast<std::int16_t>(vbKeyA + (key - XK_A));
  if (key >= XK_0 && key <= XK_9) return static_cast<std::int16_t>(vbKey0 + (key - XK_0));
  if (key >= XK_F1 && key <= XK_F12) return static_cast<std::int16_t>(vbKeyF1 + (key - XK_F1));
  if (key >= XK_KP_0 && key <= XK_KP_9) {
    return static_cast<std::int16_t>(vbKeyNumpad0 + (key - XK_KP_0));
  }
  // The keypad's keys by their place, whether Num Lock is on or not.
  switch (key) {
    case XK_KP_Insert:
      return vbKeyNumpad0;
    case XK_KP_End:
      return vbKeyNumpad0 + 1;
    case XK_KP_Down:
      return vbKeyNumpad0 + 2;
    case XK_KP_Next:
      return vbKeyNumpad0 + 3;
    case XK_KP_Left:
      return vbKeyNumpad0 + 4;
    case XK_KP_Begin:
      return vbKeyNumpad0 + 5;
    case XK_KP_Right:
      return vbKeyNumpad0 + 6;
    case XK_KP_Home:
      return vbKeyNumpad0 + 7;
    case XK_KP_Up:
      return vbKeyNumpad0 + 8;
    case XK_KP_Prior:
      return vbKeyNumpad0 + 9;
    case XK_BackSpace:
      return vbKeyBack;
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return vbKeyTab;
    case XK_Return:
    case XK_KP_Enter:
      return vbKeyReturn;
    case XK_Shift_L:
    case XK_Shift_R:
      return vbKeyShift;
    case XK_Control_L:
    case XK_Control_R:
      return vbKeyControl;
    case XK_Alt_L:
    case XK_Alt_R:
      return vbKeyMenu;
    case XK_Pause:
      return vbKeyPause;
    case XK_Escape:
      return vbKeyEscape;
    case XK_space:
      return vbKeySpace;
    case XK_Prior:
      return vbKeyPageUp;
    case XK_Next:
      return vbKeyPageDown;
    case XK_End:
      return vbKeyEnd;
    case XK_Home:
      return vbKeyHome;
    case XK_Left:
      return vbKeyLeft;
    case XK_Up:
      return vbKeyUp;
    case XK_Right:
      return vbKeyRight;
    case XK_Down:
      return vbKeyDown;
    case XK_Insert:
      return vbKeyInsert;
    case XK_Delete:
      return vbKeyDelete;
    default:
      return 0;
  }
}

// The shift state once the key has gone down or up: a Shift key held down counts itself.
std::int16_t shiftOf(unsigned state, std::int16_t code, bool down) {
  std::int16_t shift = 0;
  if (state & ShiftMask) shift |= vbShiftMask;
  if (state & ControlMask) shift |= vbCtrlMask;
  if (state & Mod1Mask) shift |= vbAltMask;
  const std::int16_t own = code == vbKeyShift     ? vbShiftMask
                           : code == vbKeyControl ? vbCtrlMask
                           : code == vbKeyMenu    ? vbAltMask
                                                  : 0;
  return static_cast<std::int16_t>(down ? shift | own : shift & ~own);
}

struct XWindow {
  Form* form = nullptr;
  ::Window id = 0;
  XIC ic = nullptr;
  bool mapped = false;
  FrameExtents borders;  // as the window manager last said (_NET_FRAME_EXTENTS)
  ::Window parent = 0;   // the root, or the window manager's frame
  // Where the client area lies on the root, as last notified; unknown while a move of ours
  // is under way.
  std::optional<std::pair<int, int>> client;
  int sizeKept = 0;         // times its size was asked back of late
  double sizeKeptAt = -10;  // when last
  std::string title;
  int width = 0, height = 0;
  unsigned long userTime = 0;
};

XWindow* windowData(const Form& form) {
  return static_cast<XWindow*>(form.handle());
}

class X11Backend final : public Backend {
 public:
  explicit X11Backend(Display* display);
  ~X11Backend() override;

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
  void wake() override { wakeUp_.wake(); }
  Clock& clock() override { return clock_; }
  void messageBox(const std::string& text, const std::string& title, Form* owner) override {
    showMessageBox(text, title, owner);
  }
  // The work area in game pixels: the ones wholly inside the screen's.
  Rect workArea() override { return scale_.toGame(screenWorkArea()); }
  bool realWindows() const override { return true; }
  int desktopScale() const override { return scale_.factor; }
  std::string clipboardText() override;
  void setClipboardText(const std::string& text) override;

 private:
  // An input event waiting to be taken, with the window it happened in: a window closed
  // meanwhile leaves it to the active form, as the desktop would.
  struct Pending {
    InputEvent event;
    ::Window window = 0;
    bool needsForm = false;  // dropped when its window has gone
  };

  XWindow* windowOf(::Window id) const {
    const auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : it->second.get();
  }
  void queue(InputEvent::Kind kind, ::Window window, std::int16_t code = 0, std::int16_t shift = 0,
             int x = 0, int y = 0, bool needsForm = false) {
    pending_.push_back({{kind, nullptr, code, shift, x, y}, window, needsForm});
  }
  void handle(XEvent& event);
  void handleKey(XEvent& event, XWindow& window);
  void handleClientMessage(const XClientMessageEvent& message);
  void serveSelection(const XSelectionRequestEvent& request);
  void show(Form& form, const Picture& picture, const std::vector<Rect>& rects);
  void setTitle(XWindow& window, const std::string& title);
  void setSizeHints(const XWindow& window, int x, int y);
  void readBorders(XWindow& window);
  void learnFrame(Form& form);
  void noteConfigure(XWindow& window, const XConfigureEvent& configure);
  void followDesktop(XWindow& window);
  void keepSize(XWindow& window);
  bool viewable(const XWindow& window);
  void noteUserTime(XWindow& window, unsigned long time);
  bool windowManagerRuns();
  // Whether the window was mapped or unmapped in time; if not, the loop notes it later.
  bool waitForWindowEvent(::Window window, int type);
  void openInputMethod();
  void createInputContext(XWindow& window);
  ::Window clipboardWindow();
  Rect screenWorkArea();  // in screen pixels
  // A property of 32-bit numbers; empty when the window has none.
  std::vector<long> cardinals(::Window window, Atom property);
  std::vector<long> cardinals(::Window window, const char* name) {
    return cardinals(window, XInternAtom(display_, name, False));
  }
  std::optional<Rect> primaryMonitor();

  Display* display_;
  int screen_;
  ::Window root_;
  Atom atoms_[kAtomCount] = {};
  SystemClock clock_;
  WakeUp wakeUp_;
  std::map<::Window, std::unique_ptr<XWindow>> windows_;
  std::deque<Pending> pending_;
  int windowManager_ = -1;  // unknown until first asked
  bool inputMethodTried_ = false;
  XIM inputMethod_ = nullptr;
  ::Window clipboardWindow_ = 0;
  ::Window focusWanted_ = 0;  // meant to have the keyboard, but not yet showing
  std::string clipboard_;     // what we hold on the clipboard, in UTF-8
  std::vector<std::pair<std::string, Rect>> unsent_;  // drawn but not yet sent, for the trace
  std::unique_ptr<SharedPixels> shared_;
  std::vector<Rect> areas_;  // the rectangles of the present under way
  // Screen pixels per game pixel: everything the game sees (places, sizes, the mouse, frames)
  // is in its own pixels; only the calls to the X server are in the screen's.
  DesktopScale scale_;
};

X11Backend::X11Backend(Display* display)
    : display_(display), screen_(DefaultScreen(display)), root_(RootWindow(display, screen_)) {
  endWhenDisplayLost();
  ignoreErrorsUnlessWatched();
  XInternAtoms(display_, const_cast<char**>(kAtomNames), kAtomCount, False, atoms_);
  // Held keys repeat as presses only, with no release between them.
  Bool repeatsDetected = False;
  XkbSetDetectableAutoRepeat(display_, True, &repeatsDetected);
  shared_ = std::make_unique<SharedPixels>(display_);
  scale_.factor = x11DesktopScale(display_, screenWorkArea());
}

X11Backend::~X11Backend() {
  for (auto& [id, window] : windows_) {
    if (window->ic) XDestroyIC(window->ic);
    XDestroyWindow(display_, id);
    window->form->setHandle(nullptr);
  }
  if (inputMethod_) XCloseIM(inputMethod_);
  shared_.reset();
  XCloseDisplay(display_);
}

void X11Backend::openWindow(Form& form) {
  auto window = std::make_unique<XWindow>();
  window->form = &form;
  window->width = std::max(1, form.scaleWidth());
  window->height = std::max(1, form.scaleHeight());
  window->parent = root_;
  const auto [x, y] = form.askedPlace(windowManagerRuns());
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;  // nothing painted before the game draws
  attributes.border_pixel = 0;
  attributes.backing_store = NotUseful;
  attributes.event_mask = kWindowEvents;
  window->id = XCreateWindow(
      display_, root_, scale_.toScreen(x), scale_.toScreen(y),
      static_cast<unsigned>(scale_.toScreen(window->width)),
      static_cast<unsigned>(scale_.toScreen(window->height)), 0, CopyFromParent, InputOutput,
      CopyFromParent, CWBackPixmap | CWBorderPixel | CWBackingStore | CWEventMask, &attributes);
  const ::Window id = window->id;
  // What the window manager reads: a fixed size, the place asked for, the keyboard taken
  // when given, one class for every window, the process, a normal window.
  XSizeHints* size = XAllocSizeHints();
  XWMHints* hints = XAllocWMHints();
  XClassHint* type = XAllocClassHint();
  size->flags = PMinSize | PMaxSize | USPosition;
  size->x = scale_.toScreen(x);
  size->y = scale_.toScreen(y);
  size->min_width = size->max_width = scale_.toScreen(window->width);
  size->min_height = size->max_height = scale_.toScreen(window->height);
  hints->flags = InputHint;
  hints->input = True;
  type->res_name = const_cast<char*>("velloran");
  type->res_class = const_cast<char*>("velloran");
  XSetWMProperties(display_, id, nullptr, nullptr, nullptr, 0, size, hints, type);
  XFree(size);
  XFree(hints);
  XFree(type);
  const long pid = getpid();
  XChangeProperty(display_, id, atoms_[kNetWmPid], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  XChangeProperty(display_, id, atoms_[kNetWmWindowType], XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&atoms_[kNetWmWindowTypeNormal]), 1);
  // Decorations, or none for a window without a border; a dialog loses its minimise button
  // once it is known as one.
  setWindowFunctions(display_, id, !borderless(form), true);
  Atom protocols[] = {atoms_[kWmDeleteWindow], atoms_[kWmTakeFocus], atoms_[kNetWmPing]};
  XSetWMProtocols(display_, id, protocols, 3);
  setTitle(*window, titleOf(form));
  setX11WindowIcon(display_, id, App::instance().icons());
  if (inputMethod_) createInputContext(*window);
  form.setHandle(window.get());
  windows_[id] = std::move(window);
}

void X11Backend::closeWindow(Form& form) {
  XWindow* window = windowData(form);
  if (!window) return;
  if (window->ic) XDestroyIC(window->ic);
  if (focusWanted_ == window->id) focusWanted_ = 0;
  XDestroyWindow(display_, window->id);
  XFlush(display_);
  form.setHandle(nullptr);
  windows_.erase(window->id);
}

void X11Backend::setTitle(XWindow& window, const std::string& title) {
  if (window.title == title && !title.empty()) return;
  window.title = title;
  XStoreName(display_, window.id, title.c_str());  // single-byte text, as WM_NAME keeps it
  const std::string utf8 = latin1ToUtf8(title);
  XChangeProperty(display_, window.id, atoms_[kNetWmName], atoms_[kUtf8String], 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()),
                  static_cast<int>(utf8.size()));
}

void X11Backend::setSizeHints(const XWindow& window, int x, int y) {
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize | USPosition;
  hints.x = scale_.toScreen(x);
  hints.y = scale_.toScreen(y);
  hints.min_width = hints.max_width = scale_.toScreen(window.width);
  hints.min_height = hints.max_height = scale_.toScreen(window.height);
  XSetWMNormalHints(display_, window.id, &hints);
}

bool X11Backend::windowManagerRuns() {
  if (windowManager_ < 0) windowManager_ = rt::windowManagerRuns(display_);
  return windowManager_ == 1;
}

bool X11Backend::waitForWindowEvent(::Window window, int type) {
  struct Wanted {
    ::Window window;
    int type;
  } wanted{window, type};
  const auto matches = [](Display*, XEvent* e, XPointer arg) -> Bool {
    const auto* w = reinterpret_cast<const Wanted*>(arg);
    return e->type == w->type && e->xany.window == w->window;
  };
  XFlush(display_);
  XEvent event;
  const double giveUp = monotonicSeconds() + kWindowManagerSeconds;
  while (!XCheckIfEvent(display_, &event, matches, reinterpret_cast<XPointer>(&wanted))) {
    const double left = giveUp - monotonicSeconds();
    if (left <= 0) return false;
    pollfd watched{ConnectionNumber(display_), POLLIN, 0};
    poll(&watched, 1, static_cast<int>(std::ceil(left * 1000)));
  }
  return true;
}

void X11Backend::showWindow(Form& form, bool visible) {
  XWindow* window = windowData(form);
  if (!window) return;
  if (!visible) {
    if (focusWanted_ == window->id) focusWanted_ = 0;
    if (window->mapped) {
      XWithdrawWindow(display_, window->id, screen_);
      window->mapped = !waitForWindowEvent(window->id, UnmapNotify);
    }
    XFlush(display_);
    return;
  }
  if (!window->mapped) {
    XMapRaised(display_, window->id);
    // Once mapped, the window is there to draw on and its frame is known. A window manager
    // still starting may take its time, or lose the request.
    window->mapped = waitForWindowEvent(window->id, MapNotify);
  }
  // With no window manager nobody gives the new window the keyboard.
  if (!windowManagerRuns()) XSetInputFocus(display_, window->id, RevertToNone, CurrentTime);
  if (window->borders == FrameExtents{}) readBorders(*window);
  XRaiseWindow(display_, window->id);
  XFlush(display_);
  learnFrame(form);
}

void X11Backend::readBorders(XWindow& window) {
  const std::vector<long> extents = cardinals(window.id, atoms_[kNetFrameExtents]);
  if (extents.size() != 4) return;
  window.borders =
      scale_.toGame(FrameExtents{static_cast<int>(extents[0]), static_cast<int>(extents[2]),
                                 static_cast<int>(extents[1]), static_cast<int>(extents[3])});
}

void X11Backend::learnFrame(Form& form) {
  // Once a window manager has framed a window, its outer rectangle is known; the first frame
  // is the best guess for the windows not yet framed.
  App& app = App::instance();
  XWindow* window = windowData(form);
  if (!window || borderless(form) || window->borders == FrameExtents{}) return;
  form.setOwnFrame(window->borders);
  if (!app.desktopFrame()) app.setDesktopFrame(window->borders);
  followDesktop(*window);  // the client area stays; the outer corner is where the frame says
}

void X11Backend::noteConfigure(XWindow& window, const XConfigureEvent& configure) {
  // Where the client area now lies on the root: a window manager's own notice says so
  // outright (and is the only notice when it moves the frame), ours is relative to the frame.
  int x = configure.x, y = configure.y;
  if (!configure.send_event && window.parent != root_) {
    ::Window child = 0;
    if (!XTranslateCoordinates(display_, window.id, root_, 0, 0, &x, &y, &child)) return;
  }
  window.client = {scale_.toGame(x), scale_.toGame(y)};
  followDesktop(window);
  if (configure.width != scale_.toScreen(window.width) ||
      configure.height != scale_.toScreen(window.height)) {
    keepSize(window);
  }
}

void X11Backend::keepSize(XWindow& window) {
  // A window manager that maximised or stretched a window of fixed size despite its hints
  // (fluxbox maximises on request) is asked to take it back; one that insists (a tiling one)
  // is left to it, rather than answered at every turn.
  const double now = monotonicSeconds();
  if (now - window.sizeKeptAt > 1) window.sizeKept = 0;
  if (++window.sizeKept > 3) return;
  window.sizeKeptAt = now;
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = window.id;
  request.xclient.message_type = atoms_[kNetWmState];
  request.xclient.format = 32;
  request.xclient.data.l[0] = 0;  // remove
  request.xclient.data.l[1] = static_cast<long>(atoms_[kNetWmStateMaximizedVert]);
  request.xclient.data.l[2] = static_cast<long>(atoms_[kNetWmStateMaximizedHorz]);
  request.xclient.data.l[3] = 1;  // from the program itself
  XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &request);
  XResizeWindow(display_, window.id, static_cast<unsigned>(scale_.toScreen(window.width)),
                static_cast<unsigned>(scale_.toScreen(window.height)));
  XFlush(display_);
}

void X11Backend::followDesktop(XWindow& window) {
  if (!window.client) return;
  const FrameExtents frame = window.form->frame();
  window.form->movedTo(window.client->first - frame.left, window.client->second - frame.top);
}

void X11Backend::placeWindow(Form& form) {
  XWindow* window = windowData(form);
  if (!window) return;
  setTitle(*window, titleOf(form));
  const auto [x, y] = form.askedPlace(windowManagerRuns());
  const int width = std::max(1, form.scaleWidth()), height = std::max(1, form.scaleHeight());
  if (width != window->width || height != window->height) {
    window->width = width;
    window->height = height;
    setSizeHints(*window, x, y);
    XResizeWindow(display_, window->id, static_cast<unsigned>(scale_.toScreen(width)),
                  static_cast<unsigned>(scale_.toScreen(height)));
  }
  // A window manager puts the frame's corner where the window is asked to go.
  XMoveWindow(display_, window->id, scale_.toScreen(x), scale_.toScreen(y));
  window->client.reset();
  XFlush(display_);
}

void X11Backend::present(Form& form) {
  const Picture& picture = form.shownImage();
  show(form, picture, {{0, 0, picture.width(), picture.height()}});
}

void X11Backend::presentRects(Form& form, const std::vector<Rect>& rects) {
  show(form, form.composedImage(), rects);
}

void X11Backend::show(Form& form, const Picture& picture, const std::vector<Rect>& rects) {
  const XWindow* window = windowData(form);
  // A window not mapped keeps nothing drawn on it; it is drawn whole when exposed.
  if (!window || !window->mapped) return;
  const Rect bounds = intersection({0, 0, window->width, window->height},
                                   {0, 0, picture.width(), picture.height()});
  areas_.clear();
  for (const Rect& rect : rects) {
    const Rect area = intersection(rect, bounds);
    if (!area.empty()) areas_.push_back(area);
  }
  if (areas_.empty()) return;
  if (!shared_->put(window->id, picture, areas_, scale_.factor)) {
    if (scale_.factor == 1) {
      putPicture(display_, window->id, picture, areas_, window->width, window->height);
    } else {
      putScaledPicture(display_, window->id, picture, areas_, scale_.factor);
    }
  }
  if (timing::on()) {
    for (const Rect& area : areas_) unsent_.push_back({form.name(), area});
  }
}

void X11Backend::flush() {
  XFlush(display_);
  for (const auto& [name, area] : unsent_) {
    timing::notePresent(name, area.x, area.y, area.width, area.height);
  }
  unsent_.clear();
}

void X11Backend::focusWindow(Form& form) {
  const XWindow* window = windowData(form);
  if (!window) return;
  XRaiseWindow(display_, window->id);
  focusWanted_ = 0;
  if (viewable(*window)) {
    XSetInputFocus(display_, window->id, RevertToNone, CurrentTime);
  } else if (window->mapped) {
    focusWanted_ = window->id;  // given once it shows
  }
  XFlush(display_);
}

bool X11Backend::viewable(const XWindow& window) {
  // A window manager may map our window before its frame (fluxbox does): until both are, the
  // window cannot take the keyboard.
  if (!window.mapped) return false;
  if (!windowManagerRuns()) return true;
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window.id, &attributes) &&
         attributes.map_state == IsViewable;
}

void X11Backend::setOwner(Form& dialog, Form& owner) {
  const XWindow* window = windowData(dialog);
  const XWindow* under = windowData(owner);
  if (window && under) {
    XSetTransientForHint(display_, window->id, under->id);
    setWindowFunctions(display_, window->id, !borderless(dialog), false);
    XFlush(display_);
  }
}

void X11Backend::noteUserTime(XWindow& window, unsigned long time) {
  // The window manager weighs new windows against the player's last input.
  if (time == 0 || time == window.userTime) return;
  window.userTime = time;
  const long value = static_cast<long>(time);
  XChangeProperty(display_, window.id, atoms_[kNetWmUserTime], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&value), 1);
}

void X11Backend::handleKey(XEvent& event, XWindow& window) {
  XKeyEvent& key = event.xkey;
  const bool down = event.type == KeyPress;
  // The key's own symbol, as the layout names it unshifted: A for a and for Shift+A.
  const KeySym symbol = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(key.keycode),
                                           static_cast<int>(XkbGroupForCoreState(key.state)), 0);
  const std::int16_t code = keyCodeOf(symbol);
  const std::int16_t shift = shiftOf(key.state, code, down);
  if (!down) {
    if (code) queue(InputEvent::Kind::KeyUp, window.id, code, shift);
    return;
  }
  noteUserTime(window, key.time);
  if (code) queue(InputEvent::Kind::KeyDown, window.id, code, shift);
  // The text the key types, as the keyboard's layout and input method make it.
  char text[64] = {};
  KeySym typed = 0;
  std::string characters;
  if (window.ic) {
    Status status = 0;
    const int length = Xutf8LookupString(window.ic, &key, text, sizeof text - 1, &typed, &status);
    if (length > 0 && (status == XLookupChars || status == XLookupBoth)) {
      characters = utf8ToLatin1(std::string_view(text, static_cast<std::size_t>(length)));
    }
  } else {
    const int length = XLookupString(&key, text, sizeof text - 1, &typed, nullptr);
    if (length > 0) characters.assign(text, static_cast<std::size_t>(length));
  }
  for (const char c : characters) {
    const auto character = static_cast<unsigned char>(c);
    // Control characters come from the key itself, below.
    if (character >= ' ' && character != 127) {
      queue(kTyped, window.id, static_cast<std::int16_t>(character));
    }
  }
  if (code) {
    const InputEvent pressed{InputEvent::Kind::KeyDown, nullptr, code, shift, 0, 0};
    if (const int control = typedCharacterOf(pressed); control != 0) {
      queue(kTyped, window.id, static_cast<std::int16_t>(control));
    }
  }
}

void X11Backend::handleClientMessage(const XClientMessageEvent& message) {
  if (message.message_type != atoms_[kWmProtocols] || message.format != 32) return;
  const auto protocol = static_cast<Atom>(message.data.l[0]);
  if (protocol == atoms_[kWmDeleteWindow]) {
    queue(InputEvent::Kind::Close, message.window, 0, 0, 0, 0, true);
  } else if (protocol == atoms_[kNetWmPing]) {
    XEvent reply{};
    reply.xclient = message;
    reply.xclient.window = root_;
    XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &reply);
    XFlush(display_);
  } else if (const XWindow* window = windowOf(message.window);
             protocol == atoms_[kWmTakeFocus] && window && window->mapped) {
    // fluxbox offers the keyboard before it maps the frame: the window takes it once it shows.
    if (viewable(*window)) {
      XSetInputFocus(display_, message.window, RevertToNone, static_cast<Time>(message.data.l[1]));
    } else {
      focusWanted_ = window->id;
    }
    XFlush(display_);
  }
}

void X11Backend::handle(XEvent& event) {
  if (inputMethod_ && XFilterEvent(&event, None)) return;  // part of a composed character
  switch (event.type) {
    case SelectionRequest:
      serveSelection(event.xselectionrequest);
      return;
    case MappingNotify:
      XRefreshKeyboardMapping(&event.xmapping);
      return;
    case ClientMessage:
      handleClientMessage(event.xclient);
      return;
    default:
      break;
  }
  XWindow* window = windowOf(event.xany.window);
  if (!window) return;
  switch (event.type) {
    case KeyPress:
    case KeyRelease:
      handleKey(event, *window);
      break;
    case ButtonPress:
    case ButtonRelease: {
      const unsigned button = event.xbutton.button;
      if (button >= 4 && button <= 7) break;  // the wheel
      const bool down = event.type == ButtonPress;
      if (down) {
        // A click that brings a window to the front also acts there, as on any desktop
        // (one just after a dialog closed and gave the table the keyboard back, too).
        noteUserTime(*window, event.xbutton.time);
      }
      queue(down ? InputEvent::Kind::MouseDown : InputEvent::Kind::MouseUp, window->id,
            button == Button3 ? 2 : 1, 0, scale_.toGame(event.xbutton.x),
            scale_.toGame(event.xbutton.y));
      break;
    }
    case MotionNotify:
      queue(InputEvent::Kind::MouseMove, window->id, 0, 0, scale_.toGame(event.xmotion.x),
            scale_.toGame(event.xmotion.y));
      break;
    case LeaveNotify:
      // The pointer went out: a move to where it is now, outside, ends what it hovered over.
      if (event.xcrossing.mode == NotifyNormal) {
        queue(InputEvent::Kind::MouseMove, window->id, 0, 0, scale_.toGame(event.xcrossing.x),
              scale_.toGame(event.xcrossing.y));
      }
      break;
    case FocusIn:
      if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab ||
          event.xfocus.detail == NotifyInferior || event.xfocus.detail == NotifyPointer) {
        break;
      }
      if (window->ic) XSetICFocus(window->ic);
      queue(InputEvent::Kind::FocusGained, window->id, 0, 0, 0, 0, true);
      break;
    case FocusOut:
      if (window->ic && event.xfocus.mode != NotifyGrab) XUnsetICFocus(window->ic);
      break;
    case Expose:
      // Drawn on: it shows, and can take the keyboard it was meant to have.
      if (focusWanted_ == window->id) {
        focusWanted_ = 0;
        XSetInputFocus(display_, window->id, RevertToNone, CurrentTime);
      }
      // The last of one exposure's rectangles: the window is drawn whole once.
      if (event.xexpose.count == 0) queue(InputEvent::Kind::Exposed, window->id, 0, 0, 0, 0, true);
      break;
    case MapNotify:
      window->mapped = true;
      break;
    case UnmapNotify:
      window->mapped = false;
      break;
    case ReparentNotify:
      window->parent = event.xreparent.parent;
      break;
    case ConfigureNotify:
      noteConfigure(*window, event.xconfigure);
      break;
    case PropertyNotify:
      if (event.xproperty.atom == atoms_[kNetFrameExtents]) {
        readBorders(*window);
        learnFrame(*window->form);
      }
      break;
    default:
      break;
  }
}

bool X11Backend::pollEvent(Form*, InputEvent& event) {
  flush();
  if (wakeUp_.takeQuit()) {
    event = {InputEvent::Kind::Quit, nullptr, 0, 0, 0, 0};
    return true;
  }
  for (;;) {
    while (!pending_.empty()) {
      const Pending next = pending_.front();
      pending_.pop_front();
      event = next.event;
      const XWindow* window = windowOf(next.window);
      event.form = window ? window->form : nullptr;
      if (!next.needsForm || event.form) return true;
    }
    if (XPending(display_) == 0) return false;
    XEvent x;
    XNextEvent(display_, &x);
    handle(x);
  }
}

void X11Backend::waitEvent(Form*, double seconds) {
  flush();
  if (wakeUp_.quitPending() || !pending_.empty() || XPending(display_) > 0) return;
  // The input method costs a few milliseconds to open: it waits for the first idle moment
  // after a window is on the screen.
  if (!inputMethodTried_) {
    for (const auto& [id, window] : windows_) {
      if (window->mapped) {
        openInputMethod();
        return;
      }
    }
  }
  const int milliseconds = seconds < 0 ? -1 : static_cast<int>(std::ceil(seconds * 1000.0));
  pollfd watched[] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeUp_.fd(), POLLIN, 0}};
  if (poll(watched, 2, milliseconds) > 0 && (watched[1].revents & POLLIN)) wakeUp_.drain();
}

void X11Backend::openInputMethod() {
  inputMethodTried_ = true;
  // Opened in the desktop's locale, as the player's keyboard expects; the game itself stays
  // in its own. An input method reached over D-Bus (IBus, Fcitx) is not used through X.
  const char* current = std::setlocale(LC_ALL, nullptr);
  const std::string saved = current ? current : "C";
  const char* modifiers = std::getenv("XMODIFIERS");
  const bool overDbus =
      modifiers && (std::strstr(modifiers, "@im=ibus") || std::strstr(modifiers, "@im=fcitx"));
  std::setlocale(LC_ALL, "");
  XSetLocaleModifiers(modifiers && !overDbus ? modifiers : "@im=none");
  inputMethod_ =
      XOpenIM(display_, nullptr, const_cast<char*>("velloran"), const_cast<char*>("velloran"));
  std::setlocale(LC_ALL, saved.c_str());
  if (!inputMethod_) return;
  for (auto& [id, window] : windows_) createInputContext(*window);
}

void X11Backend::createInputContext(XWindow& window) {
  window.ic = XCreateIC(inputMethod_, XNClientWindow, window.id, XNFocusWindow, window.id,
                        XNInputStyle, XIMPreeditNothing | XIMStatusNothing, nullptr);
  if (!window.ic) return;
  long wanted = 0;
  if (!XGetICValues(window.ic, XNFilterEvents, &wanted, nullptr)) {
    XSelectInput(display_, window.id, kWindowEvents | wanted);
  }
  XSetICFocus(window.ic);
}

Rect X11Backend::screenWorkArea() {
  const Rect root{0, 0, DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)};
  // The free part of the screen the window manager says, for the desktop shown now.
  Rect free = root;
  const std::vector<long> desktop = cardinals(root_, "_NET_CURRENT_DESKTOP");
  const std::vector<long> areas = cardinals(root_, "_NET_WORKAREA");
  const std::size_t at = 4 * static_cast<std::size_t>(desktop.empty() ? 0 : desktop[0]);
  if (areas.size() >= at + 4) {
    free = {static_cast<int>(areas[at]), static_cast<int>(areas[at + 1]),
            static_cast<int>(areas[at + 2]), static_cast<int>(areas[at + 3])};
  }
  // Of it, the part on the primary monitor.
  const Rect monitor = primaryMonitor().value_or(root);
  const Rect area = intersection(intersection(free, monitor), root);
  return area.empty() ? intersection(monitor, root) : area;
}

std::vector<long> X11Backend::cardinals(::Window window, Atom property) {
  std::vector<long> values;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window, property, 0, 1024, False, XA_CARDINAL, &type, &format,
                         &count, &after, &data) == Success &&
      data && type == XA_CARDINAL && format == 32) {
    const auto* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + count);
  }
  if (data) XFree(data);
  return values;
}

std::optional<Rect> X11Backend::primaryMonitor() {
  const std::vector<Monitor> monitors = x11Monitors(display_);
  for (const Monitor& monitor : monitors) {
    if (monitor.primary) return monitor.area;
  }
  if (monitors.empty()) return std::nullopt;
  return monitors.front().area;
}

::Window X11Backend::clipboardWindow() {
  // A window of its own, never shown: the clipboard's text outlives any dialog.
  if (!clipboardWindow_) {
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    clipboardWindow_ = XCreateWindow(display_, root_, -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
                                     CopyFromParent, CWEventMask, &attributes);
  }
  return clipboardWindow_;
}

void X11Backend::setClipboardText(const std::string& text) {
  clipboard_ = latin1ToUtf8(text);
  const ::Window owner = clipboardWindow();
  XSetSelectionOwner(display_, atoms_[kClipboard], owner, CurrentTime);
  XSetSelectionOwner(display_, XA_PRIMARY, owner, CurrentTime);
  XFlush(display_);
}

void X11Backend::serveSelection(const XSelectionRequestEvent& request) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = display_;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;  // refused, unless served below
  const Atom property = request.property != None ? request.property : request.target;
  if (request.owner == clipboardWindow_ && clipboardWindow_) {
    if (request.target == atoms_[kTargets]) {
      const Atom targets[] = {atoms_[kTargets], atoms_[kUtf8String], XA_STRING, atoms_[kText]};
      XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(targets), 4);
      reply.xselection.property = property;
    } else if (request.target == atoms_[kUtf8String] || request.target == atoms_[kText] ||
               request.target == XA_STRING) {
      const bool latin1 = request.target == XA_STRING;
      const std::string text = latin1 ? utf8ToLatin1(clipboard_) : clipboard_;
      XChangeProperty(display_, request.requestor, property,
                      latin1 ? XA_STRING : atoms_[kUtf8String], 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text.data()),
                      static_cast<int>(text.size()));
      reply.xselection.property = property;
    }
  }
  XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
  XFlush(display_);
}

std::string X11Backend::clipboardText() {
  const ::Window owner = XGetSelectionOwner(display_, atoms_[kClipboard]);
  if (owner == None) return {};
  if (owner == clipboardWindow_) return utf8ToLatin1(clipboard_);
  // The owner writes the text on our window, and says when it has.
  const ::Window window = clipboardWindow();
  XConvertSelection(display_, atoms_[kClipboard], atoms_[kUtf8String], atoms_[kOurSelection],
                    window, CurrentTime);
  XFlush(display_);
  XEvent event;
  const double giveUp = monotonicSeconds() + kClipboardSeconds;
  while (!XCheckTypedWindowEvent(display_, window, SelectionNotify, &event)) {
    const double left = giveUp - monotonicSeconds();
    if (left <= 0) return {};
    pollfd watched{ConnectionNumber(display_), POLLIN, 0};
    poll(&watched, 1, static_cast<int>(std::ceil(left * 1000)));
    XEventsQueued(display_, QueuedAfterReading);
  }
  if (event.xselection.property == None) return {};
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display_, window, atoms_[kOurSelection], 0, 1 << 20, True, AnyPropertyType,
                         &type, &format, &count, &after, &data) == Success &&
      data && format == 8) {
    const std::string_view got(reinterpret_cast<const char*>(data), count);
    if (type == atoms_[kUtf8String]) text = utf8ToLatin1(got);
    if (type == XA_STRING) text = got;
  }
  if (data) XFree(data);
  return text;
}

}  // namespace

std::unique_ptr<Backend> openX11Backend() {
  // An X server under load may drop a new connection while setting it up (Xvfb does, about
  // once in a hundred): a display that is there is asked again before we give up on it.
  Display* display = nullptr;
  for (int attempt = 0; attempt < 5 && !display; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    display = XOpenDisplay(nullptr);
  }
  if (!display) {
    const char* name = std::getenv("DISPLAY");
    throw RunTimeError(kDeviceIOError,
                       std::string("No display: cannot open ") + (name ? name : "$DISPLAY") + ".");
  }
  if (!picturesFit(display)) {
    XCloseDisplay(display);
    return nullptr;
  }
  return std::make_unique<X11Backend>(display);
}

unsigned long x11WindowOf(const Form& form) {
  const XWindow* window = windowData(form);
  return window ? window->id : 0;
}

}  // namespace velloran::rt
