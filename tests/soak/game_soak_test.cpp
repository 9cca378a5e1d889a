// Many short games, five to a seed, played by a random player (see random_player.h) in
// folders that are not always in order: the song missing, no help file, a high-score file
// that is damaged, or a folder where the file should be. The game must never crash nor trip
// the sanitizers, and the only error boxes it may show are those its folder explains.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "base/random.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_break_down.h"
#include "dialogs/frm_choose_seat.h"
#include "dialogs/frm_choose_tiles.h"
#include "dialogs/frm_game_summary.h"
#include "dialogs/frm_get_name.h"
#include "dialogs/frm_hi_score.h"
#include "dialogs/frm_rounds_setting.h"
#include "dialogs/high_scores.h"
#include "engine/shared.h"
#include "random_player.h"
#include "runtime/app.h"
#include "soak_settings.h"
#include "table/frm_main.h"
#include "table/help.h"
#include "windows/frm_bitmaps.h"
#include "windows/window_helpers.h"

namespace velloran::soak {
namespace {

namespace fs = std::filesystem;

// The game's folder as one seed finds it.
struct Folder {
  bool song = true;
  bool help = true;
  enum class HiScores { None, Table, Garbage, Folder } hiScores = HiScores::None;

  // The error boxes this folder explains, by title.
  std::set<std::string> explainedBoxes() const {
    std::set<std::string> titles;
    if (!song) titles.insert("Error In gblnfInitMCI");
    if (!help) titles.insert("Velloran Help");
    if (hiScores == HiScores::Folder) titles.insert("Error In gsSaveHiScore");
    return titles;
  }
};

struct Counts {
  long games = 0;
  long programRuns = 0;  // ended by Exit, the table's close button or Quit
  long checked = 0;      // games that ended with a score, so reached the high-score check
  long scoresGiven = 0;
  long errorBoxes = 0;
};

class GameSoak : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("velloran_soak_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    // The help is looked for in the working folder first.
    previousFolder = fs::current_path();
    fs::current_path(folder);
    installErrorReporter();
  }
  void TearDown() override {
    setErrorReporter(nullptr);
    unpinRandom();
    fs::current_path(previousFolder);
    fs::remove_all(folder);
  }

  // Lays the folder out for a seed. Any eight seeds in a row see every kind of high-score
  // file, a missing song twice and a missing help file two or three times.
  Folder prepare(Session& session, long seed) {
    Folder layout;
    layout.song = seed % 4 != 1;
    layout.help = seed % 3 != 0;
    constexpr Folder::HiScores kFiles[] = {Folder::HiScores::None,    Folder::HiScores::None,
                                           Folder::HiScores::Table,   Folder::HiScores::Table,
                                           Folder::HiScores::Table,   Folder::HiScores::Garbage,
                                           Folder::HiScores::Garbage, Folder::HiScores::Folder};
    layout.hiScores = kFiles[seed % 8];
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
    const fs::path built(VELLORAN_BINARY_DIR);
    fs::copy_file(built / "Thunder2.wav", folder / "Thunder2.wav");
    if (layout.song) fs::copy_file(built / "quiven1.mid", folder / "quiven1.mid");
    if (layout.help) fs::copy_file(built / "VLR.hlp", folder / "VLR.hlp");
    const fs::path hiScores = folder / "HiScore.dat";
    std::string bytes;
    switch (layout.hiScores) {
      case Folder::HiScores::None:
        break;
      case Folder::HiScores::Folder:
        fs::create_directory(hiScores);
        break;
      case Folder::HiScores::Table:
        // Five records: a name of letters and blanks, a few rounds, a level, a score that
        // a game may or may not beat.
        for (int record = 0; record < 5; ++record) {
          for (int i = 0; i < 10; ++i) bytes += session.chance(0.7) ? 'A' + session.below(26) : ' ';
          const int score = session.chance(0.2) ? 0 : session.below(3000);
          const unsigned char numbers[8] = {static_cast<unsigned char>(1 + session.below(4)),
                                            0,
                                            static_cast<unsigned char>(1 + session.below(5)),
                                            0,
                                            static_cast<unsigned char>(score & 0xFF),
                                            static_cast<unsigned char>(score >> 8),
                                            0,
                                            0};
          bytes.append(reinterpret_cast<const char*>(numbers), 8);
        }
        break;
      case Folder::HiScores::Garbage:
        bytes.resize(static_cast<std::size_t>(session.below(200)));
        for (char& c : bytes) c = static_cast<char>(session.below(256));
        break;
    }
    if (!bytes.empty() || layout.hiScores == Folder::HiScores::Garbage) {
      std::ofstream(hiScores, std::ios::binary) << bytes;
    }
    rt::App::instance().setProgramFolder(folder.string());
    return layout;
  }

  // The table and every dialog go, and with them the program's run.
  static void endProgram() {
    gsReleaseObjects(frmAbout, frmBitmaps, frmBreakDown, frmChooseSeat, frmChooseTiles,
                     frmGameSummary, frmGetName, frmHiScore, frmRoundsSetting, frmMain);
    closeHelp();
    rt::App::instance().shutdown();
  }

