#include "runtime/form.h"

#include <algorithm>

#include "runtime/app.h"
#include "runtime/controls.h"
#include "runtime/keys.h"

namespace velloran::rt {

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form() {
  // Controls are members of the forms that own them and leave before this runs.
  if (loaded_) {
    App& app = App::instance();
    if (app.hasBackend()) app.backend().closeWindow(*this);
    app.formUnloaded(*this);
  }
}

void Form::load() {
  if (loaded_ || loading_) return;
  loading_ = true;
  // A Form_Load that fails part-way still leaves the form loaded, as far as it got.
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{loading_};
  // The window comes at the first show: a form that is only loaded (a store of pictures)
  // puts no window on the desktop.
  App& app = App::instance();
  loaded_ = true;
  app.formLoaded(*this);
  Form_Load();
}

void Form::show() {
  load();
  if (!loaded_) return;
  Backend& backend = App::instance().backend();
  if (!handle_) backend.openWindow(*this);
  visible_ = true;
  backend.placeWindow(*this);
  backend.present(*this);
  backend.showWindow(*this, true);
  setFocus();
}

void Form::showModal() {
  show();
  // Nothing of this form may be touched after the loop: it may have been released.
  if (loaded_) App::instance().runModal(*this);
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  App::instance().formHidden(*this);
  if (loaded_) App::instance().backend().showWindow(*this, false);
}

void Form::unload() {
  if (!loaded_) return;
  std::int16_t cancel = 0;
  Form_Unload(cancel);
  if (cancel != 0 || !loaded_) return;
  hide();
  loaded_ = false;
  App& app = App::instance();
  app.backend().closeWindow(*this);
  app.formUnloaded(*this);
}

void Form::refresh() {
  if (loaded_) App::instance().backend().present(*this);
}

void Form::refreshChanges() {
  if (!loaded_) return;
  if (!composedValid_) {
    refresh();
    return;
  }
  const std::vector<Rect> changed = composeChanges();
  if (!changed.empty()) App::instance().backend().presentRects(*this, changed);
}

void Form::setFocus() {
  if (!loaded_) return;
  App::instance().formFocused(*this);
  App::instance().backend().focusWindow(*this);
}

void Form::move(int left, int top) {
  left_ = left;
  top_ = top;
  if (loaded_) App::instance().backend().placeWindow(*this);
}

void Form::movedTo(int left, int top) {
  left_ = left;
  top_ = top;
}

void Form::setClientSize(int width, int height) {
  clientWidth_ = std::max(1, width);
  clientHeight_ = std::max(1, height);
  fitSurface();
  if (loaded_) App::instance().backend().placeWindow(*this);
}

void Form::setBorderStyle(BorderStyle style) {
  borderStyle_ = style;
}

FrameExtents Form::frame() const {
  if (borderStyle_ == BorderStyle::None) return {};
  if (ownFrame_) return *ownFrame_;
  // A 3-pixel border and a 22-pixel caption, until the desktop says what its frames are.
  return App::instance().desktopFrame().value_or(FrameExtents{3, 25, 3, 3});
}

std::pair<int, int> Form::askedPlace(bool outerCorner) const {
  const FrameExtents outer = outerCorner ? FrameExtents{} : frame();
  return {left_ + outer.left, top_ + outer.top};
}

void Form::setPicture(const Picture& picture) {
  surface_.setBackground(picture);
  fitSurface();
}

const Picture& Form::shownImage() {
  surface_.clearDamage();
  composedValid_ = true;
  controlsComposed_ = std::any_of(controls_.begin(), controls_.end(),
                                  [](const Control* control) { return control->shown(); });
  if (!controlsComposed_) return surface_;
  // Only the pixels: the composed image needs no background of its own.
  if (composed_.width() != surface_.width() || composed_.height() != surface_.height()) {
    composed_ = Picture(surface_.width(), surface_.height());
  }
  BitBlt(composed_, 0, 0, surface_.width(), surface_.height(), surface_, 0, 0, SRCCOPY);
  for (const Control* control : controls_) {
    if (control->shown()) control->draw(composed_);
  }
  return composed_;
}

std::vector<Rect> Form::composeChanges() {
  const Rect client{0, 0, clientWidth_, clientHeight_};
  std::vector<Rect> changed;
  for (const Rect& damaged : surface_.damage()) {
    const Rect area = intersection(damaged, client);
    if (!area.empty()) changed.push_back(area);
  }
  surface_.clearDamage();
  if (!controlsComposed_ || changed.empty()) return changed;
  for (const Rect& area : changed) {
    BitBlt(composed_, area.x, area.y, area.width, area.height, surface_, area.x, area.y, SRCCOPY);
  }
  // The controls go over again where the surface changed under them. Each paints every
  // pixel it blends over, so painting them again over themselves changes nothing elsewhere.
  const bool under = std::any_of(controls_.begin(), controls_.end(), [&](const Control* control) {
    return control->shown() && std::any_of(changed.begin(), changed.end(), [&](const Rect& area) {
             return !intersection(area, control->paintedArea()).empty();
           });
  });
  if (under) {
    for (const Control* control : controls_) {
      if (control->shown()) control->draw(composed_);
    }
  }
  return changed;
}

void Form::addControl(Control& control) {
  controls_.push_back(&control);
  composedValid_ = false;
}

void Form::removeControl(Control& control) {
  std::erase(controls_, &control);
  composedValid_ = false;
  if (activeControl_ == &control) activeControl_ = nullptr;
  if (mouseOver_ == &control) mouseOver_ = nullptr;
  if (mouseCapture_ == &control) mouseCapture_ = nullptr;
}

void Form::setActiveControl(Control* control) {
  if (control && !(control->takesFocus() && control->shown())) return;
  const bool moved = control != activeControl_;
  activeControl_ = control;
  if (control && moved) control->gotFocus();
  refresh();
}

void Form::focusNext() {
  const auto count = static_cast<int>(controls_.size());
  int from = -1;
  for (int i = 0; i < count; ++i) from = controls_[i] == activeControl_ ? i : from;
  for (int step = 1; step <= count; ++step) {
    Control* next = controls_[(from + step + count) % count];
    if (next->takesFocus() && next->shown()) {
      setActiveControl(next);
      return;
    }
  }
}

Control* Form::controlAt(int x, int y) const {
  // The last made lies on top.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    if ((*it)->shown() && (*it)->enabled && (*it)->contains(x, y)) return *it;
  }
  return nullptr;
}

