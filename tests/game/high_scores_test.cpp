#include "dialogs/high_scores.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "dialogs/frm_get_name.h"
#include "dialogs/frm_hi_score.h"
#include "engine/engine.h"
#include "engine/quiet_table_window.h"
#include "runtime/keys.h"
#include "runtime/text.h"
#include "support/headless_app.h"
#include "support/hi_score_records.h"
#include "support/temp_folder.h"
#include "table/frm_main.h"
#include "windows/game_files.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

using velloran::testing::closingKey;
using velloran::testing::HeadlessApp;
using Bytes = std::vector<unsigned char>;

// The check reads only the game's counters; the table window is not needed.
using NoTable = QuietTableWindow;

// One record as the file holds it, written out byte by byte.
Bytes record(const std::string& name, std::int16_t rounds, std::int16_t level, std::int32_t score) {
  return testing::hiScoreRecord(name, rounds, level, score);
}

const Bytes kEmpty = record("", 0, 0, 0);

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Sets an environment variable for the life of a test, or unsets it (nullopt).
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
  }
  ~ScopedVariable() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A folder no one may write to, not even root.
constexpr const char* kUnwritableFolder = "/proc/self";

class HighScores : public HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    folder = scratch.path();
    ASSERT_FALSE(folder.empty());
    app().setProgramFolder(folder);
    // The player's own folders stay out of the tests.
    home.emplace("HOME", folder + "/home");
    dataHome.emplace("XDG_DATA_HOME", folder + "/data");
    for (typHiScore& entry : gudtHiScores) entry = typHiScore{};
    installErrorReporter();
    frmMain->setClientSize(795, 581);
    game.mintRoundsPlayed = 4;
    game.mlngLevel = 1;
  }
  void TearDown() override {
    hiScoreFileCalls() = kRealCalls;
    gsReleaseObjects(frmGetName, frmHiScore, frmMain);
    HeadlessApp::TearDown();
    setErrorReporter(nullptr);
    app().setProgramFolder("");
    dataHome.reset();
    home.reset();
  }

  std::string path() const { return folder + "/HiScore.dat"; }
  Bytes fileBytes() const {
    std::ifstream in(path(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  void writeFile(const Bytes& bytes) const {
    std::ofstream out(path(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  // The five results of a table, best first.
  Bytes table(std::initializer_list<std::pair<const char*, std::int32_t>> results) const {
    Bytes all;
    for (const auto& [name, score] : results) {
      const Bytes one = score == 0 ? kEmpty : record(name, 4, 1, score);
      all.insert(all.end(), one.begin(), one.end());
    }
    return all;
  }
  // The end of a game with this score. With `answer` the player types `name` when asked;
  // without, a question would wait for ever and fail the test.
  bool endGame(std::int32_t score, bool answer = true, const std::string& name = "New") {
    if (answer) {
      headless->script("frmGetName", rt::typeText(name));
      headless->script("frmGetName", closingKey(rt::vbKeyReturn));
    }
    game.mlngScore = score;
    const bool entered = mblnfHiScore(game);
    asked = answer && headless->scriptDone("frmGetName");
    return entered;
  }
  std::vector<std::string> namesInFile() {
    for (typHiScore& entry : gudtHiScores) entry = typHiScore{};
    EXPECT_TRUE(gblnfReadHiScoreFile());
    std::vector<std::string> names;
    for (const typHiScore& entry : gudtHiScores) names.push_back(entry.Name);
    return names;
  }
  const std::vector<rt::RecordedMessageBox>& boxes() { return headless->messageBoxes(); }

  testing::TempFolder scratch;

  // What the folder holds, by name.
  std::set<std::string> folderNames() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  const HiScoreFileCalls kRealCalls = hiScoreFileCalls();
  std::string folder;
  std::optional<ScopedVariable> home, dataHome;
  NoTable window;
  GameEngine game{window};
  bool asked = false;  // the name was asked and typed
};

TEST_F(HighScores, EachEntryIsEighteenLittleEndianBytesWithABlankPaddedName) {
  const struct {
    typHiScore entry;
    Bytes bytes;
  } cases[] = {
      {{"Al", 4, 5, 1600}, {'A', 'l', 32, 32, 32, 32, 32, 32, 32, 32, 4, 0, 5, 0, 0x40, 6, 0, 0}},
      {{"Ten Letter", 1, 1, 50},
       concat({Bytes{'T', 'e', 'n', ' ', 'L', 'e', 't', 't', 'e', 'r'},
               Bytes{1, 0, 1, 0, 50, 0, 0, 0}})},
      {{"Much Too Long", 300, 2, 70000},
       concat({Bytes{'M', 'u', 'c', 'h', ' ', 'T', 'o', 'o', ' ', 'L'},
               Bytes{0x2C, 1, 2, 0, 0x70, 0x11, 1, 0}})},
      {{"", -1, 3, -2}, concat({Bytes(10, ' '), Bytes{0xFF, 0xFF, 3, 0, 0xFE, 0xFF, 0xFF, 0xFF}})},
  };
  for (const auto& c : cases) {
    gudtHiScores[1] = c.entry;
    gsSaveHiScore();
    EXPECT_EQ(fileBytes(), concat({c.bytes, kEmpty, kEmpty, kEmpty, kEmpty})) << c.entry.Name;
    gudtHiScores[1] = typHiScore{};
    ASSERT_TRUE(gblnfReadHiScoreFile());
    EXPECT_EQ(gudtHiScores[1].Name, std::string(c.bytes.begin(), c.bytes.begin() + 10));
    EXPECT_EQ(gudtHiScores[1].RoundsPlayed, c.entry.RoundsPlayed);
    EXPECT_EQ(gudtHiScores[1].Level, c.entry.Level);
    EXPECT_EQ(gudtHiScores[1].Score, c.entry.Score);
  }
  EXPECT_TRUE(boxes().empty());
}

TEST_F(HighScores, TheFirstResultMakesTheFileWithFourEmptyRecords) {
  ASSERT_FALSE(std::filesystem::exists(path()));
  game.mlngLevel = 5;
  EXPECT_TRUE(endGame(1600, true, "Al"));
  EXPECT_TRUE(asked);
  EXPECT_EQ(fileBytes(), concat({record("Al", 4, 5, 1600), kEmpty, kEmpty, kEmpty, kEmpty}));
  EXPECT_TRUE(boxes().empty());
}

TEST_F(HighScores, ANewScoreGoesBelowEveryEqualOneAndPushesTheLastOut) {
  const Bytes full = table({{"Ann", 5000}, {"Bob", 3000}, {"Cy", 3000}, {"Di", 1000}, {"Ed", 500}});
  const Bytes partial = table({{"Ann", 5000}, {"Bob", 3000}, {"", 0}, {"", 0}, {"", 0}});
  const auto padded = [](std::string name) { return name.resize(10, ' '), name; };
  const struct {
    const Bytes* file;
    std::int32_t score;
    std::vector<std::string> names;  // empty: the score does not enter
  } cases[] = {
      {&full, 6000, {"New", "Ann", "Bob", "Cy", "Di"}},
      {&full, 3001, {"Ann", "New", "Bob", "Cy", "Di"}},
      {&full, 3000, {"Ann", "Bob", "Cy", "New", "Di"}},
      {&full, 501, {"Ann", "Bob", "Cy", "Di", "New"}},
      {&full, 500, {}},
      {&full, 20, {}},
      {&partial, 100, {"Ann", "Bob", "New", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.score);
    writeFile(*c.file);
    const bool enters = !c.names.empty();
    EXPECT_EQ(endGame(c.score, enters), enters);
    if (!enters) {
      EXPECT_EQ(fileBytes(), *c.file) << "the file is not touched";
      continue;
    }
    EXPECT_TRUE(asked);
    std::vector<std::string> expected;
    for (const std::string& name : c.names) expected.push_back(padded(name));
    EXPECT_EQ(namesInFile(), expected);
  }
  EXPECT_TRUE(boxes().empty());
}

TEST_F(HighScores, AShortFileReadsAsEmptyEntriesPastItsEnd) {
  // One whole record, then three bytes of a second.
  writeFile(concat({record("Ann", 4, 2, 5000), Bytes{'Z', 'e', 'd'}}));
  ASSERT_TRUE(gblnfReadHiScoreFile());
  EXPECT_EQ(gudtHiScores[1].Score, 5000);
  EXPECT_EQ(gudtHiScores[2].Name, "Zed       ");
  EXPECT_EQ(gudtHiScores[2].Score, 0);
  for (int i = 3; i <= 5; ++i) EXPECT_EQ(gudtHiScores[i].Name, std::string(10, ' ')) << i;
  EXPECT_TRUE(endGame(100));
  EXPECT_EQ(fileBytes().size(), 90u);
  EXPECT_EQ(gudtHiScores[2].Name, "New       ");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(HighScores, ALongerFileKeepsItsExtraBytesOnSave) {
  const Bytes tail = {'t', 'a', 'i', 'l', 0};
  writeFile(concat({table({{"Ann", 5000}, {"", 0}, {"", 0}, {"", 0}, {"", 0}}), tail}));
  EXPECT_TRUE(endGame(9000));
  const Bytes bytes = fileBytes();
  ASSERT_EQ(bytes.size(), 95u);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 36),
            concat({record("New", 4, 1, 9000), record("Ann", 4, 1, 5000)}));
  EXPECT_EQ(Bytes(bytes.begin() + 90, bytes.end()), tail);
}

TEST_F(HighScores, AnUnreadableFileIsReportedOnceAndNothingIsAskedOrWritten) {
  // Exists as a normal file, but its first bytes cannot be read.
  std::filesystem::create_symlink("/proc/self/mem", path());
  EXPECT_FALSE(endGame(5000, false));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].title, "Error In gblnfReadHiScoreFile");
}

TEST_F(HighScores, TheScoresLiveBesideTheProgramElseInThePlayersDataFolder) {
  const std::string home = folder + "/home/.local/share/velloran";
  const struct {
    const char* what;
    std::string program;
    std::optional<std::string> dataHome;
    std::string expected;
  } cases[] = {
      {"a folder the game may write to", folder, folder + "/data", folder},
      {"a folder it may not, with a data home", kUnwritableFolder, folder + "/data",
       folder + "/data/velloran"},
      {"a relative data home counts as none", kUnwritableFolder, "data", home},
      {"no data home", kUnwritableFolder, std::nullopt, home},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder + "/home");
    std::filesystem::remove_all(folder + "/data");
    std::filesystem::remove(folder + "/HiScore.dat");
    app().setProgramFolder(c.program);
    ScopedVariable data("XDG_DATA_HOME", c.dataHome);
    ASSERT_EQ(scoresFolder(), c.expected);
    EXPECT_TRUE(endGame(1600, true, "First"));
    EXPECT_TRUE(endGame(1700, true, "Second")) << "the second game reads the first's file";
    EXPECT_TRUE(asked);
    EXPECT_EQ(std::filesystem::file_size(c.expected + "/HiScore.dat"), 90u);
    EXPECT_EQ(namesInFile(), (std::vector<std::string>{"Second    ", "First     ", "          ",
                                                       "          ", "          "}));
    if (c.expected != folder) {
      EXPECT_EQ(std::filesystem::status(c.expected).permissions(),
                std::filesystem::perms::owner_all)
          << "the data folder is made for the player alone";
    }
  }
  EXPECT_TRUE(boxes().empty());
}

// Stand-ins for the disk's calls, each failing or odd in one way.
int gCalls = 0;  // calls of the stand-in so far, reset for each case
ssize_t diskFull(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}
ssize_t sevenBytesThenBroken(int fd, const void* bytes, std::size_t count) {
  if (gCalls++ == 0) return ::write(fd, bytes, std::min<std::size_t>(count, 7));
  errno = EIO;
  return -1;
}
ssize_t fiveBytesAtATime(int fd, const void* bytes, std::size_t count) {
  return ::write(fd, bytes, std::min<std::size_t>(count, 5));
}
ssize_t interruptedEveryOtherTime(int fd, const void* bytes, std::size_t count) {
  if (gCalls++ % 2 == 0) {
    errno = EINTR;
    return -1;
  }
  return ::write(fd, bytes, count);
}
int flushBroken(int) {
  errno = EIO;
  return -1;
}
int folderFlushBroken(int fd) {
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) return flushBroken(fd);
  return ::fsync(fd);
}
int closeBroken(int fd) {
  ::close(fd);
  errno = EIO;
  return -1;
}
int renameRefused(const char*, const char*) {
  errno = EXDEV;
  return -1;
}

TEST_F(HighScores, ASaveThatFailsAtAnyStepLeavesTheOldFileWholeAndNothingElse) {
  const struct {
    const char* what;
    HiScoreFileCalls calls;
    const char* text;
  } cases[] = {
      {"a full disk", {diskFull, ::fsync, ::close, ::rename}, "Error 61 - Disk full"},
      {"a short write, then a failed one",
       {sevenBytesThenBroken, ::fsync, ::close, ::rename},
       "Error 57 - Device I/O error"},
      {"a failed flush", {::write, flushBroken, ::close, ::rename}, "Error 57 - Device I/O error"},
      {"a failed close", {::write, ::fsync, closeBroken, ::rename}, "Error 57 - Device I/O error"},
      {"a failed rename",
       {::write, ::fsync, ::close, renameRefused},
       "Error 75 - Path/File access error"},
  };
  const Bytes old = concat(
      {table({{"Ann", 5000}, {"Bob", 3000}, {"Cy", 2000}, {"Di", 1000}, {"Ed", 500}}), {'t', 0}});
  for (const auto& c : cases) {
    for (const bool hadFile : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (hadFile ? ", over an old file" : ", with no file yet"));
      std::filesystem::remove(path());
      if (hadFile) writeFile(old);
      gCalls = 0;
      hiScoreFileCalls() = c.calls;
      const std::size_t before = boxes().size();
      EXPECT_TRUE(endGame(9000)) << "the entry stands and the table is shown";
      hiScoreFileCalls() = kRealCalls;
      ASSERT_EQ(boxes().size(), before + 1);
      EXPECT_EQ(boxes().back().title, "Error In gsSaveHiScore");
      EXPECT_EQ(boxes().back().text, c.text);
      EXPECT_EQ(gudtHiScores[1].Score, 9000);
      if (hadFile) {
        EXPECT_EQ(fileBytes(), old);
        EXPECT_EQ(folderNames(), std::set<std::string>{"HiScore.dat"});
      } else {
        EXPECT_TRUE(folderNames().empty()) << "no empty or partial file is left";
      }
    }
  }
}

