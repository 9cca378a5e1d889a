// A whole game played from outside: the real program, started as a player starts it, under
// a window manager, driven only by input from another X client (keys and clicks), from the
// bare table through a one-round game to the high-score table; then "HiScore.dat" read back.
// Only under a window manager: the dialogs get the keyboard from it, as on a player's desktop.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/hi_score_records.h"
#include "x11/child_process.h"
#include "x11/outside_player.h"
#include "x11/screen_grab.h"
#include "x11/x_client.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using namespace velloran::testing;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;

void step(const std::string& text) {
  std::cout << "[outside] " << text << std::endl;
}

bool waitFor(const std::function<bool()>& done, double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

ScreenRect rectOf(unsigned long window) {
  return clientRect(window).value_or(ScreenRect{});
}

std::string sizeOf(const ScreenRect& rect) {
  return std::to_string(rect.width) + "x" + std::to_string(rect.height);
}

// The newest of the game's windows once there are `count` of them.
unsigned long waitForWindows(std::size_t count, double seconds = 10) {
  unsigned long newest = 0;
  waitFor(
      [&] {
        const auto windows = gameWindows();
        if (windows.size() != count) return false;
        newest = windows.back();
        return true;
      },
      seconds);
  return newest;
}

// A folder of the test's own holding the program and the files it reads, so that the
// high-score file it writes beside itself is the test's.
fs::path installGame() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/velloran-outside-XXXXXX";
  if (!mkdtemp(pattern.data())) return {};
  const fs::path folder = pattern;
  fs::copy_file(gameBinary(), folder / "velloran");
  for (const char* file : {"quiven1.mid", "Thunder2.wav", "VLR.hlp"}) {
    fs::copy_file(fs::path(VELLORAN_SOURCE_DIR) / "assets" / file, folder / file);
  }
  return folder;
}

std::string hex(const Bytes& bytes) {
  std::string text;
  char cell[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(cell, sizeof cell, "%02x", bytes[i]);
    text += cell;
    text += (i + 1) % 18 == 0 ? '\n' : ' ';
  }
  return text;
}

// Short names of tile kinds for the log: d1-d9 dots, b1-b9 bamboo, c1-c9 characters, the
// winds E S W N, the dragons R G B, F for a flower or season.
std::string nameOf(int kind) {
  if (kind >= 1 && kind <= 27) {
    return std::string(1, "dbc"[(kind - 1) / 9]) + std::to_string((kind - 1) % 9 + 1);
  }
  if (kind >= 28 && kind <= 34) return std::string(1, "ESWNRGB"[kind - 28]);
  return kind >= 35 && kind <= 42 ? "F" : "?";
}

// Knows a tile by its face on the screen, in any of its three views.
class FaceReader {
 public:
  FaceReader()
      : faces_(rt::loadResourcePicture("picAllTiles")),
        mask_(rt::loadResourcePicture("picTileBackMask")) {}

  // The kind of the tile whose top-left corner is at (x, y) of the shot, 0 if none is there.
  int kindAt(const rt::Picture& shot, int x, int y, int view) const {
    int best = 0, bestSame = 0, samples = 0;
    for (int kind = 1; kind <= 42; ++kind) {
      int same = 0;
      samples = 0;
      for (int dy = 2; dy < 37; dy += 3) {
        for (int dx = 2; dx < 28; dx += 3) {
          if ((mask_.pixel(dx, view + dy) & 0xFFFFFF) != 0) continue;  // the tile's edge
          ++samples;
          same += (shot.pixel(x + dx, y + dy) & 0xFFFFFF) ==
                  (faces_.pixel((kind - 1) * 30 + dx, view + dy) & 0xFFFFFF);
        }
      }
      if (same > bestSame) best = kind, bestSame = same;
    }
    return bestSame * 10 >= samples * 9 ? best : 0;
  }
  int kindInAnyView(const rt::Picture& shot, int x, int y) const {
    for (const int view : {0, 39, 78}) {
      if (const int kind = kindAt(shot, x, y, view)) return kind;
    }
    return 0;
  }

 private:
  rt::Picture faces_, mask_;
};

