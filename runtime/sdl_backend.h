#pragma once
// The backend for real windows: SDL2 video, keyboard and mouse, and the system clock.
// Window surfaces are plain memory (no OpenGL), and the loop sleeps until the next
// timer or input, so an idle window costs no CPU.

#include <map>

#include "runtime/backend.h"

namespace velloran::rt {

class SdlBackend final : public Backend {
 public:
  SdlBackend();  // raises a run-time error when no display can be opened
  ~SdlBackend() override;

  void openWindow(Form& form) override;
  void closeWindow(Form& form) override;
  void showWindow(Form& form, bool visible) override;
  void placeWindow(Form& form) override;
  void present(Form& form) override;
  void focusWindow(Form& form) override;
  void setOwner(Form& dialog, Form& owner) override;
  bool pollEvent(Form* active, InputEvent& event) override;
  void waitEvent(Form* active, double seconds) override;
  Clock& clock() override { return clock_; }
  void messageBox(const std::string& text, const std::string& title, Form* owner) override;
  ScreenSize screenSize() override;
  bool realWindows() const override { return true; }
  std::string clipboardText() override;
  void setClipboardText(const std::string& text) override;

 private:
  Form* formOfWindow(unsigned windowId) const;
  bool translate(const void* sdlEvent, InputEvent& event);

  SystemClock clock_;
  std::map<unsigned, Form*> windows_;
};

}  // namespace velloran::rt
