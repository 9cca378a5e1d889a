// The song's synthesiser reads only the soundfont presets that the song picks, and sounds
// just as with the whole soundfont.

#include "runtime/song_synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/music_device.h"
#include "runtime/sound_font_subset.h"
#include "support/case_names.h"
#include "support/sound_files.h"

namespace velloran::rt {
namespace {

using velloran::testing::Bytes;
using velloran::testing::midiFile;

const std::string kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

struct PresetCase {
  std::string what;
  Bytes track;
  std::optional<std::set<Preset>> presets;
};

class SongPresets : public ::testing::TestWithParam<PresetCase> {};

TEST_P(SongPresets, AreThoseItsProgramChangesPick) {
  EXPECT_EQ(midiSongPresets(midiFile({GetParam().track})), GetParam().presets);
}

INSTANTIATE_TEST_SUITE_P(
    Songs, SongPresets,
    ::testing::Values(
        PresetCase{"Program changes, one in running status and one on the drum channel",
                   {0x00, 0xC0, 73, 0x00, 0xC9, 25, 0x00, 0xC1, 32, 0x00, 48},
                   std::set<Preset>{{0, 0}, {128, 0}, {0, 73}, {128, 25}, {0, 32}, {0, 48}}},
        PresetCase{"Other controllers and notes only",
                   {0x00, 0xB0, 7, 100, 0x00, 0xB0, 91, 40, 0x00, 0x99, 36, 100},
                   std::set<Preset>{{0, 0}, {128, 0}}},
        PresetCase{"A bank select", {0x00, 0xB0, 0, 1, 0x00, 0xC0, 5}, std::nullopt},
        PresetCase{"A bank select's low byte", {0x00, 0xB3, 32, 1}, std::nullopt},
        PresetCase{"A system-exclusive message",
                   {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
                   std::nullopt}),
    velloran::testing::NamedByWhat{});

TEST(SongPresetsOf, NoSongAreNone) {
  EXPECT_EQ(midiSongPresets(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}), std::nullopt);
}

// A flute tune over a bass line, with drums: three presets and a drum kit besides the first
// program and kit every channel starts on.
Bytes trio() {
  Bytes flute{0x00, 0xC0, 73}, bass{0x00, 0xC1, 32}, drums{0x00, 0xC9, 25};
  for (int beat = 0; beat < 4; ++beat) {
    const auto note = static_cast<std::uint8_t>(72 + beat * 2);
    flute.insert(flute.end(), {0x00, 0x90, note, 90, 0x83, 0x60, 0x80, note, 0});
    bass.insert(bass.end(), {0x00, 0x91, 36, 100, 0x83, 0x60, 0x81, 36, 0});
    drums.insert(drums.end(), {0x00, 0x99, 38, 110, 0x83, 0x60, 0x89, 38, 0});
  }
  return midiFile({flute, bass, drums});
}

std::vector<std::int16_t> render(SongSynth& synth, double seconds) {
  constexpr int kFrames = 4096;
  std::vector<std::int16_t> sound;
  for (std::size_t at = 0; at < seconds * 44100 * 2; at += 2 * kFrames) {
    sound.resize(at + 2 * kFrames);
    synth.render(sound.data() + at, kFrames);
  }
  return sound;
}

TEST(SongSynth, TheSoundFontCutToTheSongsPresetsSoundsAsTheWholeOne) {
  ASSERT_TRUE(std::filesystem::exists(kSoundFont));
  const Bytes song = trio();
  const auto presets = midiSongPresets(song);
  ASSERT_TRUE(presets);
  const auto cut = SongSynth::load(song, presets, 44100);
  const auto whole = SongSynth::load(song, std::nullopt, 44100);
  ASSERT_TRUE(cut && whole);
  const auto heard = render(*cut, 2.5);
  EXPECT_GT(std::count_if(heard.begin(), heard.end(), [](int s) { return std::abs(s) > 64; }),
            44100);
  EXPECT_TRUE(heard == render(*whole, 2.5)) << "the cut soundfont sounds otherwise";

  // The cut holds little of the soundfont: so little is read.
  const auto subset = soundFontSubset(kSoundFont, *presets);
  ASSERT_TRUE(subset);
  EXPECT_LT(subset->size(), std::filesystem::file_size(kSoundFont) / 4);
}

TEST(SongSynth, LeavesNoThreadBehind) {
  const Bytes song = trio();
  ASSERT_TRUE(SongSynth::load(song, midiSongPresets(song), 44100));
  const auto tasks = std::filesystem::directory_iterator("/proc/self/task");
  EXPECT_EQ(std::distance(begin(tasks), end(tasks)), 1) << "threads besides the test's own";
}

TEST(SoundFontSubset, IsNoneOfAFileLackingAPresetOrNoSoundFont) {
  EXPECT_FALSE(soundFontSubset(kSoundFont, {{0, 0}, {7, 1}}));
  velloran::testing::TempFolder folder;
  const std::string song = folder.file("song.mid");
  velloran::testing::writeFile(song, trio());
  EXPECT_FALSE(soundFontSubset(song, {{0, 0}}));
  EXPECT_FALSE(soundFontSubset(folder.file("missing.sf2"), {{0, 0}}));
}

}  // namespace
}  // namespace velloran::rt
