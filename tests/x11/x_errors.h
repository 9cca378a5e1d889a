#pragma once
// Counts the X protocol errors the program's connections receive, in place of Xlib's
// default handler, which would end the test program at the first one.

namespace velloran::testing {

class XErrorCount {
 public:
  XErrorCount();   // starts counting
  ~XErrorCount();  // puts the previous handler back
  XErrorCount(const XErrorCount&) = delete;
  XErrorCount& operator=(const XErrorCount&) = delete;

  int errors() const;
  int badWindowSends() const;  // BadWindow answers to SendEvent: a wake-up aimed at a gone window
};

// Another client that asks a window to close, as a window manager does on Alt+F4, from a
// thread of its own, and then keeps the X server busy for a moment.
class WindowCloser {
 public:
  WindowCloser();
  ~WindowCloser();
  WindowCloser(const WindowCloser&) = delete;
  WindowCloser& operator=(const WindowCloser&) = delete;
  void close(void* sdlWindow);

 private:
  struct State;
  State* state_;
};

}  // namespace velloran::testing