TEST_F(HighScores, ASaveOnAnAwkwardDiskStillWritesTheWholeTableAndReportsNothing) {
  const struct {
    const char* what;
    HiScoreFileCalls calls;
  } cases[] = {
      {"writes that take five bytes at a time", {fiveBytesAtATime, ::fsync, ::close, ::rename}},
      {"writes that are interrupted", {interruptedEveryOtherTime, ::fsync, ::close, ::rename}},
      {"a folder that cannot be flushed once the file is in place",
       {::write, folderFlushBroken, ::close, ::rename}},
  };
  const Bytes tail = {'t', 'a', 'i', 'l'};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(concat({table({{"Ann", 5000}, {"Bob", 3000}, {"", 0}, {"", 0}, {"", 0}}), tail}));
    gCalls = 0;
    hiScoreFileCalls() = c.calls;
    EXPECT_TRUE(endGame(4000));
    hiScoreFileCalls() = kRealCalls;
    EXPECT_EQ(
        fileBytes(),
        concat({table({{"Ann", 5000}, {"New", 4000}, {"Bob", 3000}, {"", 0}, {"", 0}}), tail}));
    EXPECT_EQ(folderNames(), std::set<std::string>{"HiScore.dat"});
  }
  EXPECT_TRUE(boxes().empty());
}

