#include "runtime/message_box.h"

#include <gtest/gtest.h>

#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/text.h"
#include "runtime/timer.h"
#include "support/headless_app.h"

namespace velloran::rt {
namespace {

using MessageBox = velloran::testing::HeadlessApp;

TEST_F(MessageBox, ClosesOnOkEnterOrEscapeWhileTimersGoOn) {
  Form table("frmMain");
  table.show();
  int ticks = 0;
  Timer tick([&] { ++ticks; }, 100);
  tick.setEnabled(true);
  headless->script("msgBox", pressKeys({vbKeyReturn}, 1.0));
  showMessageBox("Error 53 - File not found", "Error In gblnfInitMCI", &table);
  EXPECT_GE(ticks, 9);
  headless->script("msgBox", pressKeys({vbKeyEscape}));
  showMessageBox("Error 6 - Overflow", "Error In msUpdateScore", &table);
  const Picture shown = headless->shown("msgBox");
  // The OK button lies in the middle of the bottom edge.
  headless->script("msgBox", clickAt(shown.width() / 2, shown.height() - 20));
  showMessageBox("Error 6 - Overflow", "Error In msUpdateScore", nullptr);
  EXPECT_TRUE(headless->scriptDone("msgBox"));
  int yellow = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) yellow += shown.pixel(x, y) == rgb(255, 220, 0);
  EXPECT_GT(yellow, 100) << "the exclamation sign";
}

// A window manager writes the title in a bold font and keeps room for its icon and three
// buttons beside it: the box is wide enough for both, or the title is cut short.
TEST_F(MessageBox, IsWideEnoughForItsTitleInATitleBar) {
  const Font titleBarFont{"MS Sans Serif", 10, true};
  constexpr int kTitleBarButtons = 4 * 24;
  const struct {
    std::string text, title;
  } cases[] = {
      {"Error 6 - Overflow", "Error In gblnfInitMCI"},
      {"Error 53 - File not found", "Error In msDrawTile"},
      {"Error 5 - Invalid procedure call or argument", "Error In gsPrintText"},
      {"Error 9 - Subscript out of range", "Error In mblnfLoadBitmapsAndPictures"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    headless->script("msgBox", pressKeys({vbKeyReturn}));
    showMessageBox(c.text, c.title, nullptr);
    const int width = headless->shown("msgBox").width();
    EXPECT_GE(width, textWidth(titleBarFont, c.title) + kTitleBarButtons);
    EXPECT_GE(width, textWidth(Font{"MS Sans Serif", 9, false}, c.text) + 32 + 14 * 3)
        << "the text beside the sign";
  }
}

}  // namespace
}  // namespace velloran::rt
