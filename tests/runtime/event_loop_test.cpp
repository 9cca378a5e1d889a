#include <gtest/gtest.h>

#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/timer.h"
#include "support/headless_app.h"

namespace velloran::rt {
namespace {

using velloran::testing::HeadlessApp;

// A form that writes down every key event it gets.
struct KeyLog : Form {
  using Form::Form;
  std::vector<std::string> log;
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) override {
    log.push_back("down " + std::to_string(keyCode) + (shift ? "+" + std::to_string(shift) : ""));
  }
  void Form_KeyPress(std::int16_t& keyAscii) override {
    log.push_back("press " + std::to_string(keyAscii));
  }
};

// A modal dialog that closes itself on Enter.
struct Dialog : KeyLog {
  using KeyLog::KeyLog;
  void Form_KeyPress(std::int16_t& keyAscii) override {
    KeyLog::Form_KeyPress(keyAscii);
    if (keyAscii == vbKeyReturn) unload();
  }
};

using EventLoop = HeadlessApp;

TEST_F(EventLoop, ScriptedKeysReachTheFormWithTheirCodes) {
  KeyLog table("frmMain");
  table.show();
  headless->script("frmMain", pressKeys({vbKeyLeft, vbKeyNumpad6, vbKeyReturn, vbKeyEscape}));
  headless->script("frmMain", typeText("a1"));
  app().doEvents();
  EXPECT_EQ(table.log,
            (std::vector<std::string>{"down 37", "down 102", "down 13", "press 13", "down 27",
                                      "press 27", "down 65", "press 97", "down 49", "press 49"}));
}

TEST_F(EventLoop, UnderADialogItTakesTheKeysAndCloseRequestsButAHelpViewerKeepsItsOwn) {
  KeyLog table("frmMain");
  table.show();
  KeyLog help("frmHelp");
  help.standsAlone = true;
  help.show();
  Dialog dialog("frmDialog");
  dialog.setBorderStyle(BorderStyle::None);
  using Kind = InputEvent::Kind;
  headless->script("frmDialog", {{{Kind::FocusGained, &table}, 0},
                                 {{Kind::KeyDown, &table, vbKeyLeft}, 0},
                                 {{Kind::KeyDown, &help, vbKeyDown}, 0},
                                 {{Kind::MouseDown, &table, 1, 0, 5, 5}, 0},
                                 {{Kind::Close, &dialog}, 0},
                                 {{Kind::KeyDown, &dialog, vbKeyRight}, 0}});
  headless->script("frmDialog", pressKeys({vbKeyReturn}));
  dialog.showModal();
  EXPECT_EQ(dialog.log, (std::vector<std::string>{"down 37", "down 39", "down 13", "press 13"}))
      << "the dialog takes the keys typed into the table, and outlives a close request";
  EXPECT_EQ(help.log, (std::vector<std::string>{"down 40"})) << "the help viewer stays usable";
  EXPECT_TRUE(table.log.empty());
}

TEST_F(EventLoop, DoEventsServesWhatIsPendingOnceAndLaterInputWaits) {
  KeyLog table("frmMain");
  table.show();
  auto later = pressKeys({vbKeyDown}, 0.5);
  auto now = pressKeys({vbKeyLeft});
  now.insert(now.end(), later.begin(), later.end());
  headless->script("frmMain", now);
  app().doEvents();
  EXPECT_EQ(table.log, (std::vector<std::string>{"down 37"}));
  app().doEvents();
  EXPECT_EQ(table.log.size(), 1u) << "the clock has not moved: the later key is not due";
  app().serveNext();
  EXPECT_EQ(table.log.back(), "down 40");
  EXPECT_NEAR(this->now(), 0.5, 1e-9);
}

TEST_F(EventLoop, ATimerKeepsFiringWhileAModalFormFromItsHandlerIsOpen) {
  KeyLog table("frmMain");
  Dialog chooser("frmChooseTiles");
  table.show();
  int ticks = 0, ticksKeptOut = 0;
  bool inTick = false;
  Timer timer([&] {
    if (inTick) {
      ++ticksKeptOut;
      return;
    }
    inTick = true;
    ++ticks;
    if (ticks == 1) chooser.showModal();
    inTick = false;
  });
  timer.setInterval(100);
  timer.setEnabled(true);
  // Enter comes one second after the chooser opens: ten intervals in between.
  headless->script("frmChooseTiles", pressKeys({vbKeyReturn}, 1.0));
  // Due while the chooser is up, so it must wait for the chooser to close.
  headless->script("frmMain", pressKeys({vbKeyLeft}, 0.5));
  double leftArrived = -1;
  while (ticks < 2 || table.log.empty()) {
    app().serveNext();
    if (!table.log.empty() && leftArrived < 0) leftArrived = now();
  }
  EXPECT_FALSE(chooser.loaded());
  EXPECT_GE(ticksKeptOut, 9);
  EXPECT_LE(ticksKeptOut, 10);
  EXPECT_EQ(chooser.log, (std::vector<std::string>{"down 13", "press 13"}));
  EXPECT_EQ(table.log, (std::vector<std::string>{"down 37"}));
  EXPECT_GE(leftArrived, 1.1) << "the table got its key only after the dialog closed";
}

TEST_F(EventLoop, TimersStartAFreshIntervalWhenSwitchedOnOrRetimed) {
  int fired = 0;
  Timer timer([&] { ++fired; }, 500);
  KeyLog table("frmMain");
  table.show();
  timer.setEnabled(true);
  app().serveUntil(0.4);
  timer.setInterval(300);  // from 0.4 s: due at 0.7 s
  app().serveUntil(0.69);
  EXPECT_EQ(fired, 0);
  app().serveUntil(0.71);
  EXPECT_EQ(fired, 1);
  timer.setEnabled(false);
  app().serveUntil(5.0);
  EXPECT_EQ(fired, 1);
  timer.setInterval(0);
  timer.setEnabled(true);
  app().serveUntil(10.0);
  EXPECT_EQ(fired, 1) << "an interval of 0 never fires";
}

TEST_F(EventLoop, IdleWorkWaitsUntilNothingHasComeForAWhileAndRunsOnce) {
  KeyLog table("frmMain");
  table.show();
  double ranAt = -1;
  int runs = 0;
  app().whenIdle([&] {
    ranAt = now();
    ++runs;
  });
  // A timer every 20 ms, then keys 30 ms apart until 0.29 s: the loop is never quiet for
  // long enough.
  Timer busy([] {}, 20);
  busy.setEnabled(true);
  app().serveUntil(0.2);
  busy.setEnabled(false);
  headless->script("frmMain", pressKeys({vbKeyLeft, vbKeyRight, vbKeyUp}, 0.03));
  app().serveUntil(2.0);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(table.log.size(), 3u);
  EXPECT_GE(ranAt, 0.29) << "not while the loop was busy";
  EXPECT_LT(ranAt, 0.5) << "once the loop was quiet";
}

TEST_F(EventLoop, AWaitThatNothingCanEndFailsLoudlyInsteadOfHanging) {
  Dialog lonely("frmAbout");
  EXPECT_THROW(lonely.showModal(), HeadlessStall);
  lonely.unload();
}

TEST_F(EventLoop, SentTabReachesTheActiveFormBeforeLaterInput) {
  KeyLog name("frmGetName");
  name.show();
  headless->script("frmGetName", pressKeys({vbKeyA}));
  app().sendKeys("{TAB}");
  app().doEvents();
  EXPECT_EQ(name.log, (std::vector<std::string>{"down 9", "press 9", "down 65"}));
}

TEST_F(EventLoop, EndLeavesEveryLoopAtOnce) {
  struct Table : KeyLog {
    using KeyLog::KeyLog;
    Dialog* dialog = nullptr;
    void Form_KeyDown(std::int16_t& keyCode, std::int16_t) override {
      if (keyCode == vbKeyF1) dialog->showModal();
      log.push_back("after the dialog");  // never reached: the program ended inside it
    }
  } table("frmMain");
  Dialog dialog("frmAbout");
  struct Ender : Dialog {
    using Dialog::Dialog;
    void Form_KeyPress(std::int16_t&) override { App::instance().end(); }
  } ender("frmEnd");
  table.dialog = &ender;
  headless->script("frmMain", pressKeys({vbKeyF1}));
  headless->script("frmEnd", pressKeys({vbKeyReturn}));
  EXPECT_EQ(app().run(table), 0);
  EXPECT_TRUE(app().ended());
  EXPECT_TRUE(table.log.empty());
  ender.unload();
  table.unload();
}

}  // namespace
}  // namespace velloran::rt