TEST_F(HighScores, TheSaveKeepsTheFilesModeAndTheLinkThatNamesIt) {
  std::filesystem::create_directory(folder + "/kept");
  const std::string real = folder + "/kept/scores";
  std::ofstream(real) << "";
  std::filesystem::permissions(real, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  std::filesystem::create_symlink("kept/scores", path());
  EXPECT_TRUE(endGame(1600, true, "Al"));
  EXPECT_TRUE(endGame(1700, true, "Bo"));
  EXPECT_TRUE(std::filesystem::is_symlink(path()));
  EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::owner_write |
                                                             std::filesystem::perms::group_read);
  EXPECT_EQ(fileBytes(), table({{"Bo", 1700}, {"Al", 1600}, {"", 0}, {"", 0}, {"", 0}}));
  EXPECT_EQ(folderNames(), (std::set<std::string>{"HiScore.dat", "kept"}));
  EXPECT_TRUE(boxes().empty());
}

TEST_F(HighScores, ASaveThatCannotBeMadeIsReportedNeverWaitsAndTheResultStandsInMemory) {
  const std::string plainFile = folder + "/plain";
  std::ofstream(plainFile) << "not a folder";
  const struct {
    const char* what;
    std::string program;
    std::string link;  // HiScore.dat is a link to this
    bool pipe;         // HiScore.dat is a named pipe that nobody reads
    const char* text;
  } cases[] = {
      {"a data folder that cannot be made", kUnwritableFolder, "", false,
       "Error 76 - Path not found"},
      {"a disk with no room", folder, "/dev/full", false, "Error 61 - Disk full"},
      {"a pipe in the file's place", folder, "", true, "Error 75 - Path/File access error"},
  };
  ScopedVariable data("XDG_DATA_HOME", plainFile + "/data");
  // A save that waits for ever ends the test here.
  alarm(60);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path());
    if (!c.link.empty()) std::filesystem::create_symlink(c.link, path());
    if (c.pipe) {
      ASSERT_EQ(mkfifo(path().c_str(), 0644), 0);
    }
    app().setProgramFolder(c.program);
    const std::size_t before = boxes().size();
    EXPECT_TRUE(endGame(1600)) << "the entry stands and the table is shown";
    EXPECT_TRUE(asked);
    ASSERT_EQ(boxes().size(), before + 1);
    EXPECT_EQ(boxes().back().title, "Error In gsSaveHiScore");
    EXPECT_EQ(boxes().back().text, c.text);
    EXPECT_EQ(gudtHiScores[1].Score, 1600);
    EXPECT_FALSE(hiScoreFileExists()) << "the sheet shows the table in memory";
    app().setProgramFolder(folder);
  }
  alarm(0);
  EXPECT_TRUE(std::filesystem::is_fifo(path())) << "what stood there stays";
}