// The play area of the table: cell (row, column) is drawn at (40 + 30 (column - 1), 24 + 39 row)
// of the window, in the view of its column.
std::optional<PlayArea> readPlayArea(const FaceReader& faces, const ScreenRect& table) {
  const auto shot = grabScreen(table.x + 40, table.y + 63, 270, 468);
  if (!shot) return std::nullopt;
  PlayArea area;
  for (int row = 1; row <= 12; ++row) {
    for (int column = 1; column <= 9; ++column) {
      const int view = column == 5 ? 0 : column > 5 ? 39 : 78;
      area.kinds[row][column] = faces.kindAt(*shot, 30 * (column - 1), 39 * (row - 1), view);
    }
  }
  return area;
}

// The runs the set chooser offers, each as the kinds of its tiles, left to right; the Pass
// option after them shows no tile. Empty until the chooser has drawn its options.
std::vector<std::vector<int>> readChooser(const FaceReader& faces, const ScreenRect& chooser) {
  std::vector<std::vector<int>> options;
  const auto shot = grabScreen(chooser.x, chooser.y, 400, 140);
  if (!shot) return options;
  for (int option = 0; option < 12; ++option) {
    const int x = 6 + 98 * (option % 4), y = 6 + 45 * (option / 4);
    std::vector<int> run;
    for (int tile = 0; tile < 3; ++tile) {
      const int kind = faces.kindInAnyView(*shot, x + 30 * tile, y);
      if (!kind) break;
      run.push_back(kind);
    }
    if (run.empty()) break;
    options.push_back(run);
  }
  return options;
}

std::string shown(const PlayArea& area) {
  std::string text;
  for (int row = 1; row <= 12; ++row) {
    text += "\n";
    for (int column = 1; column <= 9; ++column) {
      const std::string name = area.at(row, column) ? nameOf(area.at(row, column)) : ".";
      text += name + std::string(3 - name.size(), ' ');
    }
  }
  return text;
}

PlayArea withoutTop(PlayArea area) {
  area.kinds[1][5] = 0;
  return area;
}

bool sameArea(const PlayArea& a, const PlayArea& b) {
  for (int row = 1; row <= 12; ++row) {
    for (int column = 1; column <= 9; ++column) {
      if (a.kinds[row][column] != b.kinds[row][column]) return false;
    }
  }
  return true;
}

// The tiles landed under the tile at the top of the middle column. The game puts a frame on
// the screen in several pieces, and a look that falls between them sees parts of two frames:
// what a second look a moment later finds alike is taken. The falling tile may have gone down
// a row meanwhile.
std::optional<PlayArea> landedTiles(const FaceReader& faces, const ScreenRect& table,
                                    const PlayArea& seen) {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::optional<PlayArea> again = readPlayArea(faces, table);
  if (!again) return std::nullopt;
  PlayArea first = withoutTop(seen), second = withoutTop(*again);
  const int kind = seen.at(1, 5);
  if (again->at(1, 5) != kind) {
    if (second.at(2, 5) != kind || first.at(2, 5)) return std::nullopt;
    second.kinds[2][5] = 0;
  }
  return sameArea(first, second) ? std::optional(first) : std::nullopt;
}

