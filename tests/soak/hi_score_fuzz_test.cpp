// The high-score reader fed thousands of files, random, short, long and cut off anywhere:
// it never fails on them, and the table it reads is always what the file holds. What the
// file holds is worked out here on its own terms, byte by byte, not by the game's code.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "dialogs/frm_hi_score.h"
#include "dialogs/high_scores.h"
#include "runtime/keys.h"
#include "soak_settings.h"
#include "support/headless_app.h"
#include "table/frm_main.h"
#include "windows/window_helpers.h"

namespace velloran::soak {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRecord = 18;
constexpr std::size_t kTable = 5 * kRecord;

struct Entry {
  std::string name;
  std::int16_t rounds = 0;
  std::int16_t level = 0;
  std::int32_t score = 0;
};

// The five entries a file holds: records of a 10-byte name and three little-endian numbers
// (16, 16 and 32 bits, signed). Bytes past 90 are not part of the table; a short file reads
// as if the bytes of empty records (ten blanks, then zeros) followed it.
std::array<Entry, 5> tableIn(const std::string& file) {
  std::string bytes = file.substr(0, kTable);
  const std::string empty = std::string(10, ' ') + std::string(8, '\0');
  while (bytes.size() < kTable) bytes += empty[bytes.size() % kRecord];
  const auto byte = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]));
  };
  std::array<Entry, 5> table;
  for (std::size_t k = 0; k < 5; ++k) {
    const std::size_t at = k * kRecord;
    table[k].name = bytes.substr(at, 10);
    table[k].rounds = static_cast<std::int16_t>(byte(at + 10) | byte(at + 11) << 8);
    table[k].level = static_cast<std::int16_t>(byte(at + 12) | byte(at + 13) << 8);
    table[k].score = static_cast<std::int32_t>(byte(at + 14) | byte(at + 15) << 8 |
                                               byte(at + 16) << 16 | byte(at + 17) << 24);
  }
  return table;
}

class HiScoreFuzz : public velloran::testing::HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    folder = fs::temp_directory_path() / ("velloran_fuzz_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    app().setProgramFolder(folder.string());
    setErrorReporter(
        [this](std::int32_t number, const std::string& description, const std::string& procedure) {
          errors.push_back(procedure + ": " + std::to_string(number) + " " + description);
        });
    frmMain->setClientSize(795, 581);  // the table dialog centres itself over the table
  }
  void TearDown() override {
    gsReleaseObjects(frmHiScore, frmMain);
    HeadlessApp::TearDown();
    setErrorReporter(nullptr);
    fs::remove_all(folder);
  }

  // A file of one of four sorts: random bytes of any short length; a table of records cut
  // off anywhere; a table with more after it; a table of extreme values.
  std::string makeFile(std::mt19937_64& random, int sort) {
    const auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const auto randomBytes = [&](std::size_t n) {
      std::string bytes(n, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      return bytes;
    };
    // Records as a game might write them: a name of letters and blanks, and small numbers.
    const auto plausibleTable = [&] {
      std::string bytes;
      for (int k = 0; k < 5; ++k) {
        std::string name(below(11), 'A');
        for (char& c : name) c = static_cast<char>(below(3) == 0 ? ' ' : 'A' + below(26));
        name.resize(10, ' ');
        bytes += name;
        const std::uint32_t score = static_cast<std::uint32_t>(below(100000));
        const char numbers[8] = {static_cast<char>(below(20)),    0,
                                 static_cast<char>(1 + below(5)), 0,
                                 static_cast<char>(score),        static_cast<char>(score >> 8),
                                 static_cast<char>(score >> 16),  0};
        bytes.append(numbers, 8);
      }
      return bytes;
    };
    switch (sort) {
      case 0:
        return randomBytes(below(2 * kTable + 1));
      case 1:
        return plausibleTable().substr(0, below(kTable + 1));
      case 2:
        return plausibleTable() + randomBytes(1 + below(4096));
      default: {
        // Any byte in a name; numbers at their limits and around zero.
        static constexpr std::uint32_t kExtremes[] = {
            0, 1, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 0x00007FFF, 0x00008000, 0x0000FFFF};
        std::string bytes;
        for (int k = 0; k < 5; ++k) {
          bytes += randomBytes(10);
          for (const int size : {2, 2, 4}) {
            const std::uint32_t value =
                below(2) ? kExtremes[below(8)] : static_cast<std::uint32_t>(random());
            for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i));
          }
        }
        return bytes;
      }
    }
  }

  fs::path folder;
  std::vector<std::string> errors;
};

TEST_F(HiScoreFuzz, TheTableReadIsAlwaysWhatTheFileHolds) {
  const long files = settingOr("VELLORAN_SOAK_FILES", 4000);
  const long firstSeed = settingOr("VELLORAN_SOAK_FIRST_SEED", 1);
  std::array<long, 4> bySort{};
  long shown = 0;
  for (long n = 0; n < files; ++n) {
    const long seed = firstSeed + n;
    const SeedInPlay inPlay("reading the high scores of", seed, "VELLORAN_SOAK_FILES=1");
    std::mt19937_64 random(static_cast<std::uint64_t>(seed));
    const int sort = static_cast<int>(random() % 4);
    const std::string file = makeFile(random, sort);
    ++bySort[static_cast<std::size_t>(sort)];
    std::ofstream(folder / "HiScore.dat", std::ios::binary | std::ios::trunc) << file;
    // Whatever the table held before must not show through.
    for (typHiScore& entry : gudtHiScores) entry = {"stale     ", 99, 99, 99};

    // One file in a hundred goes through the table dialog, which reads it and prints it.
    if (n % 100 == 0) {
      headless->script("frmHiScore", rt::pressKeys({rt::vbKeyEscape}));
      frmHiScore->showModal();
      ++shown;
    } else {
      EXPECT_TRUE(gblnfReadHiScoreFile());
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
    const std::array<Entry, 5> expected = tableIn(file);
    for (int k = 1; k <= 5; ++k) {
      const typHiScore& entry = gudtHiScores[k];
      const Entry& want = expected[static_cast<std::size_t>(k - 1)];
      EXPECT_EQ(entry.Name, want.name) << "entry " << k;
      EXPECT_EQ(entry.RoundsPlayed, want.rounds) << "entry " << k;
      EXPECT_EQ(entry.Level, want.level) << "entry " << k;
      EXPECT_EQ(entry.Score, want.score) << "entry " << k;
    }
    if (HasFailure()) break;
  }
  std::printf(
      "fuzz: %ld high-score files read (%ld random, %ld cut short, %ld long, %ld extreme), "
      "%ld of them through the table dialog\n",
      files, bySort[0], bySort[1], bySort[2], bySort[3], shown);
}

}  // namespace
}  // namespace velloran::soak