// What a player may not write to: a read-only file, or a folder. Root may write to any file,
// so as root these are skipped; the pass as a player (tests/as_player.sh) runs them as an
// ordinary user. Wherever the game keeps the file, the folder it keeps it in stays writable:
// a file in a read-only folder is reached through a link.
class HighScoresAsPlayer : public HighScores {
 protected:
  void SetUp() override {
    if (geteuid() == 0) {
      if (getenv("VELLORAN_TEST_AS_PLAYER")) FAIL() << "still root in the pass as a player";
      GTEST_SKIP() << "root writes to read-only files: the pass as a player runs these";
    }
    HighScores::SetUp();
    setUp = true;
    scores = hiScoreFilePath();
    locked = elsewhere.file("locked");
    std::filesystem::create_directories(scores.parent_path());
    std::filesystem::create_directory(locked);
  }
  void TearDown() override {
    if (!setUp) return;
    // Writable again, so that it can be removed.
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    HighScores::TearDown();
  }
  static Bytes bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static std::set<std::string> namesIn(const std::filesystem::path& place) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(place)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  static constexpr auto kReadOnly = std::filesystem::perms::owner_read |
                                    std::filesystem::perms::group_read |
                                    std::filesystem::perms::others_read;

  bool setUp = false;
  std::filesystem::path scores;  // where the game keeps "HiScore.dat"
  testing::TempFolder elsewhere;
  std::filesystem::path locked;  // a folder the player will not be let write to
};

