#include "runtime/controls.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/app.h"
#include "runtime/form.h"
#include "runtime/keys.h"

namespace velloran::rt {

void drawBevel(Picture& target, int x, int y, int width, int height, int depth, bool raised) {
  const Colour light = raised ? kButtonHighlight : kButtonShadow;
  const Colour dark = raised ? kButtonShadow : kButtonHighlight;
  for (int i = 0; i < depth; ++i) {
    target.fillRect(x + i, y + i, width - 2 * i, 1, light);
    target.fillRect(x + i, y + i, 1, height - 2 * i, light);
    target.fillRect(x + i, y + height - 1 - i, width - 2 * i, 1, dark);
    target.fillRect(x + width - 1 - i, y + i, 1, height - 2 * i, dark);
  }
}

namespace {

const Font kTipFont{"MS Sans Serif", 8.25, false};

// Prints a caption inside a rectangle, vertically centred, aligned as asked.
void drawCaption(Picture& target, const std::string& caption, const Font& font, Colour colour,
                 int x, int y, int width, int height, Alignment alignment, int margin) {
  if (caption.empty()) return;
  const int textW = textWidth(font, caption);
  int textX = x + margin;
  if (alignment == Alignment::Centre) textX = x + (width - textW) / 2;
  if (alignment == Alignment::Right) textX = x + width - margin - textW;
  printText(target, textX, y + (height - textHeight(font)) / 2, caption, colour, font);
}

void drawArrow(Picture& target, int centreX, int centreY, int size, bool up) {
  for (int row = 0; row < size; ++row) {
    const int half = up ? row : size - 1 - row;
    target.fillRect(centreX - half, centreY - size / 2 + row, 2 * half + 1, 1, kButtonText);
  }
}

}  // namespace

Control::Control(Form& owner, Control* container) : owner_(owner), container_(container) {
  owner_.addControl(*this);
}

Control::~Control() {
  owner_.removeControl(*this);
}

void Control::move(int newLeft, int newTop, int newWidth, int newHeight) {
  left = newLeft;
  top = newTop;
  width = newWidth;
  height = newHeight;
}

int Control::absoluteLeft() const {
  return left + (container_ ? container_->absoluteLeft() : 0);
}
int Control::absoluteTop() const {
  return top + (container_ ? container_->absoluteTop() : 0);
}

bool Control::contains(int formX, int formY) const {
  const int x = absoluteLeft(), y = absoluteTop();
  return formX >= x && formY >= y && formX < x + width && formY < y + height;
}

bool Control::shown() const {
  return visible && (!container_ || container_->shown());
}

bool Control::hasFocus() const {
  return owner_.activeControl() == this;
}

void Control::setFocus() {
  owner_.setActiveControl(this);
}

void Control::changed() const {
  owner_.refresh();
}

void Shape::draw(Picture& target) const {
  const int x = absoluteLeft(), y = absoluteTop();
  const int b = std::max(1, borderWidth);
  target.fillRect(x, y, width, b, borderColour);
  target.fillRect(x, y + height - b, width, b, borderColour);
  target.fillRect(x, y, b, height, borderColour);
  target.fillRect(x + width - b, y, b, height, borderColour);
}

void Panel3D::setCaption(std::string text) {
  caption = std::move(text);
  changed();
}

void Panel3D::draw(Picture& target) const {
  const int x = absoluteLeft(), y = absoluteTop();
  target.fillRect(x, y, width, height, backColour);
  drawBevel(target, x, y, width, height, bevelWidth, raised);
  drawCaption(target, caption, font, foreColour, x, y, width, height, alignment, bevelWidth + 3);
}

void CommandButton::draw(Picture& target) const {
  const int x = absoluteLeft(), y = absoluteTop();
  target.fillRect(x, y, width, height, kButtonFace);
  // A black outline, then raised edges (sunken while pressed).
  target.fillRect(x, y, width, 1, kButtonText);
  target.fillRect(x, y + height - 1, width, 1, kButtonText);
  target.fillRect(x, y, 1, height, kButtonText);
  target.fillRect(x + width - 1, y, 1, height, kButtonText);
  drawBevel(target, x + 1, y + 1, width - 2, height - 2, 2, !pressed_);
  const int shift = pressed_ ? 1 : 0;
  drawCaption(target, caption, font, enabled ? kButtonText : kButtonShadow, x + shift, y + shift,
              width, height, Alignment::Centre, 0);
  if (hasFocus()) {
    // The focus rectangle: a dotted line inside the edges.
    for (int i = x + 4; i < x + width - 4; i += 2) {
      target.setPixel(i, y + 4, kButtonText);
      target.setPixel(i, y + height - 5, kButtonText);
    }
    for (int j = y + 4; j < y + height - 4; j += 2) {
      target.setPixel(x + 4, j, kButtonText);
      target.setPixel(x + width - 5, j, kButtonText);
    }
  }
}

void CommandButton::keyPress(std::int16_t& keyAscii) {
  if ((keyAscii == vbKeyReturn || keyAscii == vbKeySpace) && onClick) onClick();
}

void CommandButton::mouseDown(int, int) {
  pressed_ = true;
  changed();
}

void CommandButton::mouseUp(int x, int y) {
  const bool click = pressed_ && contains(x, y);
  pressed_ = false;
  changed();
  if (click && onClick) onClick();
}

void CommandButton::mouseLeave() {
  if (!pressed_) return;
  pressed_ = false;
  changed();
}

namespace {

constexpr int kTextEdge = 2, kTextPadding = 2;
// Two presses this close in time and place make a double-click.
constexpr double kDoubleClickSeconds = 0.5;
constexpr int kDoubleClickPixels = 4;
constexpr Colour kSelectionBack = rgb(0, 0, 128);
constexpr Colour kSelectionText = rgb(255, 255, 255);

// What a paste brings into a one-line box: the clipboard's first line, without the tabs and
// other control characters a line of text may hold.
std::string firstLineOf(const std::string& clipboard) {
  std::string line;
  for (const char c : clipboard) {
    const auto code = static_cast<unsigned char>(c);
    if (code == '\r' || code == '\n') break;
    if (code < 32 || (code >= 127 && code < 160)) continue;
    line.push_back(c);
  }
  return line;
}

bool isBlank(char c) {
  return c == ' ';
}

}  // namespace

void TextBox::setText(std::string text) {
  if (maxLength > 0 && static_cast<int>(text.size()) > maxLength) text.resize(maxLength);
  text_ = std::move(text);
  anchor_ = caret_ = static_cast<int>(text_.size());
  changed();
}

void TextBox::select(int start, int length) {
  const int size = static_cast<int>(text_.size());
  anchor_ = std::clamp(start, 0, size);
  caret_ = anchor_ + std::clamp(length, 0, size - anchor_);
  changed();
}

std::string TextBox::selText() const {
  return text_.substr(static_cast<std::size_t>(selStart()), static_cast<std::size_t>(selLength()));
}

void TextBox::gotFocus() {
  if (onGotFocus) onGotFocus();
}

void TextBox::moveCaret(int to, bool extend) {
  caret_ = std::clamp(to, 0, static_cast<int>(text_.size()));
  if (!extend) anchor_ = caret_;
  changed();
}

void TextBox::insert(const std::string& typed) {
  const int start = selStart(), length = selLength();
  // What does not fit is not taken, as if those keys were never typed.
  int room = static_cast<int>(typed.size());
  if (maxLength > 0) room = std::min(room, maxLength - (static_cast<int>(text_.size()) - length));
  if (room < 0 || (room == 0 && !typed.empty())) return;
  text_.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length),
                typed.substr(0, static_cast<std::size_t>(room)));
  anchor_ = caret_ = start + room;
  changed();
}

