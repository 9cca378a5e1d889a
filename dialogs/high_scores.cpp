#include "dialogs/high_scores.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>

#include "base/checked_math.h"
#include "base/trap.h"
#include "dialogs/frm_get_name.h"
#include "engine/engine.h"
#include "runtime/app.h"

namespace velloran {
namespace {

constexpr int kNameLength = 10;
constexpr int kRecordLength = 18;
using Record = std::array<unsigned char, kRecordLength>;
using TableBytes = std::array<unsigned char, kRecordLength * 5>;

// An empty record: a blank name, then zeros.
constexpr Record kEmptyRecord = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

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

// "HiScore.dat", open for one reading or one saving. Whatever happens it is closed when
// this goes, which the procedures arrange to come after their error report.
class HiScoreFile {
 public:
  explicit HiScoreFile(int flags) {
    fd_ = ::open(hiScoreFilePath().c_str(), flags | O_CLOEXEC, 0644);
    if (fd_ < 0) raiseFileError(errno);
  }
  ~HiScoreFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  HiScoreFile(const HiScoreFile&) = delete;
  HiScoreFile& operator=(const HiScoreFile&) = delete;

  // Record `number` (1 to 5). A file that ends early reads as empty records from there on.
  Record readRecord(int number) {
    Record record = kEmptyRecord;
    std::size_t got = 0;
    const off_t start = static_cast<off_t>(kRecordLength) * (number - 1);
    while (got < record.size()) {
      const ssize_t n =
          ::pread(fd_, record.data() + got, record.size() - got, start + static_cast<off_t>(got));
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        raiseFileError(errno);
      }
      got += static_cast<std::size_t>(n);
    }
    return record;
  }

  // Rewrites the table in place; whatever the file holds past it stays.
  void writeTable(const TableBytes& bytes) {
    std::size_t put = 0;
    while (put < bytes.size()) {
      const ssize_t n =
          ::pwrite(fd_, bytes.data() + put, bytes.size() - put, static_cast<off_t>(put));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) raiseFileError(errno);
      if (n == 0) raiseError(kDeviceIOError);
      put += static_cast<std::size_t>(n);
    }
  }

  // Closes the file; for a save it first makes sure the bytes reached the disk, so that a
  // table the disk did not take is reported and not left half-written in silence.
  void close(bool flush) {
    const int fd = fd_;
    fd_ = -1;
    // Some files (devices, pipes) cannot be flushed; that is no failure of the save.
    if (flush && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
      const int error = errno;
      ::close(fd);
      raiseFileError(error);
    }
    if (::close(fd) != 0 && errno != EINTR) raiseFileError(errno);
  }

 private:
  int fd_ = -1;
};

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

typHiScore decode(const Record& record) {
  typHiScore entry;
  entry.Name.assign(reinterpret_cast<const char*>(record.data()), kNameLength);
  entry.RoundsPlayed = int16At(record.data() + 10);
  entry.Level = int16At(record.data() + 12);
  entry.Score = int32At(record.data() + 14);
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

std::string hiScoreFilePath() {
  return rt::App::instance().programFolder() + "/HiScore.dat";
}

bool hiScoreFileExists() {
  struct stat status {};
  return ::stat(hiScoreFilePath().c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool gblnfReadHiScoreFile() {
  bool result = false;
  std::optional<HiScoreFile> file;
  trap("gblnfReadHiScoreFile", [&] {
    file.emplace(O_RDONLY);
    for (int i = 1; i <= 5; ++i) gudtHiScores[i] = decode(file->readRecord(i));
    file->close(false);
    result = true;
  });
  return result;
}

void gsSaveHiScore() {
  std::optional<HiScoreFile> file;
  trap("gsSaveHiScore", [&] {
    file.emplace(O_WRONLY | O_CREAT);
    TableBytes bytes{};
    for (int i = 1; i <= 5; ++i) encode(gudtHiScores[i], bytes.data() + kRecordLength * (i - 1));
    file->writeTable(bytes);
    file->close(true);
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