void Form::routeKeyDown(std::int16_t keyCode, std::int16_t shift) {
  Control* focused = activeControl_ && activeControl_->shown() ? activeControl_ : nullptr;
  if (!focused || keyPreview) Form_KeyDown(keyCode, shift);
  if (!focused || keyCode == 0 || !loaded_) return;
  if (keyCode == vbKeyTab) {
    focusNext();  // Tab moves the focus; the control never sees it
    return;
  }
  focused->keyDown(keyCode, shift);
}

void Form::routeKeyUp(std::int16_t keyCode, std::int16_t shift) {
  if (!activeControl_ || keyPreview) Form_KeyUp(keyCode, shift);
}

void Form::routeKeyPress(std::int16_t keyAscii) {
  Control* focused = activeControl_ && activeControl_->shown() ? activeControl_ : nullptr;
  if (!focused || keyPreview) Form_KeyPress(keyAscii);
  if (!focused || keyAscii == 0 || keyAscii == vbKeyTab || !loaded_) return;
  focused->keyPress(keyAscii);
}

void Form::routeMouse(int kind, int button, int x, int y) {
  mouseX_ = x;
  mouseY_ = y;
  Control* target = mouseCapture_ ? mouseCapture_ : controlAt(x, y);
  if (kind == 2 && target != mouseOver_) {
    if (mouseOver_) mouseOver_->mouseLeave();
    mouseOver_ = target;
  }
  if (!target) {
    if (kind == 0) mouseDown(button, x, y);
    if (kind == 1) mouseUp(button, x, y);
    if (kind == 2) mouseMove(x, y);
    return;
  }
  if (kind == 0) {
    mouseCapture_ = target;
    if (target->takesFocus()) setActiveControl(target);
    target->mouseDown(x, y);
  } else if (kind == 1) {
    mouseCapture_ = nullptr;
    target->mouseUp(x, y);
  } else {
    target->mouseMove(x, y);
  }
}

void Form::fitSurface() {
  if (surface_.width() >= clientWidth_ && surface_.height() >= clientHeight_) return;
  surface_.resize(std::max(surface_.width(), clientWidth_),
                  std::max(surface_.height(), clientHeight_));
}

}  // namespace velloran::rt