void TextBox::copy() const {
  // With nothing selected the clipboard keeps what it holds, as on any desktop.
  if (selLength() > 0) App::instance().backend().setClipboardText(selText());
}

void TextBox::paste() {
  const std::string line = firstLineOf(App::instance().backend().clipboardText());
  if (!line.empty()) insert(line);
}

void TextBox::keyDown(std::int16_t& keyCode, std::int16_t shift) {
  const int size = static_cast<int>(text_.size());
  const bool extend = (shift & vbShiftMask) != 0;
  const bool control = (shift & vbCtrlMask) != 0;
  switch (keyCode) {
    case vbKeyLeft:
      moveCaret(extend || selLength() == 0 ? caret_ - 1 : selStart(), extend);
      break;
    case vbKeyRight:
      moveCaret(extend || selLength() == 0 ? caret_ + 1 : selStart() + selLength(), extend);
      break;
    case vbKeyHome:
      moveCaret(0, extend);
      break;
    case vbKeyEnd:
      moveCaret(size, extend);
      break;
    case vbKeyInsert:
      // The older clipboard keys: Shift+Insert pastes, Ctrl+Insert copies.
      if (extend && !control) paste();
      if (control && !extend) copy();
      break;
    case vbKeyDelete:
      if (extend && !control) {  // Shift+Delete cuts
        if (selLength() == 0) break;
        copy();
      } else if (selLength() == 0) {
        if (caret_ >= size) break;
        anchor_ = caret_ + 1;
      }
      insert("");
      break;
    default:
      break;
  }
}

