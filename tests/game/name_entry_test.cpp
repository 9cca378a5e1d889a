#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dialogs/frm_get_name.h"
#include "dialogs/key_filter.h"
#include "runtime/keys.h"
#include "support/headless_app.h"
#include "table/frm_main.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

using velloran::testing::chord;
using velloran::testing::closingKey;
using velloran::testing::HeadlessApp;
using Kind = rt::InputEvent::Kind;

const std::string kNames(kNameCharacters);

TEST(KeyFilter, PassesControlKeysAndAllowedCharactersInEitherCase) {
  const struct {
    std::string allowed;
    std::int16_t key, expected;
  } cases[] = {
      {kNames, 'a', 'a'},  // lower case passes and stays lower case
      {kNames, 'Q', 'Q'}, {kNames, '~', '~'}, {kNames, 127, 0},
      {kNames, 233, 0},                                          // an accented letter
      {kNames, 300, 0},                                          // no single-byte character at all
      {kNames, 8, 8},                                            // Backspace
      {kNames, 22, 22},                                          // paste
      {kNames, 27, 27},   {kNames, 0, 0},     {kNames, -5, -5},  // below 32 counts as a control key
      {"abc", 'B', 'B'},  {"abc", 'd', 0},    {"", 'a', 0},
      {"\xE9", 201, 201},  // the Latin-1 capital of the allowed small letter
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gintfValidateKey(c.allowed, c.key), c.expected)
        << "key " << c.key << " in \"" << c.allowed << "\"";
  }
}

TEST(KeyFilter, TheNameCharactersAreExactlyThePrintableAscii) {
  EXPECT_EQ(kNames.size(), 69u);
  for (int key = 32; key <= 255; ++key) {
    const auto k = static_cast<std::int16_t>(key);
    EXPECT_EQ(gintfValidateKey(kNames, k), key <= 126 ? k : 0) << key;
  }
}

// A window that logs the keys it is given.
struct KeyLog : rt::Form {
  using rt::Form::Form;
  std::vector<std::int16_t> pressed;
  void Form_KeyPress(std::int16_t& keyAscii) override { pressed.push_back(keyAscii); }
};

using ProcessKey = HeadlessApp;

TEST_F(ProcessKey, TurnsEnterIntoATabOnlyWhenAsked) {
  KeyLog table("frmMain");
  table.show();
  std::int16_t key = rt::vbKeyReturn;
  gsProcessKey(key, kNames, false);
  EXPECT_EQ(key, rt::vbKeyReturn);
  key = 233;
  gsProcessKey(key, kNames, true);
  EXPECT_EQ(key, 0);
  app().doEvents();
  EXPECT_TRUE(table.pressed.empty());
  key = rt::vbKeyReturn;
  gsProcessKey(key, kNames, true);
  EXPECT_EQ(key, 0) << "the Enter is swallowed";
  app().doEvents();
  EXPECT_EQ(table.pressed, std::vector<std::int16_t>{rt::vbKeyTab});
  table.unload();
}

class NameEntry : public HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    installErrorReporter();
    frmMain->setClientSize(795, 581);
    table.show();
  }
  void TearDown() override {
    table.unload();
    gsReleaseObjects(frmGetName, frmMain);
    HeadlessApp::TearDown();
    setErrorReporter(nullptr);
  }
  void script(const std::vector<rt::ScriptedInput>& input) {
    headless->script("frmGetName", input);
  }
  static rt::ScriptedInput press(std::int16_t keyAscii) {
    return {{Kind::KeyPress, nullptr, keyAscii, 0, 0, 0}, 0};
  }
  // Shows the dialog for the score; the scripted keys must end it.
  std::string askName(std::int32_t score) {
    frmGetName->msLoadFormVariables(score);
    frmGetName->showModal();
    EXPECT_TRUE(headless->scriptDone("frmGetName"));
    EXPECT_FALSE(frmGetName->loaded());
    return frmGetName->mprpName();
  }

  KeyLog table{"frmTable"};  // the window under the dialog
};

