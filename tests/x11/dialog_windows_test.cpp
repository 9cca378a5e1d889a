// Dialogs in real windows, driven by real input from another client (xdotool): the set
// chooser lies over the table it copies and keeps the keyboard after a click on the table;
// the name box pastes, copies and cuts through the real keys. With a window manager or not.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "dialogs/frm_about.h"
#include "dialogs/frm_choose_seat.h"
#include "dialogs/frm_choose_tiles.h"
#include "dialogs/frm_get_name.h"
#include "dialogs/frm_hi_score.h"
#include "dialogs/frm_rounds_setting.h"
#include "engine/shared.h"
#include "runtime/app.h"
#include "runtime/timer.h"
#include "table/frm_main.h"
#include "windows/frm_bitmaps.h"
#include "windows/table_window.h"
#include "windows/window_helpers.h"
#include "x11/child_process.h"
#include "x11/screen_grab.h"
#include "x11/x_client.h"

namespace velloran {
namespace {

using velloran::testing::clientRect;
using velloran::testing::ScreenRect;
using velloran::testing::xWindowOf;

void xinput(const std::string& arguments) {
  ASSERT_TRUE(velloran::testing::xdotool(arguments)) << arguments;
}
// Steps run from a timer inside the dialog's own modal loop: each runs once the one before
// it has seen its effect, and the dialog is closed when a step waits in vain.
class Script {
 public:
  struct Step {
    std::function<bool()> ready;  // what the step waits for
    std::function<void()> act;
  };
  Script(rt::Form& dialog, std::vector<Step> steps)
      : dialog_(dialog), steps_(std::move(steps)), timer_([this] { tick(); }, 20) {
    timer_.setEnabled(true);
  }
  bool finished() const { return next_ == steps_.size(); }
  std::size_t stepsDone() const { return next_; }