void TextBox::keyPress(std::int16_t& keyAscii) {
  if (onKeyPress) onKeyPress(keyAscii);
  if (keyAscii == vbKeyBack) {
    if (selLength() == 0) {
      if (caret_ == 0) return;
      anchor_ = caret_ - 1;
    }
    insert("");
  } else if (keyAscii == 22) {  // Ctrl+V
    paste();
  } else if (keyAscii == 3) {  // Ctrl+C
    copy();
  } else if (keyAscii == 24) {  // Ctrl+X
    if (selLength() == 0) return;
    copy();
    insert("");
  } else if (keyAscii >= 32 && keyAscii <= 255) {
    insert(std::string(1, static_cast<char>(keyAscii)));
  }
}

int TextBox::textLeft() const {
  // The text is scrolled sideways so that the caret stays in sight.
  const int inside = width - 2 * kTextEdge;
  const int caret =
      textWidth(font, std::string_view(text_).substr(0, static_cast<std::size_t>(caret_)));
  return absoluteLeft() + kTextEdge + kTextPadding - std::max(0, caret + 2 * kTextPadding - inside);
}

int TextBox::positionAt(int x) const {
  const int left = textLeft();
  int best = 0, bestDistance = std::abs(x - left);
  for (int place = 1; place <= static_cast<int>(text_.size()); ++place) {
    const int at =
        left + textWidth(font, std::string_view(text_).substr(0, static_cast<std::size_t>(place)));
    if (std::abs(x - at) < bestDistance) best = place, bestDistance = std::abs(x - at);
  }
  return best;
}

int TextBox::characterAt(int x) const {
  const int left = textLeft();
  int on = 0;
  while (
      on + 1 < static_cast<int>(text_.size()) &&
      left + textWidth(font, std::string_view(text_).substr(0, static_cast<std::size_t>(on + 1))) <=
          x) {
    ++on;
  }
  return on;
}

void TextBox::selectWordAt(int on) {
  // The run of letters (or of blanks) the pointer is on, as a desktop's text box takes it.
  const int size = static_cast<int>(text_.size());
  if (size == 0) return;
  const bool blank = isBlank(text_[static_cast<std::size_t>(on)]);
  int from = on, to = on + 1;
  while (from > 0 && isBlank(text_[static_cast<std::size_t>(from - 1)]) == blank) --from;
  while (to < size && isBlank(text_[static_cast<std::size_t>(to)]) == blank) ++to;
  select(from, to - from);
}