// A read-only file keeps its table and the failed save is reported; a writable one in a
// folder that takes no new file gets the new table written over its old bytes.
TEST_F(HighScoresAsPlayer, AReadOnlyFileIsKeptAndReportedAWritableOneInAReadOnlyFolderSaved) {
  const Bytes tail = {'t', 'a', 'i', 'l'};
  const Bytes old = concat(
      {table({{"Ann", 5000}, {"Bob", 3000}, {"Cy", 2000}, {"Di", 1000}, {"Ed", 500}}), tail});
  const Bytes saved = concat(
      {table({{"New", 9000}, {"Ann", 5000}, {"Bob", 3000}, {"Cy", 2000}, {"Di", 1000}}), tail});
  const struct {
    const char* what;
    bool inLockedFolder, readOnly;
  } cases[] = {
      {"a read-only file", false, true},
      {"a writable file in a read-only folder", true, false},
      {"a read-only file in a read-only folder", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    std::filesystem::remove(scores);
    std::filesystem::remove(locked / "HiScore.dat");
    const std::filesystem::path real = c.inLockedFolder ? locked / "HiScore.dat" : scores;
    std::ofstream(real, std::ios::binary)
        .write(reinterpret_cast<const char*>(old.data()), static_cast<std::streamsize>(old.size()));
    if (c.inLockedFolder) std::filesystem::create_symlink(real, scores);
    if (c.readOnly) std::filesystem::permissions(real, kReadOnly);
    std::filesystem::permissions(
        locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::size_t before = boxes().size();
    EXPECT_TRUE(endGame(9000)) << "the entry stands and the table is shown";
    EXPECT_TRUE(asked);
    EXPECT_EQ(gudtHiScores[1].Score, 9000);
    if (c.readOnly) {
      EXPECT_EQ(boxes().size(), before + 1) << "the failed save is reported";
      if (boxes().size() == before + 1) {
        EXPECT_EQ(boxes().back().title, "Error In gsSaveHiScore");
        EXPECT_EQ(boxes().back().text, "Error 75 - Path/File access error");
      }
      EXPECT_EQ(bytesOf(real), old) << "the old table is whole";
      EXPECT_EQ(std::filesystem::status(real).permissions(), kReadOnly) << "still read-only";
    } else {
      EXPECT_EQ(boxes().size(), before) << "the save is no failure";
      EXPECT_EQ(bytesOf(real), saved);
    }
    EXPECT_EQ(std::filesystem::is_symlink(scores), c.inLockedFolder);
    EXPECT_EQ(namesIn(scores.parent_path()), std::set<std::string>{"HiScore.dat"})
        << "nothing left beside it";
    if (c.inLockedFolder) {
      EXPECT_EQ(namesIn(locked), std::set<std::string>{"HiScore.dat"});
    }
  }
}

TEST_F(HighScoresAsPlayer, AFileThePlayerMayNotReadIsReportedAndNothingIsAskedOrWritten) {
  const Bytes old = table({{"Ann", 5000}, {"", 0}, {"", 0}, {"", 0}, {"", 0}});
  std::ofstream(scores, std::ios::binary)
      .write(reinterpret_cast<const char*>(old.data()), static_cast<std::streamsize>(old.size()));
  std::filesystem::permissions(scores, std::filesystem::perms::owner_write);
  EXPECT_FALSE(endGame(9000, false));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].title, "Error In gblnfReadHiScoreFile");
  EXPECT_EQ(boxes()[0].text, "Error 75 - Path/File access error");
  std::filesystem::permissions(scores, std::filesystem::perms::owner_read);
  EXPECT_EQ(bytesOf(scores), old);
}

