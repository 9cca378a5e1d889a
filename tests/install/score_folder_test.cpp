// Where the game keeps "HiScore.dat", by where it runs from and who runs it: an install keeps
// it in the player's data folder whoever runs it, a copy that is no install keeps it beside
// itself; and a save there lands, with the old table read first.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/high_scores.h"
#include "runtime/app.h"
#include "runtime/headless_backend.h"
#include "support/hi_score_records.h"
#include "support/temp_folder.h"
#include "windows/game_files.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The uid and gid Debian gives the user with no files of its own.
constexpr uid_t kNobody = 65534;

Bytes fileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& file, const Bytes& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A table of five with `first` on top, then the extra bytes a file may carry past it.
Bytes table(const std::string& first, const Bytes& tail = {}) {
  Bytes bytes = testing::hiScoreRecord(first, 4, 2, 9000);
  for (int i = 2; i <= 5; ++i) {
    const Bytes entry = testing::hiScoreRecord("Old" + std::to_string(i), 4, 2, 1000 - i);
    bytes.insert(bytes.end(), entry.begin(), entry.end());
  }
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

// What a game that puts "New" on top of its table does, in a process of its own, run as an
// ordinary user when asked (root may write anywhere): the folder it chose and the error boxes
// it showed, one line each.
std::string saveAsGame(const fs::path& program, bool ordinaryUser) {
  int pipe[2];
  if (::pipe(pipe) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    ::close(pipe[0]);
    if (ordinaryUser && getuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      _exit(3);
    }
    rt::App& app = rt::App::instance();
    auto backend = std::make_unique<rt::HeadlessBackend>();
    rt::HeadlessBackend* headless = backend.get();
    app.setBackend(std::move(backend));
    installErrorReporter();  // a failure shows its box, as in the game
    app.setProgramFolder(program.string());
    std::string answer = scoresFolder() + "\n";
    if (hiScoreFileExists()) gblnfReadHiScoreFile();
    gudtHiScores[1].Name = "New       ";
    gudtHiScores[1].Score = 9000;
    gsSaveHiScore();
    for (const auto& box : headless->messageBoxes()) answer += box.title + ": " + box.text + "\n";
    const bool sent =
        ::write(pipe[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
    _exit(sent ? 0 : 4);
  }
  ::close(pipe[1]);
  std::string answer;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
  ::close(pipe[0]);
  int status = -1;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) answer += "the game's process failed\n";
  return answer;
}

class ScoreFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder.path().empty());
    scratch = folder.path();
    // An ordinary user reaches everything the test makes.
    fs::permissions(scratch, fs::perms::all);
  }
  void TearDown() override { unsetenv("XDG_DATA_HOME"); }
  testing::TempFolder folder;
  fs::path scratch;
};