 private:
  void tick() {
    rt::App& app = rt::App::instance();
    if (start_ < 0) start_ = app.clock().monotonic();
    if (next_ < steps_.size() && steps_[next_].ready()) {
      steps_[next_++].act();
      start_ = app.clock().monotonic();
    } else if (app.clock().monotonic() - start_ > 15) {
      timer_.setEnabled(false);
      dialog_.unload();
    }
  }
  rt::Form& dialog_;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  double start_ = -1;
  rt::Timer timer_;
};

class DialogWindows : public ::testing::TestWithParam<velloran::testing::Desktop> {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under an X server (xvfb-run)";
    rt::App::instance().setBackend(velloran::testing::openBackend(GetParam()));
    rt::App::instance().setProgramFolder(VELLORAN_BINARY_DIR);  // the song beside the game
    installErrorReporter();
  }
  void TearDown() override {
    setTableWindow(nullptr);
    gsReleaseObjects(frmAbout, frmChooseSeat, frmChooseTiles, frmGetName, frmHiScore,
                     frmRoundsSetting, frmBitmaps, frmMain);
    rt::App::instance().doEvents();
    rt::App::instance().setBackend(nullptr);
    setErrorReporter(nullptr);
  }
  // A plain window in the table's place, for the dialogs to open over.
  static void showAsTable(rt::Form& table) {
    table.move(100, 100);
    table.setClientSize(400, 300);
    table.show();
    setTableWindow(&table);
  }
  static bool mapped(const rt::Form& form) {
    return form.loaded() && form.handle() && clientRect(xWindowOf(form)).has_value();
  }
};

// Serves the game's events until `done`, for at most ten seconds.
bool serveUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    rt::App::instance().doEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The outer rectangle of a form's window as the desktop shows it: its frame under a window
// manager; with none, the client area and the frame the game takes for it.
std::optional<ScreenRect> outerRect(const rt::Form& form) {
  const unsigned long window = xWindowOf(form);
  if (velloran::testing::windowManagerRuns()) return velloran::testing::topLevelRect(window);
  std::optional<ScreenRect> rect = clientRect(window);
  const rt::FrameExtents frame = form.frame();
  if (rect) {
    *rect = {rect->x - frame.left, rect->y - frame.top, rect->width + frame.left + frame.right,
             rect->height + frame.top + frame.bottom};
  }
  return rect;
}

// Three single flowers in rows 1 to 3 (the row handed back names the option taken), then Pass.
void offerThreeFlowers() {
  DynamicArray<std::int16_t> rows, cols;
  rows.redim(3);
  cols.redim(3);
  for (int k = 1; k <= 12; ++k) {
    for (int t = 1; t <= 3; ++t) {
      typCell& slot = gudtPossibleSets(k, t);
      slot = typCell{};
      slot.X = static_cast<std::int16_t>(6 + 98 * ((k - 1) % 4) + 30 * (t - 1));
      slot.Y = static_cast<std::int16_t>(6 + 45 * ((k - 1) / 4));
      slot.Occupied = k <= 3 && t == 1;
      slot.BmpIdx = 39;
    }
    if (k <= 3) rows[k] = static_cast<std::int16_t>(k), cols[k] = 5;
  }
  frmChooseTiles->msLoadFormVariables(rows, cols);
}

TEST_P(DialogWindows, TheSetChooserLiesOverTheTableAndKeepsTheKeyboard) {
  frmMain->show();
  offerThreeFlowers();
  std::optional<velloran::testing::ScreenRect> table, chooser;
  const std::string tableWindow = std::to_string(xWindowOf(*frmMain));
  Script script(*frmChooseTiles,
                {{[&] { return mapped(*frmChooseTiles); },
                  [&] {
                    table = clientRect(xWindowOf(*frmMain));
                    chooser = clientRect(xWindowOf(*frmChooseTiles));
                    // A click on the table, then Right and Enter: the second run is taken.
                    xinput("mousemove --window " + tableWindow + " 200 150 click 1");
                    xinput("key Right Return");
                  }}});
  frmChooseTiles->showModal();
  EXPECT_TRUE(script.finished());
  EXPECT_EQ(frmChooseTiles->mprpCellTableRow(), 2) << "the chooser took the keys after the click";
  ASSERT_TRUE(table && chooser);
  // Its background is the table at (353, 436): it lies there, but for the few pixels by which
  // its placement rounds the table's frame.
  EXPECT_NEAR(chooser->x - table->x, 353, 4);
  EXPECT_NEAR(chooser->y - table->y, 436, 4);
}

// The player drags the table elsewhere; every dialog then opens where its placement puts it
// from the table's new outer rectangle, as the desktop shows it.
TEST_P(DialogWindows, DialogsFollowATableThePlayerMoved) {
  frmMain->show();
  const unsigned long table = xWindowOf(*frmMain);
  ASSERT_TRUE(serveUntil([&] { return velloran::testing::viewable(table); }));
  const std::optional<ScreenRect> start = clientRect(table);
  const std::optional<ScreenRect> startFrame = velloran::testing::topLevelRect(table);
  ASSERT_TRUE(start && startFrame);
  // Moved by another program, as a pager does: under a window manager the request goes to it,
  // and it moves the frame (a drag synthesised from here would depend on its timing).
  constexpr int kAcross = -100, kDown = -60;
  velloran::testing::moveTopLevel(table, start->x + kAcross, start->y + kDown);
  ScreenRect tableOuter;
  EXPECT_TRUE(serveUntil([&] {
    tableOuter = *outerRect(*frmMain);
    return tableOuter.x < startFrame->x - 20 && tableOuter.y < startFrame->y - 20 &&
           frmMain->left() == tableOuter.x && frmMain->top() == tableOuter.y;
  })) << "the game learnt the table's new place: it thinks "
      << frmMain->left() << "," << frmMain->top() << ", the desktop shows " << tableOuter.x << ","
      << tableOuter.y;
  const ScreenRect client = *clientRect(table);
  const rt::Picture under =
      *velloran::testing::grabScreen(client.x, client.y, client.width, client.height);

  // Where a dialog's outer rectangle shows, once it is on the screen.
  const auto shownAt = [](rt::Form& dialog) {
    std::optional<ScreenRect> place;
    Script script(
        dialog, {{[&] { return dialog.loaded() && velloran::testing::viewable(xWindowOf(dialog)); },
                  [&] {
                    place = outerRect(dialog);
                    dialog.unload();
                  }}});
    dialog.showModal();
    return place;
  };
  const auto centred = [&](const ScreenRect& dialog) {
    return std::pair{tableOuter.x + (tableOuter.width - dialog.width) / 2,
                     tableOuter.y + (tableOuter.height - dialog.height) / 2};
  };
  std::vector<std::pair<std::string, rt::Form*>> centredDialogs = {
      {"seat draw", &*frmChooseSeat},
      {"about box", &*frmAbout},
      {"high scores", &*frmHiScore},
      {"rounds setting", &*frmRoundsSetting}};
  for (const auto& [name, dialog] : centredDialogs) {
    const std::optional<ScreenRect> place = shownAt(*dialog);
    ASSERT_TRUE(place) << name;
    const auto [x, y] = centred(*place);
    EXPECT_NEAR(place->x, x, 2) << name;
    EXPECT_NEAR(place->y, y, 2) << name;
  }
  setTableWindow(&*frmMain);
  frmGetName->msLoadFormVariables(500);
  const std::optional<ScreenRect> name = shownAt(*frmGetName);
  ASSERT_TRUE(name);
  EXPECT_NEAR(name->x, centred(*name).first, 2) << "name entry";
  EXPECT_NEAR(name->y, centred(*name).second, 2) << "name entry";

  // The set chooser: from the table's outer corner, 353 and 436 client pixels scaled to the
  // outer size; what it shows between its options is the table that lies under it.
  offerThreeFlowers();
  std::optional<ScreenRect> chooser;
  std::optional<rt::Picture> strip;
  Script script(*frmChooseTiles, {{[&] {
                                     // Drawn: the red frame round the first option shows (until
                                     // then the window shows what lay under it).
                                     const unsigned long window = xWindowOf(*frmChooseTiles);
                                     chooser = clientRect(window);
                                     return velloran::testing::viewable(window) &&
                                            velloran::testing::screenPixels(
                                                chooser->x + 4, chooser->y + 20, 1, 1) ==
                                                std::vector<std::uint32_t>{0xFF0000};
                                   },
                                   [&] {
                                     strip = velloran::testing::grabScreen(
                                         chooser->x, chooser->y, chooser->width, chooser->height);
                                     frmChooseTiles->unload();
                                   }}});
  frmChooseTiles->showModal();
  ASSERT_TRUE(chooser && strip);
  const std::optional<ScreenRect> still = clientRect(table);
  ASSERT_TRUE(still && still->x == client.x && still->y == client.y) << "the table stayed put";
  EXPECT_NEAR(chooser->x, tableOuter.x + 353.0 * tableOuter.width / client.width, 2);
  EXPECT_NEAR(chooser->y, tableOuter.y + 436.0 * tableOuter.height / client.height, 2);
  // Below the first row of options, which holds them all: the table alone.
  int differing = 0;
  for (int y = 50; y < strip->height(); ++y) {
    for (int x = 0; x < strip->width(); ++x) {
      const int tableX = chooser->x - client.x + x, tableY = chooser->y - client.y + y;
      differing += strip->pixel(x, y) != under.pixel(tableX, tableY) ? 1 : 0;
    }
  }
  EXPECT_EQ(differing, 0) << "pixels of the strip unlike the table under them";
}

// Every window keeps its size: the window manager is told it cannot be resized or maximised
// (size limits of one size, Motif's functions without either), and a request to maximise the
// table leaves it as it is. The table may be minimised, a dialog not.
TEST_P(DialogWindows, NoWindowCanBeResizedOrMaximised) {
  constexpr long kResize = 1L << 1, kMinimize = 1L << 3, kMaximize = 1L << 4;
  constexpr long kAll = 1L << 0, kFunctions = 1L << 0;
  const auto fixed = [](const rt::Form& form, bool minimizable) {
    const unsigned long window = xWindowOf(form);
    const std::optional<std::vector<int>> limits = velloran::testing::sizeLimits(window);
    const std::vector<int> own = {form.scaleWidth(), form.scaleHeight(), form.scaleWidth(),
                                  form.scaleHeight()};
    EXPECT_EQ(limits, own) << form.name();
    const std::vector<long> motif = velloran::testing::property32(window, "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u) << form.name();
    EXPECT_TRUE(motif[0] & kFunctions) << form.name();
    EXPECT_FALSE(motif[1] & (kAll | kResize | kMaximize)) << form.name();
    EXPECT_EQ((motif[1] & kMinimize) != 0, minimizable) << form.name();
    if (!velloran::testing::windowManagerRuns()) return;
    for (const std::string& action :
         velloran::testing::atomNames(window, "_NET_WM_ALLOWED_ACTIONS")) {
      EXPECT_NE(action, "_NET_WM_ACTION_RESIZE") << form.name();
      EXPECT_NE(action, "_NET_WM_ACTION_MAXIMIZE_HORZ") << form.name();
      EXPECT_NE(action, "_NET_WM_ACTION_MAXIMIZE_VERT") << form.name();
    }
  };
  frmMain->show();
  const unsigned long table = xWindowOf(*frmMain);
  ASSERT_TRUE(serveUntil([&] { return velloran::testing::viewable(table); }));
  fixed(*frmMain, true);
  velloran::testing::askToMaximise(table);
  Script script(*frmRoundsSetting,
                {{[&] { return velloran::testing::viewable(xWindowOf(*frmRoundsSetting)); },
                  [&] {
                    fixed(*frmRoundsSetting, false);
                    frmRoundsSetting->unload();
                  }}});
  frmRoundsSetting->showModal();
  EXPECT_TRUE(script.finished());
  // A window manager that maximises it all the same is asked to take that back.
  std::optional<ScreenRect> client;
  EXPECT_TRUE(serveUntil([&] {
    client = clientRect(table);
    return client && client->width == frmMain->scaleWidth() &&
           client->height == frmMain->scaleHeight();
  })) << "the table keeps its size, not "
      << client->width << "x" << client->height;
}

TEST_P(DialogWindows, TheNameBoxPastesCopiesAndCutsThroughRealKeys) {
  rt::Form table("frmTable");
  showAsTable(table);
  rt::Backend& backend = rt::App::instance().backend();
  backend.setClipboardText("Nightingales");
  rt::TextBox& box = frmGetName->txtName;
  Script script(*frmGetName,
                {{[&] { return mapped(*frmGetName); }, [] { xinput("key ctrl+v"); }},
                 {[&] { return box.text() == "Nightingal"; },
                  [&] {
                    box.select(0, 5);
                    xinput("key ctrl+c");
                  }},
                 {[&] { return backend.clipboardText() == "Night"; },
                  [&] {
                    box.select(5, 5);
                    xinput("key ctrl+x");
                  }},
                 {[&] { return box.text() == "Night"; }, [] { xinput("key Return"); }}});
  frmGetName->msLoadFormVariables(500);
  frmGetName->showModal();
  EXPECT_EQ(script.stepsDone(), 4u) << "paste cut to ten, copy, cut";
  EXPECT_EQ(backend.clipboardText(), "ingal");
  EXPECT_EQ(frmGetName->mprpName(), "Night");
  setTableWindow(nullptr);
  table.unload();
}

// With no window manager nobody but the game gives the table the keyboard back when a dialog
// over it closes: the arrows that follow must steer the falling tile again, not go nowhere.
TEST_P(DialogWindows, TheArrowsSteerTheFallingTileOnceADialogClosesByAKey) {
  FrmMain& table = *frmMain;
  table.show();
  rt::App& app = rt::App::instance();
  // Serves the game until it shows what is wanted; false when it never does.
  const auto serveUntil = [&](const std::function<bool()>& done) {
    const double giveUp = app.clock().monotonic() + 15;
    while (!done() && app.clock().monotonic() < giveUp) {
      app.serveUntil(app.clock().monotonic() + 0.02);
    }
    return done();
  };
  {
    // Start Anew: the seat is taken with Enter, then the first tile falls.
    Script seat(*frmChooseSeat,
                {{[&] { return mapped(*frmChooseSeat); }, [] { xinput("key Return"); }}});
    table.tbrVLR_ButtonClick(1);
    EXPECT_TRUE(seat.finished());
  }
  ASSERT_TRUE(serveUntil([&] { return table.game.mintRow >= 1; })) << "no tile falls";
  // The tile stands still while the test steers it.
  table.Timer1.setInterval(3'600'000);
  const struct {
    const char* what;
    int button;
    rt::Form& (*dialog)();
    const char* key;
  } cases[] = {
      {"the about box, closed by Escape", 11, []() -> rt::Form& { return *frmAbout; }, "Escape"},
      {"the rounds setting, closed by Enter on OK", 6,
       []() -> rt::Form& { return *frmRoundsSetting; }, "Return"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Script script(c.dialog(), {{[&] { return mapped(c.dialog()); },
                                [&] { xinput(std::string("key ") + c.key); }}});
    table.tbrVLR_ButtonClick(c.button);
    EXPECT_TRUE(script.finished());
    const int column = table.game.mintCol;
    xinput("key Left");
    EXPECT_TRUE(serveUntil([&] { return table.game.mintCol == column - 1; }))
        << "the tile stays in column " << table.game.mintCol;
    xinput("key Right");
    EXPECT_TRUE(serveUntil([&] { return table.game.mintCol == column; }));
  }
  EXPECT_GE(table.game.mintRow, 1) << "the tile still falls";
}

// What another program reads from the desktop's clipboard (xclip's), or sets there.
class OtherClipboard {
 public:
  OtherClipboard()
      : file_(std::filesystem::temp_directory_path() /
              ("velloran-clip-" + std::to_string(getpid()))) {}
  ~OtherClipboard() { std::filesystem::remove(file_); }
  // xclip keeps the text on the clipboard from a process of its own until another takes it.
  void set(const std::string& text) {
    std::ofstream(file_, std::ios::binary) << text;
    start("xclip -selection clipboard -i " + file_.string());
  }
  // Reads it while the game goes on: the game may be the clipboard's owner and must answer.
  void startReading() { start("timeout 10 xclip -o -selection clipboard > " + file_.string()); }
  bool done() { return !child_ || child_->waitForExit(0).has_value(); }
  std::string text() const {
    std::ifstream in(file_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  void start(const std::string& command) {
    child_ = std::make_unique<velloran::testing::ChildProcess>(
        std::vector<std::string>{"/bin/sh", "-c", command},
        std::vector<std::pair<std::string, std::optional<std::string>>>{});
  }
  std::filesystem::path file_;
  std::unique_ptr<velloran::testing::ChildProcess> child_;
};

// With another program on the other side of the clipboard: a paste takes the first line of
// its text, a copy or cut gives it the selection, and a copy with nothing selected leaves
// its text alone.
TEST_P(DialogWindows, TheNameBoxSharesTheClipboardWithOtherPrograms) {
  rt::Form table("frmTable");
  showAsTable(table);
  rt::Backend& backend = rt::App::instance().backend();
  OtherClipboard other;
  other.set("Tom\nJones");
  rt::TextBox& box = frmGetName->txtName;
  std::string afterEmptyCopy, afterCopy, afterCut;
  Script script(
      *frmGetName,
      {{[&] { return mapped(*frmGetName) && other.done(); }, [] { xinput("key ctrl+v"); }},
       {[&] { return box.text() == "Tom"; }, [] { xinput("key ctrl+c x"); }},
       {[&] { return box.text() == "Tomx"; }, [&] { other.startReading(); }},
       {[&] { return other.done(); },
        [&] {
          afterEmptyCopy = other.text();
          xinput("key shift+Home");
        }},
       {[&] { return box.selLength() == 4; }, [] { xinput("key ctrl+c"); }},
       {[&] { return backend.clipboardText() == "Tomx"; }, [&] { other.startReading(); }},
       {[&] { return other.done(); },
        [&] {
          afterCopy = other.text();
          xinput("key Home shift+Right shift+Right ctrl+x");
        }},
       {[&] { return box.text() == "mx"; }, [&] { other.startReading(); }},
       {[&] { return other.done(); },
        [&] {
          afterCut = other.text();
          xinput("key Return");
        }}});
  frmGetName->msLoadFormVariables(500);
  frmGetName->showModal();
  EXPECT_EQ(script.stepsDone(), 9u);
  EXPECT_EQ(afterEmptyCopy, "Tom\nJones") << "Ctrl+C with nothing selected";
  EXPECT_EQ(afterCopy, "Tomx") << "Shift+Home, Ctrl+C";
  EXPECT_EQ(afterCut, "To") << "Shift+Right twice, Ctrl+X";
  EXPECT_EQ(frmGetName->mprpName(), "mx");
  setTableWindow(nullptr);
  table.unload();
}

INSTANTIATE_TEST_SUITE_P(Desktops, DialogWindows,
                         ::testing::Values(velloran::testing::Desktop::X11,
                                           velloran::testing::Desktop::Sdl),
                         [](const auto& info) { return velloran::testing::nameOf(info.param); });

}  // namespace
}  // namespace velloran
