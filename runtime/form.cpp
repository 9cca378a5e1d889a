#include "runtime/form.h"

#include <algorithm>

#include "runtime/app.h"

namespace velloran::rt {

Form::Form(std::string name) : name_(std::move(name)), caption_(name_) {}

Form::~Form() {
  if (loaded_) {
    App::instance().backend().closeWindow(*this);
    App::instance().formUnloaded(*this);
  }
}

void Form::load() {
  if (loaded_ || loading_) return;
  loading_ = true;
  App& app = App::instance();
  app.backend().openWindow(*this);
  loaded_ = true;
  app.formLoaded(*this);
  Form_Load();
  loading_ = false;
}

void Form::show() {
  load();
  if (!loaded_) return;
  visible_ = true;
  Backend& backend = App::instance().backend();
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

void Form::setClientSize(int width, int height) {
  clientWidth_ = std::max(1, width);
  clientHeight_ = std::max(1, height);
  fitSurface();
  if (loaded_) App::instance().backend().placeWindow(*this);
}

void Form::setBorderStyle(BorderStyle style) {
  borderStyle_ = style;
}

// The frame our windows are drawn with: a thin border and a caption bar.
int Form::frameSide() const {
  return borderStyle_ == BorderStyle::None ? 0 : 3;
}
int Form::captionHeight() const {
  return borderStyle_ == BorderStyle::None ? 0 : 22;
}

void Form::setPicture(const Picture& picture) {
  surface_.setBackground(picture);
  fitSurface();
}

void Form::fitSurface() {
  if (surface_.width() >= clientWidth_ && surface_.height() >= clientHeight_) return;
  surface_.resize(std::max(surface_.width(), clientWidth_),
                  std::max(surface_.height(), clientHeight_));
}

}  // namespace velloran::rt
