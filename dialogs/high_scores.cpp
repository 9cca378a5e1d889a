#include "dialogs/high_scores.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/checked_math.h"
#include "base/trap.h"
#include "dialogs/frm_get_name.h"
#include "engine/engine.h"
#include "windows/game_files.h"

namespace velloran {
namespace {

constexpr int kNameLength = 10;
constexpr int kRecordLength = 18;
constexpr int kTableLength = kRecordLength * 5;
using TableBytes = std::array<unsigned char, kTableLength>;
using Bytes = std::vector<unsigned char>;

// Five empty records: each a blank name, then zeros.
constexpr TableBytes kEmptyTable = [] {
  TableBytes table{};
  for (int i = 0; i < kTableLength; ++i) table[i] = i % kRecordLength < kNameLength ? ' ' : 0;
  return table;
}();

[[noreturn]] void raiseFileError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      raiseError(kPathNotFound);
    case ENOSPC:
    case EDQUOT:
      raiseError(kDiskFull);
    case EIO:
      raiseError(kDeviceIOError);
    case EBUSY:
    case ETXTBSY:
      raiseError(kPermissionDenied);
    default:  // no access, a read-only disk, a folder in the way
      raiseError(kPathFileAccessError);
  }
}

// A file descriptor that is closed when it goes, whatever happened.
class OpenFile {
 public:
  OpenFile(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC)) {
    if (fd_ < 0) raiseFileError(errno);
  }
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd() const { return fd_; }
  void close() {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR) raiseFileError(errno);
  }

 private:
  int fd_;
};

// Up to `most` bytes from `offset` on; a file that ends early gives fewer.
Bytes readBytes(int fd, off_t offset, std::size_t most) {
  Bytes bytes;
  unsigned char chunk[4096];
  while (bytes.size() < most) {
    const ssize_t n = ::pread(fd, chunk, std::min(sizeof chunk, most - bytes.size()),
                              offset + static_cast<off_t>(bytes.size()));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseFileError(errno);
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  return bytes;
}

void writeAll(int fd, const Bytes& bytes) {
  std::size_t put = 0;
  while (put < bytes.size()) {
    const ssize_t n = hiScoreFileCalls().write(fd, bytes.data() + put, bytes.size() - put);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) raiseFileError(errno);
    if (n == 0) raiseError(kDeviceIOError);
    put += static_cast<std::size_t>(n);
  }
}

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The player's data folder is made when the first table is saved.
void makeFolder(const std::string& folder) {
  struct stat status {};
  if (folder.empty() || ::stat(folder.c_str(), &status) == 0) return;
  makeFolder(folderOf(folder) == folder ? "" : folderOf(folder));
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) raiseFileError(errno);
}

// The file a save replaces: the one a symbolic link names, so that the link stays.
std::string fileToReplace(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// A device or a pipe in the file's place is written where it stands, and never waited for:
// a pipe that nobody reads is a failure, not a hang.
void writeInPlace(const std::string& path, const Bytes& bytes) {
  OpenFile file(path, O_WRONLY | O_NONBLOCK);
  writeAll(file.fd(), bytes);
  file.close();
}

// The table written over the first bytes of the file where it stands, then flushed. The file
// never gets shorter and what lies past the table stays, so a failure or a kill mid-way
// leaves the old records but those being written; the old table is read before.
void overwriteTable(const std::string& path, const TableBytes& table) {
  OpenFile file(path, O_WRONLY | O_NONBLOCK);
  writeAll(file.fd(), Bytes(table.begin(), table.end()));
  if (hiScoreFileCalls().fsync(file.fd()) != 0 && errno != EINVAL) raiseFileError(errno);
  file.close();
}

constexpr std::string_view kNewFilePrefix = ".HiScore.dat.";

// A game killed in the middle of a save leaves its new file behind, named after its process;
// a later save clears those of games no longer running.
void removeLeftovers(const std::string& folder) {
  DIR* entries = ::opendir(folder.c_str());
  if (entries == nullptr) return;
  while (const dirent* entry = ::readdir(entries)) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(kNewFilePrefix)) continue;
    const pid_t owner = static_cast<pid_t>(std::atol(name.data() + kNewFilePrefix.size()));
    if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH) {
      ::unlinkat(::dirfd(entries), entry->d_name, 0);
    }
  }
  ::closedir(entries);
}

// The new table in a file of its own beside the old one. Only once it is whole on the disk
// does it take the old file's place; until then the old file is untouched, and a failure or a
// kill leaves it as it was. Removed again when it did not get that far.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::string target) : target_(std::move(target)) {
    static unsigned serial = 0;
    for (int attempt = 1; fd_ < 0; ++attempt) {
      path_ = folderOf(target_) + "/" + std::string(kNewFilePrefix) + std::to_string(::getpid()) +
              "." + std::to_string(++serial);
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd_ < 0 && (errno != EEXIST || attempt == 100)) {
        path_.clear();
        raiseFileError(errno);
      }
    }
  }
  ~ReplacementFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  void write(const Bytes& bytes) { writeAll(fd_, bytes); }
  void setMode(mode_t mode) {
    if (::fchmod(fd_, mode) != 0) raiseFileError(errno);
  }
  void replaceTarget() {
    const HiScoreFileCalls& calls = hiScoreFileCalls();
    // Some file systems cannot flush; that is no failure of the save.
    if (calls.fsync(fd_) != 0 && errno != EINVAL) raiseFileError(errno);
    if (calls.close(std::exchange(fd_, -1)) != 0 && errno != EINTR) raiseFileError(errno);
    if (calls.rename(path_.c_str(), target_.c_str()) != 0) raiseFileError(errno);
    path_.clear();
    // The new name reaches the disk with its folder. The table is saved by now, so a folder
    // that cannot be flushed is no failure.
    const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      calls.fsync(folder);
      ::close(folder);
    }
  }

 private:
  std::string target_;
  std::string path_;
  int fd_ = -1;
};

