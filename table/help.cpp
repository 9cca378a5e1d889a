#include "table/help.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "runtime/app.h"
#include "runtime/form.h"
#include "runtime/form_instance.h"
#include "runtime/keys.h"
#include "runtime/text.h"
#include "windows/game_files.h"

namespace velloran {
namespace {

const char kHelpFile[] = "VLR.hlp";
const rt::Font kHelpFont{"Liberation Sans", 10, false};
const rt::Font kHeadingFont{"Liberation Sans", 12, true};
constexpr int kWidth = 520, kHeight = 420, kMargin = 14;

// The file's text, wrapped to the window; a line that starts with "# " is a heading.
std::vector<std::string> wrapped(std::istream& in) {
  std::vector<std::string> lines;
  std::string paragraph;
  while (std::getline(in, paragraph)) {
    const bool heading = paragraph.rfind("# ", 0) == 0;
    const rt::Font& font = heading ? kHeadingFont : kHelpFont;
    std::istringstream words(paragraph);
    std::string word, line = heading ? "# " : "";
    if (heading) words >> word;  // the marker itself
    bool any = false;
    while (words >> word) {
      const std::string candidate = line + (line.empty() || line == "# " ? "" : " ") + word;
      if (any && rt::textWidth(font, candidate) > kWidth - 2 * kMargin) {
        lines.push_back(line);
        line = (heading ? "# " : "") + word;
      } else {
        line = candidate;
      }
      any = true;
    }
    lines.push_back(line);
  }
  return lines;
}

class FrmHelp final : public rt::Form {
 public:
  FrmHelp() : rt::Form("frmHelp") {
    setCaption("Velloran Help");
    setClientSize(kWidth, kHeight);
    standsAlone = true;  // a help viewer of its own: usable beside any dialog
  }
  void setText(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    first_ = 0;
    paint();
  }
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t) override {
    const int page = kHeight / lineHeight() - 2;
    switch (keyCode) {
      case rt::vbKeyUp:
        scroll(-1);
        break;
      case rt::vbKeyDown:
        scroll(1);
        break;
      case rt::vbKeyPageUp:
        scroll(-page);
        break;
      case rt::vbKeyPageDown:
        scroll(page);
        break;
      case rt::vbKeyHome:
        scroll(-first_);
        break;
      case rt::vbKeyEnd:
        scroll(static_cast<int>(lines_.size()));
        break;
      case rt::vbKeyEscape:
        unload();
        break;
      default:
        break;
    }
  }

 private:
  static int lineHeight() { return rt::textHeight(kHelpFont) + 2; }
  void scroll(int lines) {
    const int last = std::max(0, static_cast<int>(lines_.size()) - kHeight / lineHeight() + 1);
    first_ = std::clamp(first_ + lines, 0, last);
    paint();
    refresh();
  }
  void paint() {
    rt::Picture& s = surface();
    s.fillRect(0, 0, s.width(), s.height(), rt::rgb(255, 255, 240));
    // The last line of the window tells how to read on.
    const int footer = kHeight - lineHeight() - 4;
    int y = kMargin;
    for (std::size_t i = static_cast<std::size_t>(first_);
         i < lines_.size() && y + lineHeight() <= footer; ++i) {
      const bool heading = lines_[i].rfind("# ", 0) == 0;
      const rt::Font& font = heading ? kHeadingFont : kHelpFont;
      rt::printText(s, kMargin, y, heading ? lines_[i].substr(2) : lines_[i],
                    heading ? rt::rgb(128, 0, 0) : rt::rgb(0, 0, 0), font);
      y += rt::textHeight(font) + 2;
    }
    s.fillRect(0, footer, kWidth, kHeight - footer, rt::rgb(230, 230, 210));
    rt::printText(s, kMargin, footer + 2, "Up, Down, Page Up, Page Down: read on.   Escape: close.",
                  rt::rgb(90, 90, 90), kHelpFont);
  }
  std::vector<std::string> lines_;
  int first_ = 0;
};

rt::FormInstance<FrmHelp> frmHelp;

}  // namespace

void showHelpIndex(rt::Form& owner) {
  rt::App& app = rt::App::instance();
  std::ifstream file(gameFilePath(kHelpFile));
  if (!file) {
    app.messageBox(std::string("Cannot find the ") + kHelpFile + " file.", "Velloran Help");
    return;
  }
  FrmHelp& help = *frmHelp;
  help.setText(wrapped(file));
  // Beside the table where the screen has room, else over its right part: always in sight.
  const rt::Rect area = app.workArea();
  help.move(
      std::clamp(owner.left() + owner.width() - 40, area.x,
                 std::max(area.x, area.x + area.width - help.width())),
      std::clamp(owner.top() + 40, area.y, std::max(area.y, area.y + area.height - help.height())));
  help.show();
}

void closeHelp() {
  if (!frmHelp) return;
  frmHelp->unload();
  frmHelp.release();
}

}  // namespace velloran
