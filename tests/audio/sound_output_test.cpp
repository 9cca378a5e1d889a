// The song and the thunder really sound: SDL's disk output writes what the mixer plays to a
// file, on the real clock, and the samples are looked at afterwards.

#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "runtime/audio.h"
#include "runtime/music_device.h"
#include "runtime/wave_sound.h"
#include "support/case_names.h"
#include "support/sound_files.h"

namespace velloran::rt {
namespace {

using velloran::testing::Bytes;
using velloran::testing::midiFile;
using velloran::testing::pianoBeats;
using velloran::testing::TempFolder;
using velloran::testing::waveTone;
using velloran::testing::writeFile;

class DiskOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    closeAudioDevice();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    ASSERT_TRUE(openAudioDevice());
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    ASSERT_EQ(SDL_AUDIO_BITSIZE(format), 16);
    bytesPerSecond = static_cast<std::size_t>(frequency * channels * 2);
  }
  void TearDown() override { closeAudioDevice(); }

  static void wait(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  }
  std::size_t written() const {
    std::error_code error;
    const auto size = std::filesystem::file_size(output, error);
    return error ? 0 : static_cast<std::size_t>(size);
  }
  // Closes the output and counts the samples that are not silent in [from, to) (byte offsets).
  int soundingSamples(std::size_t from, std::size_t to = SIZE_MAX) {
    closeAudioDevice();
    std::ifstream in(output, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    int sounding = 0;
    for (std::size_t at = from & ~std::size_t{1}; at + 1 < std::min(to, bytes.size()); at += 2) {
      std::int16_t sample;
      std::memcpy(&sample, &bytes[at], 2);
      if (sample > 64 || sample < -64) ++sounding;
    }
    return sounding;
  }

  TempFolder folder;
  std::string output = folder.file("output.raw");
  std::size_t bytesPerSecond = 0;
};

TEST_F(DiskOutput, TheSongSoundsStopsAndSoundsAgainFromItsBeginning) {
  const std::string song = folder.file("quiven1.mid");
  writeFile(song, midiFile({pianoBeats(8)}));
  MultimediaControl device;
  device.setFileName(song);
  device.setDeviceType("Sequencer");
  device.setCommand("Open");
  device.setCommand("Play");
  wait(0.4);
  device.setCommand("Stop");
  const std::size_t stoppedAt = written();
  wait(0.5);
  const std::size_t playedAt = written();
  device.setCommand("Prev");
  device.setCommand("Next");
  device.setCommand("Play");
  wait(0.4);
  device.setCommand("Close");
  const std::size_t closedAt = written();
  ASSERT_GT(closedAt, playedAt);
  // What the mixer had mixed before "Stop" is still written: up to one buffer of 4096
  // frames, under a tenth of a second.
  const std::size_t margin = bytesPerSecond / 4;
  EXPECT_GT(soundingSamples(0, stoppedAt), 1000) << "the first play";
  EXPECT_EQ(soundingSamples(stoppedAt + margin, playedAt), 0) << "silent while stopped";
  EXPECT_GT(soundingSamples(playedAt), 1000) << "played again after the rewind";
}

// The game's own song as the player hears it: both ears carry it, and not the same sound,
// since its parts are panned apart.
TEST_F(DiskOutput, TheGameSongSoundsInBothEarsAndDiffersBetweenThem) {
  const std::string built = std::string(VELLORAN_BINARY_DIR) + "/quiven1.mid";
  ASSERT_TRUE(std::filesystem::exists(built)) << "the song is made with the game";
  const std::string song = folder.file("quiven1.mid");
  std::filesystem::copy_file(built, song);
  int frequency = 0, channels = 0;
  Mix_QuerySpec(&frequency, nullptr, &channels);
  ASSERT_EQ(channels, 2);
  MultimediaControl device;
  device.setFileName(song);
  device.setCommand("Open");
  device.setCommand("Play");
  wait(4);
  device.setCommand("Close");
  closeAudioDevice();
  std::ifstream in(output, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  // Frames of a left and a right sample of 16 bits.
  int left = 0, right = 0, apart = 0;
  for (std::size_t at = 0; at + 3 < bytes.size(); at += 4) {
    std::int16_t sample[2];
    std::memcpy(sample, &bytes[at], 4);
    left += std::abs(sample[0]) > 64;
    right += std::abs(sample[1]) > 64;
    apart += std::abs(sample[0] - sample[1]) > 64;
  }
  // A second of the four played sounds in each ear, and half a second differs.
  EXPECT_GT(left, frequency) << "the left ear hears the song";
  EXPECT_GT(right, frequency) << "the right ear hears the song";
  EXPECT_GT(apart, frequency / 2) << "both ears hear the same: the song is in one channel";
}

// A short piano note at the song's beginning, and silence from then to its end.
Bytes noteThenSilence(double seconds) {
  Bytes track{0x00, 0xC0, 0x00, 0x00, 0x90, 60, 100, 0x78, 0x80, 60, 0};  // 120 ticks: 1/8 s
  const auto rest = static_cast<std::uint32_t>(seconds * 960) - 120;
  track.insert(track.end(), {static_cast<std::uint8_t>(0x80 | rest >> 7),
                             static_cast<std::uint8_t>(rest & 0x7F), 0xB0, 7, 100});
  return track;
}

// A song rewound while it plays, or once it has played to its end, as the table rewinds it
// for the music switched off and on, and at the song's end.
struct Rewind {
  std::string what;
  double songSeconds, playSeconds;
};

class ARewoundSong : public DiskOutput, public ::testing::WithParamInterface<Rewind> {};

TEST_P(ARewoundSong, SoundsFromItsBeginning) {
  const std::string song = folder.file("quiven1.mid");
  writeFile(song, midiFile({noteThenSilence(GetParam().songSeconds)}));
  MultimediaControl device;
  device.setFileName(song);
  device.setCommand("Open");
  device.setCommand("Play");
  wait(GetParam().playSeconds);
  device.setCommand("Stop");
  device.setCommand("Prev");
  const std::size_t rewoundAt = written();
  device.setCommand("Next");
  device.setCommand("Play");
  wait(0.5);
  device.setCommand("Close");
  EXPECT_GT(soundingSamples(0, bytesPerSecond / 2), 1000) << "the note, first";
  // The note has rung out before the rewind (well within the half second)
  EXPECT_EQ(soundingSamples(rewoundAt - bytesPerSecond / 2, rewoundAt), 0);
  EXPECT_GT(soundingSamples(rewoundAt), 1000) << "the note again";
}

INSTANTIATE_TEST_SUITE_P(Moments, ARewoundSong,
                         ::testing::Values(Rewind{"WhilePlaying", 3.0, 1.5},
                                           Rewind{"AfterItsEnd", 1.0, 1.5}),
                         velloran::testing::NamedByWhat{});

TEST_F(DiskOutput, TheThunderSoundsWhileTheCallerGoesOn) {
  const std::string thunder = folder.file("Thunder2.wav");
  writeFile(thunder, waveTone(0.3));
  ASSERT_TRUE(sndPlaySound(thunder, kSoundAsync | kSoundNoDefault));
  wait(0.4);
  EXPECT_GT(soundingSamples(0), 1000);
}

}  // namespace
}  // namespace velloran::rt
