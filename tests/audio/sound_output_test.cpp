// The song and the thunder really sound: SDL's disk output writes what the mixer plays to a
// file, on the real clock, and the samples are looked at afterwards.

#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "runtime/audio.h"
#include "runtime/music_device.h"
#include "runtime/wave_sound.h"
#include "support/sound_files.h"

namespace velloran::rt {
namespace {

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

TEST_F(DiskOutput, TheThunderSoundsWhileTheCallerGoesOn) {
  const std::string thunder = folder.file("Thunder2.wav");
  writeFile(thunder, waveTone(0.3));
  ASSERT_TRUE(sndPlaySound(thunder, kSoundAsync | kSoundNoDefault));
  wait(0.4);
  EXPECT_GT(soundingSamples(0), 1000);
}

}  // namespace
}  // namespace velloran::rt
