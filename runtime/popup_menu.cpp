#include "runtime/popup_menu.h"

#include <algorithm>

#include "runtime/app.h"
#include "runtime/controls.h"
#include "runtime/keys.h"
#include "runtime/text.h"

namespace velloran::rt {
namespace {

const Font kMenuFont{"MS Sans Serif", 8.25, false};
constexpr int kItemHeight = 18;
constexpr int kCheckSpace = 20;

class MenuWindow final : public Form {
 public:
  MenuWindow(const std::string& name, const std::vector<MenuItem>& items)
      : Form(name), items_(items) {
    setBorderStyle(BorderStyle::None);
    closesOnOutsideClick = true;
    int widest = 0;
    for (const MenuItem& item : items_)
      widest = std::max(widest, textWidth(kMenuFont, item.caption));
    setClientSize(kCheckSpace + widest + 24, static_cast<int>(items_.size()) * kItemHeight + 4);
    paint();
  }
  int chosen = 0;

  void Form_KeyDown(std::int16_t& keyCode, std::int16_t) override {
    const int count = static_cast<int>(items_.size());
    if (keyCode == vbKeyUp) highlight((highlight_ + count - 2) % count + 1);
    if (keyCode == vbKeyDown) highlight(highlight_ % count + 1);
  }
  void Form_KeyPress(std::int16_t& keyAscii) override {
    if (keyAscii == vbKeyReturn && highlight_ > 0) choose(highlight_);
    if (keyAscii == vbKeyEscape) hide();
  }
  void mouseMove(int, int y) override { highlight(itemAt(y)); }
  void mouseUp(int, int, int y) override {
    if (const int item = itemAt(y)) choose(item);
  }

 private:
  int itemAt(int y) const {
    const int item = (y - 2) / kItemHeight + 1;
    return y >= 2 && item <= static_cast<int>(items_.size()) ? item : 0;
  }
  void choose(int item) {
    chosen = item;
    hide();
  }
  void highlight(int item) {
    if (item == highlight_) return;
    highlight_ = item;
    paint();
    refresh();
  }
  void paint() {
    Picture& s = surface();
    s.fillRect(0, 0, scaleWidth(), scaleHeight(), kButtonFace);
    drawBevel(s, 0, 0, scaleWidth(), scaleHeight(), 2, true);
    for (int i = 1; i <= static_cast<int>(items_.size()); ++i) {
      const int y = 2 + (i - 1) * kItemHeight;
      const bool lit = i == highlight_;
      if (lit) s.fillRect(2, y, scaleWidth() - 4, kItemHeight, rgb(0, 0, 128));
      const Colour ink = lit ? rgb(255, 255, 255) : kButtonText;
      const int textY = y + (kItemHeight - textHeight(kMenuFont)) / 2;
      if (items_[i - 1].checked) {
        // A check mark drawn as two strokes.
        for (int k = 0; k < 3; ++k) s.fillRect(7 + k, textY + 6 + k, 1, 3, ink);
        for (int k = 0; k < 5; ++k) s.fillRect(10 + k, textY + 7 - k, 1, 3, ink);
      }
      printText(s, kCheckSpace, textY, items_[i - 1].caption, ink, kMenuFont);
    }
  }

  std::vector<MenuItem> items_;
  int highlight_ = 0;
};

}  // namespace

int popupMenu(Form& owner, const std::string& name, const std::vector<MenuItem>& items, int x,
              int y) {
  if (items.empty()) return 0;
  MenuWindow menu(name, items);
  menu.move(owner.left() + owner.frame().left + x, owner.top() + owner.frame().top + y);
  menu.showModal();
  const int chosen = menu.chosen;
  menu.unload();
  return chosen;
}

}  // namespace velloran::rt