// Trickles the table out a few bytes at a time, so that a kill lands in the middle of a save.
ssize_t slowWrite(int fd, const void* bytes, std::size_t count) {
  usleep(50);
  return ::write(fd, bytes, std::min<std::size_t>(count, 4));
}

TEST_F(HighScores, AGameKilledWhileSavingLeavesTheOldTableOrTheNewNeverAMix) {
  const Bytes tail = {'t', 'a', 'i', 'l'};
  const std::initializer_list<std::pair<const char*, std::int32_t>> results[2] = {
      {{"Ann", 5000}, {"Bob", 3000}, {"Cy", 2000}, {"Di", 1000}, {"Ed", 500}},
      {{"Vi", 9100}, {"Wu", 8200}, {"Xo", 7300}, {"Yan", 6400}, {"Zed", 5500}},
  };
  const Bytes tables[2] = {concat({table(results[0]), tail}), concat({table(results[1]), tail})};
  writeFile(tables[0]);
  std::mt19937 random(20261210);
  int kept[2] = {0, 0};
  int halfWritten = 0;  // kills that caught a save half-written, with its new file left behind
  constexpr int kKills = 150;
  for (int kill = 1; kill <= kKills; ++kill) {
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      hiScoreFileCalls().write = slowWrite;
      (void)!::write(started[1], "s", 1);
      for (int round = 1;; ++round) {
        int i = 1;
        for (const auto& [name, score] : results[round % 2])
          gudtHiScores[i++] = {name, 4, 1, score};
        gsSaveHiScore();
      }
    }
    char byte;
    ASSERT_EQ(::read(started[0], &byte, 1), 1);
    close(started[0]);
    close(started[1]);
    usleep(std::uniform_int_distribution<useconds_t>(0, 12000)(random));
    ::kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const Bytes now = fileBytes();
    ASSERT_TRUE(now == tables[0] || now == tables[1]) << "after kill " << kill;
    ++kept[now == tables[1]];
    halfWritten += folderNames().size() > 1;
  }
  std::cout << kKills << " kills: the old table " << kept[0] << " times, the new " << kept[1]
            << ", " << halfWritten << " in the middle of a save\n";
  EXPECT_GT(halfWritten, 0) << "no kill fell inside a save";
  EXPECT_TRUE(endGame(9999));
  EXPECT_EQ(folderNames(), std::set<std::string>{"HiScore.dat"}) << "the next save clears them";
  EXPECT_TRUE(boxes().empty());
}

