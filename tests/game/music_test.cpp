// The song as the player hears it through the table window: when it starts, that it starts
// again from its beginning, when it stops, and that nothing but the Music button, Stop and
// the end of a game stops it. The game's folder holds a song of two seconds here, and the
// ear notes from the music device's mode when it plays.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "runtime/keys.h"
#include "support/sound_files.h"
#include "support/sounds.h"
#include "support/table_window.h"

namespace velloran {
namespace {

using testing::Played;

constexpr double kSong = 2.0;     // four beats at 120 a minute
constexpr double kEvent = 0.055;  // the device's status event, while the music is on
constexpr double kLook = 0.011;   // the ear looks every 5 ms: a stretch may seem that much shorter

std::string describe(const std::vector<Played>& heard) {
  std::ostringstream text;
  for (const Played& p : heard) text << "[" << p.from << ", " << p.to << "] ";
  return heard.empty() ? "silence" : text.str();
}

// The song played from `from` on, over and over from its beginning: the first play starts
// at the next status event, each plays whole, and the next starts at the status event after
// its end. The last play may be cut short by the end of listening.
void expectLooping(const std::vector<Played>& heard, double from, int atLeast) {
  ASSERT_GE(static_cast<int>(heard.size()), atLeast) << describe(heard);
  EXPECT_LE(heard[0].from - from, kEvent + kLook) << describe(heard);
  for (std::size_t i = 0; i + 1 < heard.size(); ++i) {
    EXPECT_NEAR(heard[i].length(), kSong, kLook) << "play " << i << ": " << describe(heard);
    EXPECT_LE(heard[i + 1].from - heard[i].to, kEvent + kLook) << describe(heard);
  }
}

class Music : public testing::TableWindowTest {
 protected:
  void beforeStart() override {
    testing::writeFile((folder / "quiven1.mid").string(),
                       testing::midiFile({testing::pianoBeats(4)}));
  }
  std::vector<Played> listen(double seconds) { return testing::listen(table().mmcVLR, seconds); }
  // Starts a game and pauses its tick: the music is not the tick's business.
  double startPaused() {
    startAnew();
    const double started = now();
    click(9);
    return started;
  }
};

TEST_F(Music, TheFirstStartAnewStartsTheSongAndItStartsAgainFromItsBeginningAtItsEnd) {
  const double started = startPaused();
  expectLooping(listen(7.5), started, 4);
  EXPECT_TRUE(noErrors());
}

TEST_F(Music, BeforeTheFirstGameTheMusicButtonSetsOnlyTheOption) {
  click(4);
  EXPECT_TRUE(listen(3).empty());
  click(4);
  EXPECT_TRUE(listen(3).empty()) << "on, but no game yet";
  const double started = startPaused();
  expectLooping(listen(2.5), started, 2);
  EXPECT_TRUE(noErrors());
}

TEST_F(Music, StartAnewWithTheOptionOffPlaysNothing) {
  click(4);
  startPaused();
  EXPECT_TRUE(listen(3).empty());
}

TEST_F(Music, SwitchedOffAndOnTheSongStartsAgainFromItsBeginning) {
  startPaused();
  auto heard = listen(1.5);
  ASSERT_EQ(heard.size(), 1u);
  click(4);
  EXPECT_TRUE(listen(3).empty()) << "off: not started again either";
  click(4);
  const double on = now();
  expectLooping(listen(2.5), on, 2);
}

TEST_F(Music, StartAnewWhileTheSongPlaysLetsItGoOnWhereItIs) {
  const double started = startPaused();
  testing::Ear ear(table().mmcVLR);
  serveFor(1.2);
  startPaused();  // the seat draw takes its time: the song plays on meanwhile
  serveFor(2.5);
  expectLooping(ear.heard(), started, 3);
}

TEST_F(Music, StopSilencesTheSongUntilTheMusicButtonOrTheNextStartAnew) {
  startPaused();
  listen(0.7);
  click(10);
  EXPECT_TRUE(listen(3).empty());
  click(9);  // the hand goes on, without music
  const int row = game().mintRow;
  EXPECT_TRUE(listen(3).empty());
  EXPECT_NE(game().mintRow, row) << "the tile fell";
  click(10);  // Stop when the music is already off
  click(4);   // the option off: nothing to stop
  click(10);
  EXPECT_TRUE(listen(1).empty());
  click(4);
  double on = now();
  expectLooping(listen(2.5), on, 2);
  click(10);
  EXPECT_TRUE(listen(1).empty());
  on = startPaused();
  expectLooping(listen(2.5), on, 2);
  EXPECT_TRUE(noErrors());
}

TEST_F(Music, NoDialogStopsTheSong) {
  const struct {
    int place;
    const char* form;
    std::vector<rt::ScriptedInput> closing;
  } cases[] = {
      {5, "frmHiScore", testing::closingKey(rt::vbKeyEscape, 5)},
      {11, "frmAbout", testing::closingKey(rt::vbKeyReturn, 5)},
      {6, "frmRoundsSetting", rt::clickAt(172, 100, 5)},  // Cancel
      {2, "mnuLevel", testing::closingKey(rt::vbKeyEscape, 5)},
  };
  const double started = startPaused();
  testing::Ear ear(table().mmcVLR);
  for (const auto& c : cases) {
    headless->script(c.form, c.closing);
    click(c.place);
    EXPECT_TRUE(headless->scriptDone(c.form)) << c.form;
  }
  ASSERT_GE(now() - started, 20);
  expectLooping(ear.heard(), started, 10);
}

TEST_F(Music, TheEndOfAGameStopsTheSongAndTheButtonPlaysItAgainWithNoGame) {
  gintNumRounds = 1;
  answerEveryDialog();
  startAnew();
  for (int guard = 0; game().mblnGameRunning && guard < 2'000'000; ++guard) app().serveNext();
  ASSERT_FALSE(game().mblnGameRunning);
  EXPECT_TRUE(listen(3).empty());
  click(10);  // Stop after the end: still silent, nothing reported
  click(4);
  click(4);
  const double on = now();
  expectLooping(listen(4.5), on, 3);
  EXPECT_TRUE(noErrors());
}

}  // namespace
}  // namespace velloran