void TextBox::mouseDown(int x, int y) {
  const double now = App::instance().clock().monotonic();
  const bool doubleClick = lastDown_ >= 0 && now - lastDown_ <= kDoubleClickSeconds &&
                           std::abs(x - lastDownX_) <= kDoubleClickPixels &&
                           std::abs(y - lastDownY_) <= kDoubleClickPixels;
  // A third press starts afresh rather than making another double-click.
  lastDown_ = doubleClick ? -1 : now;
  lastDownX_ = x;
  lastDownY_ = y;
  if (doubleClick) {
    dragging_ = false;
    selectWordAt(characterAt(x));
    return;
  }
  dragging_ = true;
  moveCaret(positionAt(x), false);
}

void TextBox::mouseMove(int x, int) {
  if (dragging_ && positionAt(x) != caret_) moveCaret(positionAt(x), true);
}

void TextBox::mouseUp(int x, int y) {
  mouseMove(x, y);
  dragging_ = false;
}

void TextBox::draw(Picture& target) const {
  const int x = absoluteLeft(), y = absoluteTop();
  target.fillRect(x, y, width, height, rgb(255, 255, 255));
  drawBevel(target, x, y, width, height, 2, false);
  // The text stays inside the edges.
  Picture inside(width - 2 * kTextEdge, height - 2 * kTextEdge, rgb(255, 255, 255));
  if (inside.empty()) return;
  const auto widthOf = [&](int count) {
    return textWidth(font, std::string_view(text_).substr(0, static_cast<std::size_t>(count)));
  };
  const int textX = textLeft() - x - kTextEdge;
  const int textY = (height - textHeight(font)) / 2 - kTextEdge;
  printText(inside, textX, textY, text_, kButtonText, font);
  if (hasFocus() && selLength() > 0) {
    // The selection: white on dark blue.
    const int from = widthOf(selStart()), to = widthOf(selStart() + selLength());
    inside.fillRect(textX + from, textY, to - from, textHeight(font), kSelectionBack);
    printText(inside, textX + from, textY, selText(), kSelectionText, font);
  }
  if (hasFocus() && selLength() == 0) {
    inside.fillRect(textX + widthOf(caret_), textY + 1, 1, textHeight(font) - 2, kButtonText);
  }
  BitBlt(target, x + kTextEdge, y + kTextEdge, inside.width(), inside.height(), inside, 0, 0,
         SRCCOPY);
}

void SpinButton::draw(Picture& target) const {
  const int x = absoluteLeft(), y = absoluteTop();
  const int half = height / 2;
  for (int part = 0; part < 2; ++part) {
    const int top = y + part * half;
    const int h = part == 0 ? half : height - half;
    const bool down = pressed_ == (part == 0 ? 1 : -1);
    target.fillRect(x, top, width, h, kButtonFace);
    drawBevel(target, x, top, width, h, 2, !down);
    drawArrow(target, x + width / 2, top + h / 2, std::max(2, std::min(width, h) / 4), part == 0);
  }
}

void SpinButton::mouseDown(int, int y) {
  pressed_ = y < absoluteTop() + height / 2 ? 1 : -1;
  changed();
  if (pressed_ == 1 && onSpinUp) onSpinUp();
  if (pressed_ == -1 && onSpinDown) onSpinDown();
}

void SpinButton::mouseUp(int, int) {
  pressed_ = 0;
  changed();
}

Toolbar::Toolbar(Form& owner, int buttonWidth, int barHeight)
    : Control(owner), tipTimer_([this] {
        tipTimer_.setEnabled(false);
        if (hover_ && !buttons[hover_ - 1].toolTipText.empty()) {
          tipPlace_ = hover_;
          tipShown_ = true;
          changed();
        }
      }) {
  width = buttonWidth;
  height = barHeight;
}

int Toolbar::buttonLeft(int place) const {
  int x = absoluteLeft();
  for (int i = 1; i < place && i <= static_cast<int>(buttons.size()); ++i)
    x += buttons[i - 1].width;
  return x;
}

