#pragma once
// The headless backend with a memory of every picture one window showed, in order: what the
// player saw between two looks, a flash that came and went within one event included. Each
// picture holds only what was presented, rectangle by rectangle, as a real window does.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "runtime/headless_backend.h"

namespace velloran::testing {

class FrameLog final : public rt::Backend {
 public:
  FrameLog(std::unique_ptr<rt::HeadlessBackend> inner, std::string window)
      : inner_(std::move(inner)), window_(std::move(window)) {}

  rt::HeadlessBackend& headless() { return *inner_; }
  // Keeps the pictures the window shows from now on (each is the size of the window).
  void record(bool on) {
    recording_ = on;
    frames_.clear();
  }
  // The pictures the window showed since the last call.
  std::vector<rt::Picture> take() { return std::exchange(frames_, {}); }
  // What the window shows now. As on a real display, a present of some rectangles changes
  // only them: whatever changed elsewhere and was not sent is not seen.
  const rt::Picture& screen() const { return screen_; }

  void present(rt::Form& form) override {
    inner_->present(form);
    if (form.name() != window_) return;
    screen_ = inner_->shown(window_);
    if (recording_) frames_.push_back(screen_);
  }
  void presentRects(rt::Form& form, const std::vector<rt::Rect>& rects) override {
    const bool sameSize =
        screen_.width() == form.scaleWidth() && screen_.height() == form.scaleHeight();
    if (form.name() != window_ || !sameSize) return present(form);
    const rt::Picture& image = form.composedImage();
    for (const rt::Rect& r : rects) {
      rt::BitBlt(screen_, r.x, r.y, r.width, r.height, image, r.x, r.y, rt::SRCCOPY);
    }
    inner_->presentRects(form, rects);
    if (recording_) frames_.push_back(screen_);
  }
  void openWindow(rt::Form& form) override { inner_->openWindow(form); }
  void closeWindow(rt::Form& form) override { inner_->closeWindow(form); }
  void showWindow(rt::Form& form, bool visible) override { inner_->showWindow(form, visible); }
  void placeWindow(rt::Form& form) override { inner_->placeWindow(form); }
  void focusWindow(rt::Form& form) override { inner_->focusWindow(form); }
  void setOwner(rt::Form& dialog, rt::Form& owner) override { inner_->setOwner(dialog, owner); }
  bool pollEvent(rt::Form* active, rt::InputEvent& event) override {
    return inner_->pollEvent(active, event);
  }
  void waitEvent(rt::Form* active, double seconds) override { inner_->waitEvent(active, seconds); }
  void wake() override { inner_->wake(); }
  Clock& clock() override { return inner_->clock(); }
  void messageBox(const std::string& text, const std::string& title, rt::Form* owner) override {
    inner_->messageBox(text, title, owner);
  }
  rt::Rect workArea() override { return inner_->workArea(); }
  bool realWindows() const override { return inner_->realWindows(); }
  std::string clipboardText() override { return inner_->clipboardText(); }
  void setClipboardText(const std::string& text) override { inner_->setClipboardText(text); }

 private:
  std::unique_ptr<rt::HeadlessBackend> inner_;
  std::string window_;
  std::vector<rt::Picture> frames_;
  rt::Picture screen_;
  bool recording_ = false;
};

}  // namespace velloran::testing
