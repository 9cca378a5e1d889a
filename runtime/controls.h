#pragma once
// The controls the game's windows are built from, each drawn by us over its window's
// surface: an outline shape, 3D panels with captions, push buttons, a text box, a spin
// button and a toolbar with tooltips. A control belongs to one form; controls are drawn
// in the order they were made, so a container comes before what it holds.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/picture.h"
#include "runtime/text.h"
#include "runtime/timer.h"

namespace velloran::rt {

class Form;

// The light grey of dialog faces and the shades of their 3D edges.
inline constexpr Colour kButtonFace = rgb(192, 192, 192);
inline constexpr Colour kButtonHighlight = rgb(255, 255, 255);
inline constexpr Colour kButtonShadow = rgb(128, 128, 128);
inline constexpr Colour kButtonText = rgb(0, 0, 0);
// The single line round a window that has a border and no title bar.
inline constexpr Colour kWindowFrame = rgb(0, 0, 0);

class Control {
 public:
  Control(Form& owner, Control* container = nullptr);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Form& owner() const { return owner_; }
  // Position relative to the container (or the form), and size, in pixels.
  int left = 0, top = 0, width = 0, height = 0;
  bool visible = true;
  bool enabled = true;
  void move(int newLeft, int newTop, int newWidth, int newHeight);
  int absoluteLeft() const;
  int absoluteTop() const;
  bool contains(int formX, int formY) const;
  bool shown() const;  // visible, and so is every container

  virtual void draw(Picture& target) const = 0;
  // Where draw() paints, in the form's client area: the control's own rectangle unless it
  // shows something beside it.
  virtual Rect paintedArea() const { return {absoluteLeft(), absoluteTop(), width, height}; }
  virtual bool takesFocus() const { return false; }
  bool hasFocus() const;
  void setFocus();
  virtual void gotFocus() {}
  virtual void keyDown(std::int16_t& keyCode, std::int16_t shift) { (void)keyCode, (void)shift; }
  virtual void keyPress(std::int16_t& keyAscii) { (void)keyAscii; }
  // Mouse positions are in the form's client area.
  virtual void mouseDown(int x, int y) { (void)x, (void)y; }
  virtual void mouseUp(int x, int y) { (void)x, (void)y; }
  virtual void mouseMove(int x, int y) { (void)x, (void)y; }
  virtual void mouseLeave() {}

 protected:
  void changed() const;  // the window shows the new look

 private:
  Form& owner_;
  Control* container_;
};

// An outline rectangle: the highlight frame of the choosers.
class Shape : public Control {
 public:
  using Control::Control;
  Colour borderColour = rgb(255, 0, 0);
  int borderWidth = 1;
  void draw(Picture& target) const override;
};

enum class Alignment { Left, Centre, Right };

// A 3D panel with an optional caption.
class Panel3D : public Control {
 public:
  using Control::Control;
  std::string caption;
  Font font{"MS Sans Serif", 8.25, false};
  Colour foreColour = kButtonText;
  Colour backColour = kButtonFace;
  Alignment alignment = Alignment::Centre;
  int bevelWidth = 1;
  bool raised = true;
  void setCaption(std::string text);
  void draw(Picture& target) const override;
};

// A push button that clicks on a mouse press and release inside it, or on Enter or Space
// while it has the focus.
class CommandButton : public Control {
 public:
  using Control::Control;
  std::string caption;
  Font font{"MS Sans Serif", 8.25, false};
  std::function<void()> onClick;
  bool takesFocus() const override { return enabled; }
  void draw(Picture& target) const override;
  void keyPress(std::int16_t& keyAscii) override;
  void mouseDown(int x, int y) override;
  void mouseUp(int x, int y) override;
  void mouseLeave() override;

 private:
  bool pressed_ = false;
};

// A one-line text box with a length limit, as a desktop's: a caret and a selection by keys
// (Shift with the arrows, Home and End) and by mouse (a drag, a double-click for a word);
// typing replaces the selection; copy and cut take the selection to the clipboard, a paste
// brings its first line. Its key-press handler sees every character first and may change
// it, or swallow it by setting it to 0.
class TextBox : public Control {
 public:
  using Control::Control;
  Font font{"MS Sans Serif", 8.25, false};
  int maxLength = 0;  // 0: no limit
  std::function<void(std::int16_t& keyAscii)> onKeyPress;
  std::function<void()> onGotFocus;

  const std::string& text() const { return text_; }
  void setText(std::string text);
  // Selects `length` characters from `start`; the caret goes to the end of them.
  void select(int start, int length);
  int selStart() const { return std::min(anchor_, caret_); }
  int selLength() const { return caret_ > anchor_ ? caret_ - anchor_ : anchor_ - caret_; }
  std::string selText() const;

  bool takesFocus() const override { return enabled; }
  void gotFocus() override;
  void keyDown(std::int16_t& keyCode, std::int16_t shift) override;
  void keyPress(std::int16_t& keyAscii) override;
  void mouseDown(int x, int y) override;
  void mouseMove(int x, int y) override;
  void mouseUp(int x, int y) override;
  void draw(Picture& target) const override;

 private:
  void insert(const std::string& typed);
  void moveCaret(int to, bool extend);
  void copy() const;
  void paste();
  int textLeft() const;          // where the first character is drawn, in the form
  int positionAt(int x) const;   // the caret place nearest a point of the form
  int characterAt(int x) const;  // the character under a point of the form
  void selectWordAt(int character);
  std::string text_;
  int anchor_ = 0, caret_ = 0;  // the selection runs between them
  bool dragging_ = false;
  double lastDown_ = -1;  // when the mouse was last pressed in the box, for double-clicks
  int lastDownX_ = 0, lastDownY_ = 0;
};

// Two arrow buttons, one above the other: up steps up, down steps down.
class SpinButton : public Control {
 public:
  using Control::Control;
  std::function<void()> onSpinUp;
  std::function<void()> onSpinDown;
  void draw(Picture& target) const override;
  void mouseDown(int x, int y) override;
  void mouseUp(int x, int y) override;

 private:
  int pressed_ = 0;  // 1 upper, -1 lower
};

// A row of push buttons with 16 x 16 pictures and tooltips along the top of a window.
class Toolbar : public Control {
 public:
  struct Button {
    Picture picture;  // empty for a spacer
    int width = 23;
    std::string toolTipText;
  };
  Toolbar(Form& owner, int buttonWidth = 23, int height = 22);

  std::vector<Button> buttons;
  // Click event with the place of the button, 1 for the first.
  std::function<void(int place)> onButtonClick;
  int buttonLeft(int place) const;
  int placeAt(int formX) const;  // 0 when no button is there
  const std::string& shownToolTip() const {
    return tipShown_ ? buttons[tipPlace_ - 1].toolTipText : noTip_;
  }

  void draw(Picture& target) const override;
  Rect paintedArea() const override;
  void mouseDown(int x, int y) override;
  void mouseUp(int x, int y) override;
  void mouseMove(int x, int y) override;
  void mouseLeave() override;

 private:
  Rect toolTipBox(int targetWidth) const;  // empty while no tooltip shows
  int pressed_ = 0;
  int hover_ = 0;
  int tipPlace_ = 0;
  bool tipShown_ = false;
  int mouseX_ = 0, mouseY_ = 0;
  Timer tipTimer_;
  std::string noTip_;
};

// Raised or sunken 3D edges of a rectangle.
void drawBevel(Picture& target, int x, int y, int width, int height, int depth, bool raised);

}  // namespace velloran::rt