TEST_F(ScoreFolder, AnInstallKeepsTheScoresWithThePlayerACopyBesideItself) {
  enum Layout { kInstall, kCopy };
  enum Kept { kBeside, kWithPlayer };
  const struct {
    const char* what;
    Layout layout;
    bool ordinaryUser;
    fs::perms folder;                // the program's folder
    std::optional<fs::perms> table;  // a "HiScore.dat" beside it, and its permissions
    Kept kept;
  } cases[] = {
      // Root may write to /usr/games; dpkg owns it all the same.
      {"installed, run as root", kInstall, false, fs::perms::owner_all, std::nullopt, kWithPlayer},
      {"installed, run as root, a table left beside it", kInstall, false, fs::perms::all,
       fs::perms::all, kWithPlayer},
      {"installed by the player in a folder of the player's", kInstall, true, fs::perms::all,
       std::nullopt, kWithPlayer},
      {"a copy in a folder the player may write to", kCopy, true, fs::perms::all, std::nullopt,
       kBeside},
      {"a read-only copy with a writable table", kCopy, true,
       fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
           fs::perms::others_exec,
       fs::perms::all, kBeside},
      {"a read-only copy with no table", kCopy, true,
       fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
           fs::perms::others_exec,
       std::nullopt, kWithPlayer},
      {"a read-only copy with a read-only table", kCopy, true,
       fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
           fs::perms::others_exec,
       fs::perms::owner_read | fs::perms::others_read, kWithPlayer},
  };
  const Bytes tail = {'m', 'o', 'r', 'e'};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(scratch / "game");
    fs::remove_all(scratch / "home");
    const fs::path program = scratch / "game/bin";
    fs::create_directories(program);
    if (c.layout == kInstall) fs::create_directories(scratch / "game/share/velloran");
    fs::permissions(scratch / "game", fs::perms::all);
    if (c.table) writeBytes(program / "HiScore.dat", table("Mine", tail));
    // The player's data folder, which the game makes.
    fs::create_directories(scratch / "home");
    fs::permissions(scratch / "home", fs::perms::all);
    setenv("XDG_DATA_HOME", (scratch / "home/data").c_str(), 1);
    struct stat before {};
    if (c.table) {
      fs::permissions(program / "HiScore.dat", *c.table);
      ASSERT_EQ(::stat((program / "HiScore.dat").c_str(), &before), 0);
    }
    fs::permissions(program, c.folder);
    if (c.ordinaryUser && getuid() == 0) {
      // The player's own install is the player's; a copy and its table are root's.
      ASSERT_EQ(chown(program.c_str(), c.layout == kInstall ? kNobody : 0, 0), 0);
    }

    const fs::path expected = c.kept == kBeside ? program : scratch / "home/data/velloran";
    EXPECT_EQ(saveAsGame(program, c.ordinaryUser), expected.string() + "\n") << "no error box";
    const Bytes saved = fileBytes(expected / "HiScore.dat");
    if (saved.size() < 18) {
      ADD_FAILURE() << "no table in " << expected;
      continue;
    }
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 10),
              Bytes({'N', 'e', 'w', ' ', ' ', ' ', ' ', ' ', ' ', ' '}));
    fs::permissions(program, fs::perms::all);
    if (c.kept == kWithPlayer) {
      // Nothing lands beside the program; a table there stays as it was.
      EXPECT_EQ(fs::exists(program / "HiScore.dat"), c.table.has_value());
      if (c.table) {
        EXPECT_EQ(fileBytes(program / "HiScore.dat"), table("Mine", tail));
      }
      continue;
    }
    // Beside the program: the old table was read first and stays below the new entry, and
    // what the file held past the table stays.
    if (c.table) {
      const Bytes old = table("Mine", tail);
      EXPECT_EQ(Bytes(saved.begin() + 18, saved.end()), Bytes(old.begin() + 18, old.end()));
    }
    if (c.folder != fs::perms::all) {
      // Written where it stands: the folder took no new file.
      struct stat after {};
      ASSERT_EQ(::stat((program / "HiScore.dat").c_str(), &after), 0);
      EXPECT_EQ(after.st_ino, before.st_ino);
      EXPECT_EQ(Bytes(saved.end() - 4, saved.end()), tail);
      std::vector<std::string> names;
      for (const auto& entry : fs::directory_iterator(program)) {
        names.push_back(entry.path().filename().string());
      }
      EXPECT_EQ(names, std::vector<std::string>{"HiScore.dat"});
    }
  }
}

// The folder the build would install the game to counts as an install even without its data
// beside it (a game copied there by hand), and the build folder as no install.
TEST_F(ScoreFolder, TheConfiguredInstallFolderIsAnInstallAndTheBuildFolderIsNot) {
  setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
  rt::App& app = rt::App::instance();
  app.setProgramFolder(VELLORAN_BINARY_DIR);
  EXPECT_EQ(scoresFolder(), VELLORAN_BINARY_DIR);
  // The install's folder as this build was configured (CMAKE_INSTALL_PREFIX and the folder of
  // the executable under it).
  std::ifstream cache(std::string(VELLORAN_BINARY_DIR) + "/CMakeCache.txt");
  std::string line, prefix, bin;
  while (std::getline(cache, line)) {
    if (line.starts_with("CMAKE_INSTALL_PREFIX:")) prefix = line.substr(line.find('=') + 1);
    if (line.starts_with("VELLORAN_INSTALL_BINDIR:")) bin = line.substr(line.find('=') + 1);
  }
  const fs::path installed = fs::path(prefix) / bin;
  if (!fs::is_directory(installed)) GTEST_SKIP() << installed << " does not exist here";
  app.setProgramFolder(installed.string());
  EXPECT_EQ(scoresFolder(), (scratch / "data/velloran").string());
  app.setProgramFolder("");
}

}  // namespace
}  // namespace velloran