TEST(PlayedFromOutside, OneRoundToTheHighScoreTableAndTheFile) {
  if (!windowManagerRuns()) GTEST_SKIP() << "played under a window manager, as a player has";
  const fs::path folder = installGame();
  ASSERT_FALSE(folder.empty());
  // Windows come and go while the test looks at them: their errors are counted, not fatal.
  const XErrorCount xErrors;
  ChildProcess game({(folder / "velloran").string()}, {{"SDL_AUDIODRIVER", "dummy"}});
  const Clock::time_point begun = Clock::now();

  const unsigned long table = waitForWindows(1);
  ASSERT_NE(table, 0u) << "the table shows";
  // Placed by the window manager once it makes the table the active window.
  ASSERT_TRUE(waitFor([&] { return activeWindow() == table; }, 10)) << "the table is active";
  // It stays where it showed: clicks are aimed at the place read now.
  const ScreenRect tableRect = rectOf(table);
  step("the table shows at " + std::to_string(tableRect.x) + "," + std::to_string(tableRect.y));
  // A button is pressed once the table shows it under the pointer: the game is taking input.
  int under = 0;  // the button under the pointer
  const auto toolbar = [&](int place) {
    const ScreenRect now = rectOf(table);
    ASSERT_TRUE(now.x == tableRect.x && now.y == tableRect.y)
        << "the table moved to " << now.x << "," << now.y;
    const int x = tableRect.x + (place - 1) * 23, y = tableRect.y;
    if (place != under) {
      const auto away = grabScreen(x, y, 23, 22);
      ASSERT_TRUE(away.has_value());
      movePointer(x + 11, y + 11);
      ASSERT_TRUE(waitFor(
          [&] {
            const auto now = grabScreen(x, y, 23, 22);
            return now && !(*now == *away);
          },
          5))
          << "button " << place << " shows the pointer over it";
      under = place;
    }
    clickAt(x + 11, y + 11);
  };
  // A dialog is gone from the screen a moment before the table has the input again.
  const auto tableAlone = [&](double seconds) {
    return waitForWindows(1, seconds) != 0 && waitFor([&] { return activeWindow() == table; }, 5);
  };
  const auto opened = [&](int place, const char* what) {
    toolbar(place);
    const unsigned long dialog = waitForWindows(2);
    if (dialog) step(std::string(what) + " opened, " + sizeOf(rectOf(dialog)));
    return dialog;
  };

  ASSERT_NE(opened(5, "the high scores"), 0u);
  pressKey("Return");
  ASSERT_TRUE(tableAlone(10)) << "the high scores close";
  ASSERT_NE(opened(11, "the about box"), 0u);
  pressKey("Escape");
  ASSERT_TRUE(tableAlone(10)) << "the about box closes";

  // One round: three steps down from four on the spin button's lower half, then OK.
  const unsigned long rounds = opened(6, "the rounds setting");
  ASSERT_NE(rounds, 0u);
  const ScreenRect spin = rectOf(rounds);
  const auto number = [&] { return grabScreen(spin.x + 144, spin.y + 36, 41, 25); };
  for (int i = 0; i < 3; ++i) {
    const auto before = number();
    ASSERT_TRUE(before.has_value());
    clickAt(spin.x + 220, spin.y + 60);
    ASSERT_TRUE(waitFor(
        [&] {
          const auto now = number();
          return now && !(*now == *before);
        },
        5))
        << "the number of rounds goes down";
  }
  clickAt(spin.x + 84, spin.y + 100);
  ASSERT_TRUE(tableAlone(10)) << "the rounds setting closes";
  step("one round set");

  const FaceReader faces;
  const unsigned long seats = opened(1, "the seat draw");
  ASSERT_NE(seats, 0u);
  pressKey("Right");
  pressKey("Return");
  // The four winds turn face up, each once, for a moment before the dialog closes.
  std::vector<int> winds;
  const bool revealed = waitFor(
      [&] {
        const ScreenRect rect = rectOf(seats);
        const auto shot = grabScreen(rect.x, rect.y, 256, 256);
        if (!shot) return false;
        winds.clear();
        for (int i = 0; i < 4; ++i) winds.push_back(faces.kindAt(*shot, 50 + 42 * i, 108, 0));
        std::vector<int> sorted = winds;
        std::sort(sorted.begin(), sorted.end());
        return sorted == std::vector<int>{28, 29, 30, 31};
      },
      10);
  ASSERT_TRUE(revealed) << "the seat draw shows the four winds";
  step("the seat draw: " + nameOf(winds[0]) + " " + nameOf(winds[1]) + " " + nameOf(winds[2]) +
       " " + nameOf(winds[3]) + ", the second taken");
  ASSERT_TRUE(tableAlone(10)) << "the seat draw closes";
  step("the game begins");

  // The play: each new tile at the top is steered where the player wants it and dropped fast;
  // the chooser's runs of three are taken until one has scored, and anything else is passed.
  // Once a run is taken and an offer passed, the tiles go straight down the middle, which
  // blocks the entry soon and ends the hands quickly. What the chooser offers, and where the
  // tiles lie after a landing or a taking, is foretold from the play area.
  unsigned long summary = 0;
  bool paused = false, passed = false, fast = false;
  int tiles = 0, takes = 0, score = 0, hands = 0, handTiles = 0;
  const auto handEnds = [&] {
    if (hands) {
      step("hand " + std::to_string(hands) + " ends: " + std::to_string(handTiles) +
           " tiles steered and dropped fast");
    }
    handTiles = 0;
  };
  std::optional<PlayArea> foreseen;          // the landed tiles once the last tile has come to rest
  std::optional<std::vector<Offer>> offers;  // what its landing offers
  std::optional<PlayArea> actedOn;           // the landed tiles when the last tile came
  const Clock::time_point start = Clock::now();
  while (!summary && Clock::now() - start < std::chrono::seconds(150)) {
    const auto windows = gameWindows();
    if (windows.size() > 1) {
      const unsigned long top = windows.back();
      const ScreenRect rect = rectOf(top);
      if (std::abs(rect.width - 352) <= 2) {
        handEnds();
        step("the summary, " + sizeOf(rect));
        pressKey("Return");
        summary = top;
      } else if (rect.width == 400) {
        std::vector<std::vector<int>> options;
        ASSERT_TRUE(waitFor([&] { return !(options = readChooser(faces, rect)).empty(); }, 5))
            << "the chooser shows its runs";
        std::string offered;
        for (const auto& run : options) {
          offered += " ";
          for (const int kind : run) offered += nameOf(kind);
        }
        // The first chooser after a landing offers the runs that hold the landed tile; those
        // after a taking are not foretold.
        if (offers) {
          std::vector<std::vector<int>> kinds;
          for (const Offer& run : *offers) kinds.push_back(run.kinds);
          EXPECT_EQ(options, kinds) << "the chooser offers the runs the landed tile makes, in"
                                    << (foreseen ? shown(*foreseen) : "");
        }
        const auto three = std::find_if(options.begin(), options.end(),
                                        [](const auto& run) { return run.size() == 3; });
        if (score == 0 && three != options.end()) {
          // Option k is k - 1 steps right of the first.
          for (auto option = options.begin(); option != three; ++option) pressKey("Right");
          const auto& run = *three;
          const int points = (run[0] == run[1] && run[1] == run[2] ? 2 : 1) * (fast ? 2 : 1);
          score += points;
          ++takes;
          const std::size_t chosen = static_cast<std::size_t>(three - options.begin());
          if (foreseen && offers && chosen < offers->size()) {
            foreseen = without(*foreseen, (*offers)[chosen]);
          } else {
            foreseen.reset();
          }
          step("the chooser offers" + offered + ": took " + nameOf(run[0]) + nameOf(run[1]) +
               nameOf(run[2]) + " for " + std::to_string(points) + " points");
        } else {
          pressKey("Left");  // from the first option round to Pass, the last
          passed = true;
          step("the chooser offers" + offered + ": passed");
        }
        offers.reset();
        pressKey("Return");
      } else {
        ADD_FAILURE() << "a window \"" << windowName(top) << "\", " << sizeOf(rect);
        pressKey("Return");
      }
      ASSERT_TRUE(waitFor([&] { return gameWindows() != windows; }, 5)) << "the dialog closes";
      continue;
    }
    // A new tile waits at the top of the middle column, over tiles landed since the last.
    const std::optional<PlayArea> seen = readPlayArea(faces, tableRect);
    if (!seen || !seen->at(1, 5) || (actedOn && sameArea(withoutTop(*seen), *actedOn))) {
      continue;
    }
    const int kind = seen->at(1, 5);
    const std::optional<PlayArea> settled = landedTiles(faces, tableRect, *seen);
    if (!settled) continue;
    const PlayArea landed = *settled;
    actedOn = landed;
    if (sameArea(landed, PlayArea{})) {
      handEnds();
      step("hand " + std::to_string(++hands) + " begins");
    } else {
      if (foreseen) {
        EXPECT_TRUE(sameArea(landed, *foreseen))
            << "the last tile lands where it was steered: the play area" << shown(landed)
            << "\nforeseen" << shown(*foreseen);
      }
      EXPECT_TRUE(!offers || offers->empty())
          << "the chooser opens when a run is made: the play area" << shown(landed);
    }
    // Paused, the play area keeps still; resumed, the tile falls on, and lands unsteered.
    const bool pauseNow = !paused && tiles >= 3;
    if (pauseNow) {
      const auto playArea = [&] {
        return grabScreen(tableRect.x + 40, tableRect.y + 63, 270, 468);
      };
      const auto still = [&] {
        const auto before = playArea();
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        const auto after = playArea();
        return before && after && *before == *after;
      };
      toolbar(9);
      ASSERT_TRUE(waitFor(still, 5)) << "the play area keeps still while paused";
      EXPECT_TRUE(still()) << "and stays so";
      toolbar(9);
      EXPECT_TRUE(waitFor([&] { return !still(); }, 5)) << "the tile falls on when resumed";
      paused = true;
      step("paused and resumed");
    }
    const int column = pauseNow || (score > 0 && passed) ? 5 : columnFor(landed, kind);
    if (!pauseNow) {
      for (int i = 5; i != column; i += column < 5 ? -1 : 1) {
        pressKey(column < 5 ? "Left" : "Right");
      }
      pressKey("Down");
      ++tiles;
      ++handTiles;
    }
    fast = !pauseNow;
    const int row = landed.landingRow(column);
    foreseen = landed;
    foreseen->kinds[row][column] = kind;
    offers = offersAt(*foreseen, row, column);
  }
  step(std::to_string(tiles) + " tiles played, " + std::to_string(takes) + " run taken, in " +
       std::to_string(
           std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count()) +
       " s");
  ASSERT_TRUE(summary) << "the game reaches its summary";
  ASSERT_GT(score, 0) << "the player scored";
  ASSERT_TRUE(passed) << "the player passed an offer";

  // The score asks for the name: typed, then the rest pasted from the clipboard.
  unsigned long name = 0;
  ASSERT_TRUE(waitFor(
      [&] {
        const auto windows = gameWindows();
        name = windows.size() == 2 && windows.back() != summary ? windows.back() : 0;
        return name != 0;
      },
      10))
      << "the name is asked";
  step("the name asked, " + sizeOf(rectOf(name)));
  typeText("Ann");
  { std::ofstream(folder / "clip.txt") << "Lee"; }
  const ChildProcess clipboard(
      {"/usr/bin/xclip", "-quiet", "-selection", "clipboard", (folder / "clip.txt").string()}, {});
  ASSERT_TRUE(
      waitFor([] { return std::system("xclip -o -selection clipboard >/dev/null 2>&1") == 0; }, 5));
  pressKey("v", {"Control_L"});
  pressKey("Return");
  step("\"Ann\" typed, \"Lee\" pasted");
  ASSERT_TRUE(
      waitFor([&] { return gameWindows().size() == 2 && gameWindows().back() != name; }, 10))
      << "the high-score table shows";
  const ScreenRect scores = rectOf(gameWindows().back());
  step("the high-score table shows, " + sizeOf(scores));
  pressKey("Return");
  ASSERT_TRUE(tableAlone(10)) << "the high-score table closes";

  std::ifstream in(folder / "HiScore.dat", std::ios::binary);
  const Bytes file{std::istreambuf_iterator<char>(in), {}};
  std::cout << "HiScore.dat, " << file.size() << " bytes:\n" << hex(file);
  Bytes expected = hiScoreRecord("AnnLee", 1, 1, score);
  for (int i = 0; i < 4; ++i) {
    const Bytes empty = hiScoreRecord("", 0, 0, 0);
    expected.insert(expected.end(), empty.begin(), empty.end());
  }
  EXPECT_EQ(file, expected) << "expected:\n" << hex(expected);

  askToClose(table);
  EXPECT_TRUE(game.waitForExit(10).has_value()) << "the game ends when its window is closed";
  EXPECT_EQ(game.errorText(), "");
  step("done in " +
       std::to_string(
           std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - begun).count()) +
       " s");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace velloran
