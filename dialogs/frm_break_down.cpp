#include "dialogs/frm_break_down.h"

#include <cmath>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "base/trap.h"
#include "engine/shared.h"
#include "runtime/keys.h"
#include "runtime/text.h"
#include "windows/table_window.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

constexpr const char* kFontName = "Wonton ICG";
constexpr double kFontSize = 11;
// The fields' inner widths from the print positions: names and doubles texts stay inside.
constexpr int kNameRoom = 187;
constexpr int kDoublesRoom = 70;
constexpr rt::Colour kShadow = 0x404040;
constexpr rt::Colour kYellow = 0xFFFF;
// One inch below the centre of the table, so its upper part stays in sight.
constexpr int kOneInch = 96;

struct PatternDoubles {
  std::string_view name;
  int doubles;
};

// The same doubles the hand tally counts for each pattern.
constexpr PatternDoubles kPatternDoubles[] = {
    {"Own Season Tile", 1},
    {"Own Flower Tile", 1},
    {"Four Seasons Set", 2},
    {"Four Flowers Set", 2},
    {"Seven Flower/Season Combo", 3},
    {"Red Dragon Trio", 1},
    {"Green Dragon Trio", 1},
    {"Blue Dragon Trio", 1},
    {"Two Dragons Set", 3},
    {"Three Dragons Set", 4},
    {"Prevailing Wind Trio", 1},
    {"Own Wind Trio", 1},
    {"Four Winds Set", 4},
    {"Three Winds Set", 3},
    {"Pure Suit Hand", 6},
    {"Semi-Pure Suit Hand", 3},
    {"Three-Of-A-Kind Hand", 3},
    {"Dragons And Winds Hand", 6},
    {"Ones-Nines-Only Hand", 6},
    {"Sequence Hand", 1},
    {"Mixed Hand", 0},
};

// A value on the board and how far its dark grey copy lies to the left (the copy always
// lies one pixel up).
struct BoardText {
  const typPosition& at;
  int shadowLeft;
  const std::string& text;
};

// Prints the values twice: the grey copies first, then the yellow texts over them.
void printRaised(rt::Form& form, double fontSize, std::initializer_list<BoardText> texts) {
  for (int d = 1; d >= 0; --d) {
    for (const BoardText& value : texts) {
      gsPrintText(form, static_cast<std::int16_t>(value.at.X - d * value.shadowLeft),
                  static_cast<std::int16_t>(value.at.Y - d), value.text, d == 1 ? kShadow : kYellow,
                  kFontName, fontSize, true);
    }
  }
}

// The entries of the hand list from left to right, split at every comma: an empty list
// is one empty entry.
std::vector<std::string> handEntries(const std::string& list) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  for (std::size_t comma = list.find(','); comma != std::string::npos;
       comma = list.find(',', start)) {
    entries.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  entries.push_back(list.substr(start));
  return entries;
}

// The board's fields were drawn for a narrower face than our stand-in for its font: the
// rows print at the largest size up to 11 points at which every name and doubles text
// stays inside its field. The totals always fit.
double boardFontSize(const std::vector<std::string>& entries) {
  const auto fits = [&](double points) {
    const rt::Font font{kFontName, points, true};
    for (const std::string& entry : entries) {
      if (rt::textWidth(font, entry) > kNameRoom ||
          rt::textWidth(font, FrmBreakDown::mstrfDouble(entry)) > kDoublesRoom) {
        return false;
      }
    }
    return true;
  };
  double size = kFontSize;
  while (size > 6 && !fits(size)) size -= 0.5;
  return size;
}

}  // namespace

FrmBreakDown::FrmBreakDown() : rt::Form("frmBreakDown") {
  setBorderStyle(rt::BorderStyle::None);
}

void FrmBreakDown::Form_Load() {
  trap("Form_Load", [&] {
    const rt::Picture board = rt::loadResourcePicture("bitmap102");
    // What the sizing adds beyond the board continues its outer edge.
    surface().setBackColour(board.pixel(0, board.height() - 1));
    setPicture(board);
    gsSizeFormClient(0, 0, 666, 309, *this);
    setCaption("Velloran");
    const rt::Form& table = tableWindow();
    move(static_cast<int>(std::lround(table.left() + (table.width() - width()) / 2.0)),
         static_cast<int>(std::lround(table.top() + kOneInch + (table.height() - height()) / 2.0)));
    msInitPrtPsns();
    msBreakDown();
  });
}

void FrmBreakDown::msInitPrtPsns() {
  trap("msInitPrtPsns", [&] {
    std::int16_t nameX = 38, doublesX = 249, y = 55;
    for (int i = mudtHandPsns.lower; i <= mudtHandPsns.upper; ++i) {
      mudtHandPsns[i] = {nameX, y};
      mudtDoublePsns[i] = {doublesX, y};
      y = static_cast<std::int16_t>(y + 38);
      if (i == mudtHandPsns.upper / 2) {  // on to the right-hand column
        nameX = 354;
        doublesX = 566;
        y = 55;
      }
    }
    mudtTotalDoublesPsn = {208, 284};
    mudtPointsPsn = {520, 284};
  });
}

void FrmBreakDown::msBreakDown() {
  trap("msBreakDown", [&] {
    const std::vector<std::string> entries = handEntries(gstrHandList);
    const double fontSize = boardFontSize(entries);
    int totalDoubles = 0;
    int row = 0;
    for (const std::string& entry : entries) {
      const std::string doubles = mstrfDouble(entry);
      ++row;
      printRaised(*this, fontSize,
                  {{mudtHandPsns[row], 1, entry}, {mudtDoublePsns[row], 0, doubles}});
      totalDoubles += doubles.empty() ? 0 : doubles[0] - '0';
    }
    const std::string total = std::to_string(totalDoubles);
    const std::string points = std::to_string(glngHandPoints);
    printRaised(*this, kFontSize, {{mudtTotalDoublesPsn, 1, total}, {mudtPointsPsn, 0, points}});
    refresh();
  });
}

std::string FrmBreakDown::mstrfDouble(const std::string& name) {
  std::string result;
  trap("mstrfDouble", [&] {
    int doubles = 0;
    for (const PatternDoubles& pattern : kPatternDoubles) {
      if (pattern.name == name) doubles = pattern.doubles;
    }
    result = std::to_string(doubles) + " Double" + (doubles >= 2 ? "s" : "");
  });
  return result;
}

void FrmBreakDown::Form_KeyPress(std::int16_t& keyAscii) {
  if (keyAscii == rt::vbKeyReturn || keyAscii == rt::vbKeyEscape) unload();
}

void FrmBreakDown::Form_Unload(std::int16_t&) {
  gsReleaseObjects(frmBreakDown);
}

}  // namespace velloran