int Toolbar::placeAt(int formX) const {
  int x = absoluteLeft();
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    if (formX >= x && formX < x + buttons[i].width) return i + 1;
    x += buttons[i].width;
  }
  return 0;
}

void Toolbar::draw(Picture& target) const {
  const int y = absoluteTop();
  target.fillRect(absoluteLeft(), y, width, height, kButtonFace);
  for (int place = 1; place <= static_cast<int>(buttons.size()); ++place) {
    const Button& button = buttons[place - 1];
    if (button.picture.empty()) continue;  // the spacer
    const int x = buttonLeft(place);
    if (place == pressed_ && place == hover_) {
      drawBevel(target, x, y + 1, button.width, height - 2, 1, false);
    } else if (place == hover_) {
      drawBevel(target, x, y + 1, button.width, height - 2, 1, true);
    }
    const int shift = place == pressed_ && place == hover_ ? 1 : 0;
    BitBlt(target, x + (button.width - 16) / 2 + shift, y + (height - 16) / 2 + shift, 16, 16,
           button.picture, 0, 0, SRCCOPY);
  }
  if (const Rect box = toolTipBox(target.width()); !box.empty()) {
    // The tooltip: a pale yellow box below the pointer, kept inside the window.
    const auto [tx, ty, w, h] = box;
    target.fillRect(tx, ty, w, h, rgb(255, 255, 225));
    target.fillRect(tx, ty, w, 1, kButtonText);
    target.fillRect(tx, ty + h - 1, w, 1, kButtonText);
    target.fillRect(tx, ty, 1, h, kButtonText);
    target.fillRect(tx + w - 1, ty, 1, h, kButtonText);
    printText(target, tx + 4, ty + 2, buttons[tipPlace_ - 1].toolTipText, kButtonText, kTipFont);
  }
}

Rect Toolbar::toolTipBox(int targetWidth) const {
  if (!tipShown_ || tipPlace_ <= 0) return {};
  const std::string& tip = buttons[tipPlace_ - 1].toolTipText;
  const int w = textWidth(kTipFont, tip) + 8, h = textHeight(kTipFont) + 4;
  // The window shows the toolbar's width of the picture, which may be wider.
  return {std::clamp(mouseX_, 0, std::max(0, std::min(targetWidth, width) - w)),
          absoluteTop() + height + 2, w, h};
}

Rect Toolbar::paintedArea() const {
  const Rect bar{absoluteLeft(), absoluteTop(), width, height};
  const Rect tip = toolTipBox(owner().surface().width());
  if (tip.empty()) return bar;
  const int left = std::min(bar.x, tip.x), right = std::max(bar.x + bar.width, tip.x + tip.width);
  return {left, bar.y, right - left, tip.y + tip.height - bar.y};
}

void Toolbar::mouseDown(int x, int) {
  pressed_ = placeAt(x);
  tipShown_ = false;
  tipTimer_.setEnabled(false);
  changed();
}

void Toolbar::mouseUp(int x, int) {
  const int place = placeAt(x);
  const bool click = place != 0 && place == pressed_;
  pressed_ = 0;
  changed();
  if (click && onButtonClick) onButtonClick(place);
}

void Toolbar::mouseMove(int x, int y) {
  mouseX_ = x;
  mouseY_ = y;
  const int place = contains(x, y) ? placeAt(x) : 0;
  if (place == hover_) return;
  hover_ = place;
  tipShown_ = false;
  tipTimer_.setEnabled(false);
  // A tooltip shows after the pointer rests half a second on a button.
  if (place && !buttons[place - 1].picture.empty()) {
    tipTimer_.setInterval(500);
    tipTimer_.setEnabled(true);
  }
  changed();
}

void Toolbar::mouseLeave() {
  hover_ = 0;
  tipShown_ = false;
  tipTimer_.setEnabled(false);
  changed();
}

}  // namespace velloran::rt