constexpr rt::Colour kBlack = rt::rgb(0, 0, 0);
constexpr rt::Colour kGrey = rt::rgb(64, 64, 64);

// The high-score sheet as the dialog showed it.
class HiScoreSheet : public HighScores {
 protected:
  struct Box {
    int left = 1000, top = 1000, right = -1, bottom = -1;
    int count = 0;
    bool empty() const { return count == 0; }
  };
  // Where pixels of the colour (or any change from the sheet, when colour < 0) lie in a
  // rectangle of the shown image.
  Box find(int x0, int y0, int x1, int y1, long colour = -1) const {
    Box box;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        const rt::Colour here = shown.pixel(x, y);
        const bool hit =
            colour < 0 ? here != sheet.pixel(x, y) : here == static_cast<rt::Colour>(colour);
        if (!hit) continue;
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
               std::max(box.bottom, y), box.count + 1};
      }
    }
    return box;
  }
  // The grey copy lies under the black one, one pixel up and to the left: wherever the grey
  // shows at full strength, the black text covers the pixel down and to the right.
  bool shadowed(int x0, int y0, int x1, int y1) const {
    int grey = 0, black = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        black += shown.pixel(x, y) == kBlack;
        if (shown.pixel(x, y) != kGrey) continue;
        ++grey;
        if (shown.pixel(x + 1, y + 1) != kBlack) return false;
      }
    }
    return grey > 0 && black > grey;
  }
  static int rowTop(int row) { return 138 + 32 * (row - 1) - 2; }
  void showSheet() {
    headless->script("frmHiScore", rt::pressKeys({rt::vbKeyEscape}));
    frmHiScore->showModal();
    shown = headless->shown("frmHiScore");
  }

  rt::Picture sheet = rt::loadResourcePicture("bitmap104");
  rt::Picture shown;
};

