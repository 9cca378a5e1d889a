#include "runtime/message_box.h"

#include <algorithm>

#include "runtime/app.h"
#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/text.h"

namespace velloran::rt {
namespace {

const Font kBoxFont{"MS Sans Serif", 9, false};
constexpr int kIcon = 32;
constexpr int kMargin = 14;
// A window manager writes the title in its own font, bolder and larger than the box's, and
// keeps room beside it for the window's icon and its minimise, maximise and close buttons
// (about 24 pixels each) within the frame's margins. The box is made wide enough for all of
// it, as the platform's box is sized to its title, so that no manager cuts the title short.
const Font kTitleFont{"MS Sans Serif", 10, true};
constexpr int kTitleBarRoom = 4 * 24 + 2 * 12;

// A yellow warning triangle with a black exclamation mark.
void drawExclamation(Picture& target, int x, int y) {
  for (int row = 0; row < kIcon; ++row) {
    const int half = row / 2;
    const int centre = x + kIcon / 2;
    target.fillRect(centre - half - 1, y + row, 2 * half + 3, 1, rgb(0, 0, 0));
    if (row > 1 && row < kIcon - 1) {
      target.fillRect(centre - half + 1, y + row, std::max(0, 2 * half - 1), 1, rgb(255, 220, 0));
    }
  }
  target.fillRect(x + kIcon / 2 - 1, y + 10, 3, 12, rgb(0, 0, 0));
  target.fillRect(x + kIcon / 2 - 1, y + 25, 3, 3, rgb(0, 0, 0));
}

class MessageBoxForm final : public Form {
 public:
  MessageBoxForm(const std::string& text, const std::string& title) : Form("msgBox"), ok_(*this) {
    setCaption(title);
    setBorderStyle(BorderStyle::FixedDialog);
    const int width = std::max({200, kMargin * 3 + kIcon + textWidth(kBoxFont, text),
                                textWidth(kTitleFont, title) + kTitleBarRoom});
    const int height = kMargin * 3 + kIcon + 25;
    setClientSize(width, height);
    Picture& s = surface();
    s.fillRect(0, 0, width, height, kButtonFace);
    drawExclamation(s, kMargin, kMargin);
    printText(s, kMargin * 2 + kIcon, kMargin + (kIcon - textHeight(kBoxFont)) / 2, text,
              kButtonText, kBoxFont);
    ok_.caption = "OK";
    ok_.font = kBoxFont;
    ok_.move((width - 75) / 2, height - kMargin - 25, 75, 25);
    ok_.onClick = [this] { unload(); };
  }
  void Form_Load() override { ok_.setFocus(); }
  void Form_KeyPress(std::int16_t& keyAscii) override {
    if (keyAscii == vbKeyEscape || keyAscii == vbKeyReturn) unload();
  }

 private:
  CommandButton ok_;
};

}  // namespace

void showMessageBox(const std::string& text, const std::string& title, Form* owner) {
  MessageBoxForm box(text, title);
  box.keyPreview = true;  // Escape closes it whatever has the focus
  if (owner && owner->loaded()) {
    box.move(owner->left() + (owner->width() - box.width()) / 2,
             owner->top() + (owner->height() - box.height()) / 2);
  } else {
    const Rect area = App::instance().workArea();
    box.move(area.x + (area.width - box.width()) / 2, area.y + (area.height - box.height()) / 2);
  }
  box.showModal();
  box.unload();
}

}  // namespace velloran::rt
