// The song and the thunder that the build puts beside the executable, read as a MIDI
// sequencer and a wave player would read them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace velloran {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readBesideExecutable(const std::string& name) {
  std::ifstream in(std::string(VELLORAN_BINARY_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t bigEndian(const Bytes& b, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = (value << 8) | b.at(at + i);
  return value;
}

std::uint32_t littleEndian(const Bytes& b, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | b.at(at + i);
  return value;
}

std::string tag(const Bytes& b, std::size_t at) {
  return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
}

// ---------------------------------------------------------------- the song

struct Song {
  int tracks = 0;
  int division = 0;
  long notes = 0;           // note-ons with a velocity
  long hangingNotes = 0;    // notes still sounding when their track ends
  int melodicPrograms = 0;  // program changes outside the percussion channel
  std::uint32_t lastTick = 0;
  std::map<std::uint32_t, std::uint32_t> tempos;  // tick -> microseconds per beat
};

std::uint32_t variableLength(const Bytes& b, std::size_t& at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const std::uint8_t byte = b.at(at++);
    value = (value << 7) | (byte & 0x7F);
    if (!(byte & 0x80)) return value;
  }
  throw std::runtime_error("variable-length quantity longer than four bytes");
}

// Walks one track's events; fails the test on anything a sequencer could not play.
void readTrack(const Bytes& b, std::size_t at, std::size_t end, Song& song) {
  std::uint32_t tick = 0;
  std::uint8_t status = 0;
  std::map<int, int> sounding;  // channel * 128 + key -> count
  bool ended = false;
  while (at < end) {
    ASSERT_FALSE(ended) << "events after the end of the track";
    tick += variableLength(b, at);
    if (b.at(at) & 0x80) status = b.at(at++);
    ASSERT_NE(status, 0) << "running status with no status before it";
    if (status == 0xFF) {
      const std::uint8_t kind = b.at(at++);
      const std::uint32_t length = variableLength(b, at);
      if (kind == 0x51) song.tempos[tick] = bigEndian(b, at, 3);
      if (kind == 0x2F) ended = true;
      at += length;
      continue;
    }
    ASSERT_NE(status & 0xF0, 0xF0) << "system exclusive in a song";
    const int channel = status & 0x0F;
    const int command = status & 0xF0;
    const int data = (command == 0xC0 || command == 0xD0) ? 1 : 2;
    const int key = b.at(at);
    const int velocity = data == 2 ? b.at(at + 1) : 0;
    at += data;
    if (command == 0x90 && velocity > 0) {
      ++song.notes;
      ++sounding[channel * 128 + key];
    } else if (command == 0x80 || command == 0x90) {
      --sounding[channel * 128 + key];
    } else if (command == 0xC0 && channel != 9) {
      ++song.melodicPrograms;
    }
  }
  ASSERT_TRUE(ended) << "a track without its end";
  ASSERT_EQ(at, end) << "a track running past its chunk";
  for (const auto& [note, count] : sounding) song.hangingNotes += std::max(count, 0);
  song.lastTick = std::max(song.lastTick, tick);
}

double secondsOf(const Song& song) {
  double seconds = 0;
  std::uint32_t tick = 0;
  std::uint32_t tempo = 500000;  // the standard's default, 120 beats a minute
  for (const auto& [at, micros] : song.tempos) {
    seconds += double(std::min(at, song.lastTick) - tick) * tempo / song.division / 1e6;
    tick = std::min(at, song.lastTick);
    tempo = micros;
  }
  return seconds + double(song.lastTick - tick) * tempo / song.division / 1e6;
}

TEST(Song, IsAStandardMidiFileOfOneToTwoMinutesThatLoopsCleanly) {
  const Bytes b = readBesideExecutable("quiven1.mid");
  ASSERT_GE(b.size(), 14u) << "quiven1.mid missing beside the executable";
  ASSERT_EQ(tag(b, 0), "MThd");
  ASSERT_EQ(bigEndian(b, 4, 4), 6u);
  EXPECT_EQ(bigEndian(b, 8, 2), 1u);  // format 1: one track per part
  Song song;
  song.tracks = static_cast<int>(bigEndian(b, 10, 2));
  song.division = static_cast<int>(bigEndian(b, 12, 2));
  ASSERT_GT(song.division, 0);
  ASSERT_LT(song.division, 0x8000) << "ticks per beat, not frames";
  std::size_t at = 14;
  for (int track = 0; track < song.tracks; ++track) {
    SCOPED_TRACE(testing::Message() << "track " << track);
    ASSERT_EQ(tag(b, at), "MTrk");
    const std::size_t end = at + 8 + bigEndian(b, at + 4, 4);
    ASSERT_LE(end, b.size());
    readTrack(b, at + 8, end, song);
    at = end;
  }
  EXPECT_EQ(at, b.size()) << "bytes after the last track";
  EXPECT_GT(song.notes, 200);
  EXPECT_GT(song.melodicPrograms, 0) << "no General MIDI instrument chosen";
  EXPECT_EQ(song.hangingNotes, 0) << "notes left sounding into the next play";
  const double seconds = secondsOf(song);
  EXPECT_GE(seconds, 60.0);
  EXPECT_LE(seconds, 120.0);
}

// ---------------------------------------------------------------- the thunder

TEST(Thunder, IsAShortAudiblePcmWave) {
  const Bytes b = readBesideExecutable("Thunder2.wav");
  ASSERT_GE(b.size(), 44u) << "Thunder2.wav missing beside the executable";
  ASSERT_EQ(tag(b, 0), "RIFF");
  EXPECT_EQ(littleEndian(b, 4, 4), b.size() - 8);
  ASSERT_EQ(tag(b, 8), "WAVE");
  int channels = 0;
  std::uint32_t rate = 0;
  int bits = 0;
  std::size_t data = 0;
  std::uint32_t dataLength = 0;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::uint32_t length = littleEndian(b, at + 4, 4);
    if (tag(b, at) == "fmt ") {
      EXPECT_EQ(littleEndian(b, at + 8, 2), 1u) << "not plain PCM";
      channels = static_cast<int>(littleEndian(b, at + 10, 2));
      rate = littleEndian(b, at + 12, 4);
      bits = static_cast<int>(littleEndian(b, at + 22, 2));
    } else if (tag(b, at) == "data") {
      data = at + 8;
      dataLength = length;
    }
    at += 8 + length + (length & 1);
  }
  ASSERT_TRUE(channels == 1 || channels == 2);
  ASSERT_EQ(bits, 16);
  ASSERT_GT(rate, 0u);
  ASSERT_GT(data, 0u) << "no sound data";
  ASSERT_LE(data + dataLength, b.size());
  const double seconds = double(dataLength) / (rate * channels * 2);
  EXPECT_GE(seconds, 1.0);
  EXPECT_LE(seconds, 3.0);
  int loudest = 0;
  for (std::size_t at = data; at + 1 < data + dataLength; at += 2) {
    const auto sample = static_cast<std::int16_t>(littleEndian(b, at, 2));
    loudest = std::max(loudest, std::abs(int(sample)));
  }
  EXPECT_GT(loudest, 8000) << "a thunder clap nobody would hear";
}

}  // namespace
}  // namespace velloran