  // Plays one seed's session: `games` games in a row, as one player at one sitting. An Exit
  // on the way starts the program again.
  static void play(Session& session, int games, Counts& counts) {
    rt::App& app = rt::App::instance();
    int ended = 0;
    session.deadline = session.clock.monotonic() + kLongestGame;
    while (ended < games) {
      app.setBackend(std::make_unique<RandomPlayer>(session));
      try {
        frmMain->show();
        gintNumRounds = 1;  // short games, so that many fit in the run
        while (ended < games) {
          const bool running = frmMain->game.mblnGameRunning;
          app.serveNext();
          if (running && !frmMain->game.mblnGameRunning) {
            ++ended;
            if (frmMain->game.mlngScore != 0) ++counts.checked;
            session.scoreSettled = false;
            session.deadline = session.clock.monotonic() + kLongestGame;
            gintNumRounds = 1;
          }
        }
      } catch (const rt::ProgramEnded&) {
        ++counts.programRuns;
      } catch (const Stalled& stalled) {
        ADD_FAILURE() << stalled.what();
        ended = games;
      } catch (const std::exception& error) {
        ADD_FAILURE() << "the game let an exception through: " << error.what();
        ended = games;
      }
      endProgram();
    }
    counts.games += ended;
  }

  // A one-round game takes the player minutes; one that has not ended in a day is stuck.
  static constexpr double kLongestGame = 86400;

  fs::path folder;
  fs::path previousFolder;
};

TEST_F(GameSoak, RandomPlayInEveryWindowNeverCrashesNorShowsAnUnexplainedError) {
  constexpr int kGamesPerSession = 5;
  const long games = settingOr("VELLORAN_SOAK_GAMES", 200);
  const long sessions = (games + kGamesPerSession - 1) / kGamesPerSession;
  const long firstSeed = settingOr("VELLORAN_SOAK_FIRST_SEED", 1);
  Counts counts;
  Tally total;
  long lastSeed = firstSeed - 1;
  for (long seed = firstSeed; seed < firstSeed + sessions; ++seed) {
    lastSeed = seed;
    const SeedInPlay inPlay("playing", seed, "VELLORAN_SOAK_GAMES=5");
    // A day begins at any time, now and then just before midnight.
    std::mt19937_64 clockChoice(static_cast<std::uint64_t>(seed));
    const double startOfDay = clockChoice() % 5 == 0 ? 86400.0 - (clockChoice() % 600)
                                                     : static_cast<double>(clockChoice() % 86400);
    Session session(static_cast<std::uint64_t>(seed), startOfDay);
    session.restartsLeft = session.chance(0.3) ? 1 : 0;
    session.exitsLeft = session.chance(0.2) ? 1 : 0;
    session.luckyWalls = seed % 2 == 0 ? 0.6 : 0.0;
    const Folder layout = prepare(session, seed);
    pinRandom(static_cast<std::uint64_t>(seed));
    for (typHiScore& entry : gudtHiScores) entry = typHiScore{};

    play(session, kGamesPerSession, counts);
    const std::set<std::string> explained = layout.explainedBoxes();
    for (const ErrorBox& box : session.errorBoxes) {
      if (!explained.count(box.title)) {
        ADD_FAILURE() << "an error box the folder does not explain: " << box.title << ": "
                      << box.text;
        break;
      }
    }
    counts.errorBoxes += static_cast<long>(session.errorBoxes.size());
    counts.scoresGiven += session.scoresGiven;
    total += session.tally;
    if (HasFailure()) break;
  }

  std::printf("soak: %ld games, seeds %ld to %ld; %ld program runs ended by the player\n",
              counts.games, firstSeed, lastSeed, counts.programRuns);
  std::printf("soak: %ld games reached the high-score check (%ld of them with a score given)\n",
              counts.checked, counts.scoresGiven);
  std::printf("soak: %ld keys, %ld key storms, %ld clicks, %ld window closes, %ld error boxes\n",
              total.keys, total.storms, total.clicks, total.closes, counts.errorBoxes);
  std::printf("soak: keys by window:");
  for (const auto& [window, count] : total.keysByWindow) {
    std::printf(" %s %ld", window.c_str(), count);
  }
  std::printf("\n");
  // Eight seeds in a row see every kind of folder: the player was at the keys of every window.
  if (!HasFailure() && sessions >= 8) {
    for (const char* window : {"frmMain", "frmChooseSeat", "frmChooseTiles", "frmBreakDown",
                               "frmGameSummary", "frmGetName", "frmHiScore", "frmRoundsSetting",
                               "frmAbout", "mnuLevel", "frmHelp", "msgBox"}) {
      EXPECT_GT(total.keysByWindow[window], 0) << window << " never had a key";
    }
  }
}

}  // namespace
}  // namespace velloran::soak