// Writes the table over "HiScore.dat", keeping whatever the old file held past it.
void saveTable(const TableBytes& table) {
  const std::string folder = scoresFolder();
  makeFolder(folder);
  const std::string target = fileToReplace(folder + "/HiScore.dat");
  Bytes bytes(table.begin(), table.end());
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) raiseFileError(errno);
  if (exists && !S_ISREG(old.st_mode)) return writeInPlace(target, bytes);
  if (exists) {
    // A file the player made read-only keeps its table.
    if (::access(target.c_str(), W_OK) != 0) raiseFileError(errno);
    OpenFile file(target, O_RDONLY | O_NONBLOCK);
    const Bytes tail = readBytes(file.fd(), kTableLength, SIZE_MAX);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    file.close();
  }
  // A folder that takes no new file (a read-only copy of the game whose table stays
  // writable): the table is written over the old one's bytes.
  if (exists && ::access(folderOf(target).c_str(), W_OK | X_OK) != 0) {
    return overwriteTable(target, table);
  }
  removeLeftovers(folderOf(target));
  ReplacementFile replacement(target);
  replacement.write(bytes);
  if (exists) replacement.setMode(old.st_mode & 07777);
  replacement.replaceTarget();
}

std::int16_t int16At(const unsigned char* bytes) {
  return static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
}
std::int32_t int32At(const unsigned char* bytes) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
      (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24));
}
void putLittleEndian(unsigned char* bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

typHiScore decode(const unsigned char* record) {
  typHiScore entry;
  entry.Name.assign(reinterpret_cast<const char*>(record), kNameLength);
  entry.RoundsPlayed = int16At(record + 10);
  entry.Level = int16At(record + 12);
  entry.Score = int32At(record + 14);
  return entry;
}

// A name as the table keeps it: cut or padded with blanks to exactly 10 characters.
std::string fittedName(std::string name) {
  name.resize(kNameLength, ' ');
  return name;
}

void encode(const typHiScore& entry, unsigned char* record) {
  const std::string name = fittedName(entry.Name);
  std::copy(name.begin(), name.end(), record);
  putLittleEndian(record + 10, static_cast<std::uint16_t>(entry.RoundsPlayed), 2);
  putLittleEndian(record + 12, static_cast<std::uint16_t>(entry.Level), 2);
  putLittleEndian(record + 14, static_cast<std::uint32_t>(entry.Score), 4);
}

std::string askName(std::int32_t score) {
  frmGetName->msLoadFormVariables(score);
  frmGetName->showModal();
  return frmGetName->mprpName();
}

typHiScore newEntry(const std::string& name, const GameEngine& game) {
  typHiScore entry;
  entry.Name = fittedName(name);
  entry.RoundsPlayed = game.mintRoundsPlayed;
  entry.Level = narrowChecked<std::int16_t>(game.mlngLevel);
  entry.Score = game.mlngScore;
  return entry;
}

}  // namespace

HiScoreFileCalls& hiScoreFileCalls() {
  static HiScoreFileCalls calls{::write, ::fsync, ::close, ::rename};
  return calls;
}

std::string hiScoreFilePath() {
  return scoresFolder() + "/HiScore.dat";
}

bool hiScoreFileExists() {
  struct stat status {};
  return ::stat(hiScoreFilePath().c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool gblnfReadHiScoreFile() {
  bool result = false;
  // Declared out here, so that the file is closed after the error report.
  std::optional<OpenFile> file;
  trap("gblnfReadHiScoreFile", [&] {
    // Never waits: whatever stands in the file's place, a read takes what is there.
    file.emplace(hiScoreFilePath(), O_RDONLY | O_NONBLOCK);
    const Bytes bytes = readBytes(file->fd(), 0, kTableLength);
    // A file that ends early reads as empty records from there on.
    TableBytes table = kEmptyTable;
    std::copy(bytes.begin(), bytes.end(), table.begin());
    for (int i = 1; i <= 5; ++i) gudtHiScores[i] = decode(table.data() + kRecordLength * (i - 1));
    file->close();
    result = true;
  });
  return result;
}

void gsSaveHiScore() {
  trap("gsSaveHiScore", [&] {
    TableBytes bytes{};
    for (int i = 1; i <= 5; ++i) encode(gudtHiScores[i], bytes.data() + kRecordLength * (i - 1));
    saveTable(bytes);
  });
}

bool mblnfHiScore(const GameEngine& game) {
  bool result = false;
  trap("mblnfHiScore", [&] {
    if (!hiScoreFileExists()) {
      // The first result of all: it makes the file.
      const typHiScore entry = newEntry(askName(game.mlngScore), game);
      for (typHiScore& old : gudtHiScores) old = typHiScore{};
      gudtHiScores[1] = entry;
      gsSaveHiScore();
      result = true;
      return;
    }
    if (!gblnfReadHiScoreFile()) return;
    // Strictly greater: an equal score goes below the older ones.
    int place = 0;
    for (int i = 1; i <= 5 && place == 0; ++i) {
      if (game.mlngScore > gudtHiScores[i].Score) place = i;
    }
    if (place == 0) return;
    const typHiScore entry = newEntry(askName(game.mlngScore), game);
    for (int j = 5; j > place; --j) gudtHiScores[j] = gudtHiScores[j - 1];
    gudtHiScores[place] = entry;
    gsSaveHiScore();
    result = true;
  });
  return result;
}

}  // namespace velloran