TEST_F(NameEntry, EnterTakesTheFilteredTypingOnceAndSendsATabOnward) {
  script(
      rt::typeText("ab\xE9"
                   "c"));
  script(rt::pressKeys({rt::vbKeyEscape}));  // does nothing
  script(rt::typeText("defghijklm"));        // the 11th character onward is not taken
  script(closingKey(rt::vbKeyReturn));
  EXPECT_EQ(askName(1600), "abcdefghij");
  EXPECT_EQ(frmGetName->SSPanel1[2].caption, "Congratulations!  You Have A High Score Of 1600!");
  app().doEvents();
  EXPECT_EQ(table.pressed, std::vector<std::int16_t>{rt::vbKeyTab})
      << "one Tab, to the window that has the focus after the dialog";
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(NameEntry, BackspaceEditsAndAPasteIsCutToTenCharacters) {
  headless->setClipboardText("Pasted Name Too Long");
  script(rt::typeText("xy"));
  script(rt::pressKeys({rt::vbKeyBack, rt::vbKeyBack}));
  script({press(22)});
  script(closingKey(rt::vbKeyReturn));
  EXPECT_EQ(askName(50), "Pasted Nam");
}

TEST_F(NameEntry, ASecondHighScoreStartsEmptyAndReplacesTheName) {
  script(rt::typeText("Al"));
  script(closingKey(rt::vbKeyReturn));
  EXPECT_EQ(askName(1600), "Al");
  script(closingKey(rt::vbKeyReturn));
  EXPECT_EQ(askName(3200), "") << "the box started empty";
  EXPECT_EQ(frmGetName->SSPanel1[2].caption, "Congratulations!  You Have A High Score Of 3200!");
  EXPECT_EQ(frmGetName->scaleWidth(), 298) << "each showing has the same size";
  EXPECT_EQ(frmGetName->scaleHeight(), 160);
}

// The name box edits as a desktop's text box, and what reaches the name is one line of
// printable characters; the clipboard changes only by a copy or cut of a selection.
TEST_F(NameEntry, TheBoxSelectsCopiesCutsAndPastesOneLine) {
  constexpr std::int16_t kShift = rt::vbShiftMask, kCtrl = rt::vbCtrlMask;
  const struct {
    const char* what;
    std::string clipboard;
    std::vector<std::vector<rt::ScriptedInput>> keys;
    std::string name, clipboardAfter;
  } cases[] = {
      {"a paste stops at a line feed", "Tom\nJones", {chord('V', kCtrl)}, "Tom", "Tom\nJones"},
      {"a paste stops at a carriage return",
       "Ann\r\nLee",
       {chord(rt::vbKeyInsert, kShift)},
       "Ann",
       "Ann\r\nLee"},
      {"a pasted tab stays out", "Al\tBo", {chord('V', kCtrl)}, "AlBo", "Al\tBo"},
      {"Ctrl+C with nothing selected",
       "keep",
       {rt::typeText("abc"), chord('C', kCtrl)},
       "abc",
       "keep"},
      {"Ctrl+X with nothing selected",
       "keep",
       {rt::typeText("abc"), chord('X', kCtrl)},
       "abc",
       "keep"},
      {"Shift+Home selects, Ctrl+C copies",
       "keep",
       {rt::typeText("abc"), chord(rt::vbKeyHome, kShift), chord('C', kCtrl)},
       "abc",
       "abc"},
      {"Shift+Left selects, Ctrl+X cuts",
       "keep",
       {rt::typeText("abcd"), chord(rt::vbKeyLeft, kShift), chord(rt::vbKeyLeft, kShift),
        chord('X', kCtrl)},
       "ab",
       "cd"},
      {"typing replaces a selection",
       "keep",
       {rt::typeText("abc"), chord(rt::vbKeyHome, kShift), rt::typeText("Z")},
       "Z",
       "keep"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    headless->setClipboardText(c.clipboard);
    for (const auto& keys : c.keys) script(keys);
    script(closingKey(rt::vbKeyReturn));
    EXPECT_EQ(askName(100), c.name);
    EXPECT_EQ(headless->clipboardText(), c.clipboardAfter);
    app().doEvents();  // the Tab sent onward
  }
}

TEST_F(NameEntry, ANameOfWideLettersStaysInsideItsBox) {
  script(closingKey(rt::vbKeyReturn));
  askName(50);
  const rt::Picture empty = headless->shown("frmGetName");
  script(rt::typeText("WWWWWWWWWW"));
  script(closingKey(rt::vbKeyReturn));
  EXPECT_EQ(askName(50), "WWWWWWWWWW");
  const rt::Picture& full = headless->shown("frmGetName");
  const rt::TextBox& box = frmGetName->txtName;
  const int left = box.absoluteLeft(), top = box.absoluteTop();
  int outside = 0, inside = 0;
  for (int y = 0; y < frmGetName->scaleHeight(); ++y) {
    for (int x = 0; x < frmGetName->scaleWidth(); ++x) {
      const bool inBox = x >= left && x < left + box.width && y >= top && y < top + box.height;
      (inBox ? inside : outside) += full.pixel(x, y) != empty.pixel(x, y);
    }
  }
  EXPECT_GT(inside, 0);
  EXPECT_EQ(outside, 0) << "the text runs out of its box";
}

TEST_F(NameEntry, AStormOfKeysLeavesAShortPrintableName) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> code(-40, 400);
  const std::int16_t moves[] = {rt::vbKeyLeft, rt::vbKeyRight,  rt::vbKeyHome,
                                rt::vbKeyEnd,  rt::vbKeyDelete, rt::vbKeyTab};
  std::vector<rt::ScriptedInput> storm;
  for (int i = 0; i < 3000; ++i) {
    auto key = static_cast<std::int16_t>(code(random));
    if (key == rt::vbKeyReturn) continue;
    if (i % 5 == 0) {
      storm.push_back({{Kind::KeyDown, nullptr, moves[i % 6], 0, 0, 0}, 0});
    }
    storm.push_back(press(key));
  }
  script(storm);
  script(closingKey(rt::vbKeyReturn));
  const std::string name = askName(1000);
  EXPECT_LE(name.size(), 10u);
  for (const unsigned char c : name) {
    EXPECT_GE(c, 32);
    EXPECT_LE(c, 126);
  }
  app().doEvents();
  EXPECT_EQ(table.pressed, std::vector<std::int16_t>{rt::vbKeyTab});
  EXPECT_TRUE(headless->messageBoxes().empty());
}

}  // namespace
}  // namespace velloran
