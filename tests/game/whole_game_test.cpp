// A whole game of one round played through the table window, the tiles steered and dropped
// by keys, to its summary, the high-score check, the name typed and the high-score table;
// then "HiScore.dat" read back byte by byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/keys.h"
#include "runtime/timer.h"
#include "support/hi_score_records.h"
#include "support/pictures.h"
#include "support/table_window.h"

namespace velloran {
namespace {

using Bytes = std::vector<unsigned char>;
using testing::hiScoreRecord;

// A player who looks at the table when a tile comes and steers it where it lands beside two
// tiles that make a run of three with it (three alike, or three in a row of one suit),
// else beside half such a run, else onto the lowest stack. The keys go through the window's
// input, a little after the tile appears.
class Player {
 public:
  Player(GameEngine& game, rt::HeadlessBackend& headless)
      : game_(game), headless_(headless), timer_([this] { look(); }, 50) {
    timer_.setEnabled(true);
  }

 private:
  int landingRow(int column) const {
    int row = 0;
    while (row < 12 && !game_.mudtCellTable(row + 1, column).Occupied) ++row;
    return row;
  }
  int kindAt(int row, int column) const {
    if (column < 1 || column > 9) return 0;
    const typCell& cell = game_.mudtCellTable(row, column);
    return cell.Occupied ? cell.BmpIdx : 0;
  }
  static bool oneSuit(int a, int b) { return a <= 27 && b <= 27 && (a - 1) / 9 == (b - 1) / 9; }
  static bool run(int a, int b, int c) {
    if (!a || !b || !c) return false;
    if (a == b && b == c) return true;
    return oneSuit(a, b) && oneSuit(b, c) &&
           ((b == a + 1 && c == b + 1) || (b == a - 1 && c == b - 1));
  }
  int worth(int row, int column, int kind) const {
    int value = row;              // the lower the better
    if (column == 5) value -= 3;  // the centre is kept clear for the tiles to come
    for (int first = column - 2; first <= column; ++first) {
      int kinds[3];
      for (int i = 0; i < 3; ++i) {
        kinds[i] = first + i == column ? kind : kindAt(row, first + i);
      }
      if (run(kinds[0], kinds[1], kinds[2])) value += 100;
    }
    // Half a run, for a tile to come.
    for (const int beside : {kindAt(row, column - 1), kindAt(row, column + 1)}) {
      if (beside == kind || (oneSuit(beside, kind) && std::abs(beside - kind) <= 2)) value += 10;
    }
    return value;
  }
  void look() {
    const rt::Form* top = rt::App::instance().activeForm();
    if (game_.mintRow != 1 || game_.mintTilePtr == handled_ || !top || top->name() != "frmMain") {
      return;
    }
    handled_ = game_.mintTilePtr;
    const int kind = game_.mintTileKindOf[game_.mintCurrTile];
    int best = 5, bestWorth = -100;
    for (int column = 1; column <= 9; ++column) {
      // The way there along the top rows must be free.
      bool free = true;
      for (int c = std::min(column, 5); c <= std::max(column, 5); ++c) {
        free = free && !kindAt(1, c) && !kindAt(2, c);
      }
      const int row = landingRow(column);
      if (!free || row < 3) continue;
      if (worth(row, column, kind) > bestWorth) best = column, bestWorth = worth(row, column, kind);
    }
    std::vector<rt::ScriptedInput> keys;
    for (int step = 0; step < std::abs(best - 5); ++step) {
      const auto key = rt::pressKeys({best < 5 ? rt::vbKeyLeft : rt::vbKeyRight}, 0.1);
      keys.insert(keys.end(), key.begin(), key.end());
    }
    const auto drop = rt::pressKeys({rt::vbKeyDown}, 0.1);
    keys.insert(keys.end(), drop.begin(), drop.end());
    headless_.script("frmMain", keys);
  }

  GameEngine& game_;
  rt::HeadlessBackend& headless_;
  rt::Timer timer_;
  int handled_ = -1;
};

class WholeGame : public testing::TableWindowTest {
  // Deals in which that player takes runs worth points.
  std::uint64_t seed() const override { return 13; }
};

TEST_F(WholeGame, OneRoundToTheHighScoreTableAndTheFile) {
  // One round, set in the rounds dialog: three steps down from four, and OK.
  for (int i = 0; i < 3; ++i) headless->script("frmRoundsSetting", rt::clickAt(220, 60));
  headless->script("frmRoundsSetting", rt::clickAt(84, 100));
  click(6);
  ASSERT_EQ(gintNumRounds, 1);

  Player player(game(), *headless);
  answerEveryDialog("Tester");
  startAnew();
  for (int guard = 0; game().mblnGameRunning && guard < 2'000'000; ++guard) app().serveNext();
  ASSERT_FALSE(game().mblnGameRunning) << "the game did not end";
  EXPECT_FALSE(table().Timer1.enabled());
  EXPECT_TRUE(game().mblnInTick) << "every later tick returns at once";
  EXPECT_EQ(game().mintRoundsPlayed, 1);
  EXPECT_GE(game().mintGamesPlayed, 4);
  const std::int32_t score = game().mlngScore;
  ASSERT_GT(score, 0) << "the player took no set";

  // The summary, the name asked with the score, and the high-score table, in turn.
  EXPECT_GT(headless->presentCount("frmGameSummary"), 0);
  ASSERT_TRUE(frmGetName) << "the name was never asked";
  EXPECT_EQ(frmGetName->SSPanel1[2].caption,
            "Congratulations!  You Have A High Score Of " + std::to_string(score) + "!");
  EXPECT_EQ(frmGetName->mprpName(), "Tester");
  EXPECT_GT(headless->presentCount("frmHiScore"), 0);
  const rt::Font font{"Times New Roman", 12, true};
  EXPECT_TRUE(testing::findText(headless->shown("frmHiScore"), {66, 138, 160, 24}, "Tester", font,
                                rt::rgb(0, 0, 0), 0, false)
                  .found)
      << "the table shows the name in its first row";

  // The first result makes the file: it and four empty records, 90 bytes.
  std::ifstream in(folder / "HiScore.dat", std::ios::binary);
  const Bytes file{std::istreambuf_iterator<char>(in), {}};
  Bytes expected = hiScoreRecord("Tester", 1, 1, score);
  for (int i = 0; i < 4; ++i) {
    const Bytes empty = hiScoreRecord("", 0, 0, 0);
    expected.insert(expected.end(), empty.begin(), empty.end());
  }
  EXPECT_EQ(file, expected);
  EXPECT_TRUE(noErrors());
}

}  // namespace
}  // namespace velloran