TEST_F(HiScoreSheet, WithNoFileAndNoResultOnlyTheSheetShows) {
  showSheet();
  EXPECT_TRUE(find(0, 0, 500, 350).empty());
}

TEST_F(HiScoreSheet, WhenTheFirstFileCouldNotBeMadeTheSheetShowsTheTableInMemory) {
  hiScoreFileCalls().write = diskFull;
  EXPECT_TRUE(endGame(1600, true, "Al"));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error 61 - Disk full");
  EXPECT_FALSE(std::filesystem::exists(path()));
  showSheet();
  EXPECT_FALSE(find(60, rowTop(1), 450, rowTop(1) + 24).empty()) << "the new result";
  EXPECT_TRUE(find(30, rowTop(2), 470, rowTop(5) + 24).empty());
}

TEST_F(HiScoreSheet, PrintsTheFileRowsInBlackOverAGreyCopyOnePixelUpAndLeft) {
  // The table in memory differs: the sheet shows the file.
  for (typHiScore& entry : gudtHiScores) entry = {"Memory", 1, 1, 99};
  writeFile(concat({record("  Bo      ", 12, 5, 1600), record("", 4, 3, 51200),
                    record("Cy", 4, 1, 50), kEmpty, kEmpty}));
  showSheet();
  const int columns[] = {60, 225, 315, 380, 450};
  std::set<int> scoreRights;
  for (int row = 1; row <= 5; ++row) {
    SCOPED_TRACE(row);
    const int top = rowTop(row), bottom = top + 24;
    if (row >= 4) {
      EXPECT_TRUE(find(30, top, 470, bottom).empty()) << "an empty entry prints nothing";
      continue;
    }
    for (int column = 0; column < 4; ++column) {
      const bool noName = row == 2 && column == 0;
      EXPECT_EQ(find(columns[column], top, columns[column + 1], bottom).empty(), noName)
          << "column " << column;
    }
    EXPECT_TRUE(shadowed(columns[0], top, columns[4], bottom));
    // Right-aligned: every score (each ends in 0) ends at the same place, short of X 445.
    const Box score = find(380, top, 450, bottom, kBlack);
    EXPECT_LE(score.right, 444);
    EXPECT_GE(score.right, 441);
    scoreRights.insert(score.right);
  }
  EXPECT_EQ(scoreRights.size(), 1u);
  // The name without its blanks starts at X 66, its grey copy at 65.
  const Box name = find(60, rowTop(1), 225, rowTop(1) + 24, kBlack);
  EXPECT_GE(name.left, 66);
  EXPECT_LE(name.left, 68);
  EXPECT_EQ(gudtHiScores[1].Score, 1600) << "the file was read again";
}

TEST_F(HiScoreSheet, EnterOrEscapeClosesTheSheetAndOtherKeysDoNot) {
  for (const std::int16_t key : {rt::vbKeyReturn, rt::vbKeyEscape}) {
    headless->script("frmHiScore", rt::typeText(" x"));
    headless->script("frmHiScore", rt::clickAt(250, 175));
    headless->script("frmHiScore", closingKey(key));
    frmHiScore->showModal();
    EXPECT_TRUE(headless->scriptDone("frmHiScore")) << "open until the closing key";
    EXPECT_FALSE(frmHiScore) << "released when it closed";
  }
}

}  // namespace
}  // namespace velloran
