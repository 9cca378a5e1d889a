#pragma once
// A top-level window of the game: an outer rectangle with a frame, a client surface
// that the window shows, and the events the game handles. Every position is in pixels.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/backend.h"
#include "runtime/picture.h"

namespace velloran::rt {

class Control;

enum class BorderStyle { None, FixedSingle, Sizable, FixedDialog };

class Form {
 public:
  explicit Form(std::string name);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }

  // Events. Key codes and characters arrive by reference: a handler may change them.
  virtual void Form_Load() {}
  virtual void Form_Unload(std::int16_t& cancel) { (void)cancel; }
  virtual void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) {
    (void)keyCode;
    (void)shift;
  }
  virtual void Form_KeyUp(std::int16_t& keyCode, std::int16_t shift) {
    (void)keyCode;
    (void)shift;
  }
  virtual void Form_KeyPress(std::int16_t& keyAscii) { (void)keyAscii; }
  virtual void mouseDown(int button, int x, int y) { (void)button, (void)x, (void)y; }
  virtual void mouseUp(int button, int x, int y) { (void)button, (void)x, (void)y; }
  virtual void mouseMove(int x, int y) { (void)x, (void)y; }

  // Life of the window.
  void load();       // creates the window, hidden, and runs Form_Load once
  void show();       // loads when needed and shows
  void showModal();  // shows and serves events until the form is hidden or unloaded
  void hide();
  void unload();   // Form_Unload; unless cancelled the window goes and the form is unloaded
  void refresh();  // the window shows the surface as it is now
  // The window shows what was drawn on the surface since it last showed it, and nothing
  // else: the controls over it stay as they were drawn.
  void refreshChanges();
  void setFocus();
  bool loaded() const { return loaded_; }
  bool visible() const { return visible_; }
  bool modal() const { return modal_; }

  // The outer rectangle (frame included) and the client area.
  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return clientWidth_ + frame().left + frame().right; }
  int height() const { return clientHeight_ + frame().top + frame().bottom; }
  int scaleWidth() const { return clientWidth_; }
  int scaleHeight() const { return clientHeight_; }
  void move(int left, int top);
  // The desktop put the window's outer corner here (the player dragged it, or the window
  // manager placed it): the form takes it as its place, without placing the window again.
  void movedTo(int left, int top);
  void setClientSize(int width, int height);
  // The frame round the client area: the window's own once its window manager has framed
  // it, else the one it gave the game's other windows, else a thin border and a caption bar;
  // none for a borderless window.
  FrameExtents frame() const;
  // The window manager framed this window with these extents.
  void setOwnFrame(FrameExtents frame) { ownFrame_ = frame; }
  bool framed() const { return ownFrame_.has_value(); }
  // Where the window asks to be: its outer corner, where a window manager puts the corner of
  // its frame (`outerCorner`), else its client area's corner.
  std::pair<int, int> askedPlace(bool outerCorner) const;
  bool hasMenuBar() const { return hasMenuBar_; }
  void setHasMenuBar(bool has) { hasMenuBar_ = has; }

  BorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(BorderStyle style);
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { caption_ = std::move(caption); }

  // What the window shows: drawn into by the form, shown by refresh(). It is at least as
  // large as the client area; anything beyond lies outside the window.
  Picture& surface() { return surface_; }
  const Picture& surface() const { return surface_; }
  // Makes a picture the window's background (and its image): clearing restores it.
  void setPicture(const Picture& picture);

  // The image the window shows: the surface with the controls drawn over it, composed afresh.
  const Picture& shownImage();
  // Brings the shown image up to date where the surface was drawn on since it was last
  // composed, and says where (empty: nothing changed); composedImage() then has it.
  std::vector<Rect> composeChanges();
  const Picture& composedImage() const { return controlsComposed_ ? composed_ : surface_; }

  // Controls, in the order they were made (their drawing and tab order).
  const std::vector<Control*>& controls() const { return controls_; }
  Control* activeControl() const { return activeControl_; }
  void setActiveControl(Control* control);
  // When set, the form sees keys before the control that has the focus.
  bool keyPreview = false;
  // A pop-up closes when the mouse is pressed in another window.
  bool closesOnOutsideClick = false;
  // A window of its own beside the game's dialogs, as a separate help viewer is: it takes
  // input while a dialog is open, and no dialog takes the keyboard back from it.
  bool standsAlone = false;
  // Where the mouse was last seen in the client area.
  int mouseX() const { return mouseX_; }
  int mouseY() const { return mouseY_; }

  // Input as the event loop hands it over: to the form, or to the control with the focus.
  void routeKeyDown(std::int16_t keyCode, std::int16_t shift);
  void routeKeyUp(std::int16_t keyCode, std::int16_t shift);
  void routeKeyPress(std::int16_t keyAscii);
  void routeMouse(int kind, int button, int x, int y);  // kind: 0 down, 1 up, 2 move

  // Window-system handle of the backend.
  void* handle() const { return handle_; }
  void setHandle(void* handle) { handle_ = handle; }

 private:
  friend class App;
  friend class Control;
  void fitSurface();
  void addControl(Control& control);
  void removeControl(Control& control);
  Control* controlAt(int x, int y) const;
  void focusNext();

  std::string name_;
  std::string caption_;
  BorderStyle borderStyle_ = BorderStyle::FixedSingle;
  bool hasMenuBar_ = false;
  int left_ = 0, top_ = 0;
  std::optional<FrameExtents> ownFrame_;
  int clientWidth_ = 320, clientHeight_ = 240;
  bool loaded_ = false;
  bool visible_ = false;
  bool modal_ = false;
  bool loading_ = false;
  Picture surface_{320, 240};
  Picture composed_;               // the surface with the controls over it
  bool controlsComposed_ = false;  // composed_ is what the window shows
  bool composedValid_ = false;     // composed_ (or the surface) was composed and shown
  std::vector<Control*> controls_;
  Control* activeControl_ = nullptr;
  Control* mouseOver_ = nullptr;
  Control* mouseCapture_ = nullptr;
  int mouseX_ = 0, mouseY_ = 0;
  void* handle_ = nullptr;
};

}  // namespace velloran::rt