namespace velloran::rt {
namespace {

TEST_F(EventLoop, AStandingAnswerServesADialogEveryTimeItOpens) {
  KeyLog table("frmMain");
  table.show();
  headless->respond("frmChooseTiles", pressKeys({vbKeyRight, vbKeyReturn}));
  headless->script("frmChooseTiles", pressKeys({vbKeyReturn}));  // the first time only
  std::vector<std::vector<std::string>> logs;
  for (int shown = 0; shown < 3; ++shown) {
    Dialog chooser("frmChooseTiles");
    chooser.showModal();
    logs.push_back(chooser.log);
  }
  EXPECT_EQ(logs[0], (std::vector<std::string>{"down 13", "press 13"}));
  EXPECT_EQ(logs[1], (std::vector<std::string>{"down 39", "down 13", "press 13"}));
  EXPECT_EQ(logs[2], logs[1]);
}

}  // namespace
}  // namespace velloran::rt

namespace velloran::rt {
namespace {

TEST_F(EventLoop, TheDesktopsQuitEndsTheProgramEvenUnderADialog) {
  struct Table : KeyLog {
    using KeyLog::KeyLog;
    void Form_Unload(std::int16_t&) override { App::instance().end(); }
    void Form_KeyDown(std::int16_t&, std::int16_t) override {
      Dialog about("frmAbout");
      about.showModal();
      log.push_back("after the dialog");  // never reached
    }
  } table("frmMain");
  headless->script("frmMain", pressKeys({vbKeyF1}));
  headless->script("frmAbout", {{{InputEvent::Kind::Quit, nullptr, 0, 0, 0, 0}, 0.5}});
  EXPECT_EQ(app().run(table), 0);
  EXPECT_TRUE(app().ended());
  EXPECT_TRUE(table.log.empty());
}

}  // namespace
}  // namespace velloran::rt

namespace velloran::rt {
namespace {

TEST_F(EventLoop, WhenADialogClosesTheKeyboardGoesBackToTheWindowUnderIt) {
  KeyLog table("frmMain");
  table.show();
  KeyLog pictures("frmBitmaps");  // loaded after the table, never shown
  pictures.load();
  Dialog seat("frmChooseSeat");
  headless->script("frmChooseSeat", pressKeys({vbKeyReturn}));
  seat.showModal();
  EXPECT_EQ(app().activeForm(), &table);
  headless->script("frmMain", pressKeys({vbKeyLeft}));
  app().doEvents();
  EXPECT_EQ(table.log, (std::vector<std::string>{"down 37"}));
  pictures.unload();
}

}  // namespace
}  // namespace velloran::rt
