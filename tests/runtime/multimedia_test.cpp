#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "base/run_time_error.h"
#include "runtime/audio.h"
#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/music_device.h"
#include "runtime/wave_sound.h"
#include "support/headless_app.h"
#include "support/sound_files.h"

namespace velloran::rt {
namespace {

using velloran::testing::Bytes;
using velloran::testing::HeadlessApp;
using velloran::testing::midiFile;
using velloran::testing::pianoBeats;
using velloran::testing::TempFolder;
using velloran::testing::waveTone;
using velloran::testing::writeFile;

// The error number a command raises, or 0.
std::int32_t errorOf(const std::function<void()>& command) {
  try {
    command();
  } catch (const RunTimeError& error) {
    return error.number();
  }
  return 0;
}

// The device as the table window drives it, with a song of four beats (two seconds) on the
// virtual clock.
class MusicDevice : public HeadlessApp {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    HeadlessApp::SetUp();
    writeFile(song, midiFile({pianoBeats(4)}));
  }

  void openSong(const std::string& fileName) {
    device.setFirstSetting(true);
    device.setSecondSetting(false);
    device.setUpdateInterval(0);
    device.setFileName(fileName);
    device.setDeviceType("Sequencer");
    device.setCommand("Open");
  }
  // What the table window's status handler does: start the song again when it is stopped.
  void loopTheSong() {
    device.onStatusUpdate = [this] {
      if (device.mode() == kModeStopped) {
        device.setCommand("Next");
        device.setCommand("Play");
        starts.push_back(now());
      }
    };
  }
  void switchOff() {
    device.setUpdateInterval(0);
    device.setCommand("Stop");
    device.setCommand("Prev");
  }
  void serveFor(double seconds) { app().serveUntil(now() + seconds); }

  TempFolder folder;
  std::string song = folder.file("quiven1.mid");
  MultimediaControl device;
  std::vector<double> starts;
};

TEST_F(MusicDevice, StatusEventsStartTheSongAndStartItAgainWhenItHasPlayedToItsEnd) {
  EXPECT_EQ(device.mode(), kModeNotOpen);
  // The game builds the name with a backslash.
  openSong(folder.path() + "\\quiven1.mid");
  EXPECT_EQ(device.mode(), kModeStopped)
      << "an opened song reads stopped, so the first event starts it";
  loopTheSong();
  device.setUpdateInterval(55);
  serveFor(0.06);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NEAR(starts[0], 0.055, 1e-9);
  EXPECT_EQ(device.mode(), kModePlaying);
  int events = 0;
  device.onStatusUpdate = [&, loop = device.onStatusUpdate] {
    ++events;
    loop();
  };
  serveFor(1.9);
  EXPECT_EQ(starts.size(), 1u);
  EXPECT_EQ(events, 0) << "while it plays the game is not woken for nothing";
  serveFor(0.2);  // two seconds after it started it has ended
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_NEAR(starts[1] - starts[0], 2.0, 0.056) << "started again within one interval of its end";
  EXPECT_LE(events, 2);
  EXPECT_EQ(device.mode(), kModePlaying);

  switchOff();
  EXPECT_EQ(device.mode(), kModeStopped);
  serveFor(5);
  EXPECT_EQ(starts.size(), 2u) << "no status events once the interval is 0";
  EXPECT_EQ(device.mode(), kModeStopped);
  device.setCommand("Close");
  EXPECT_EQ(device.mode(), kModeNotOpen);
}

// After 1.5 s of the 2 s song, some commands; then another second decides whether the song
// went on from where it was (it has ended by then) or from its beginning (it still plays).
struct WhereItGoesOn {
  const char* name;
  std::vector<std::string> commands;
  std::int32_t modeASecondLater;
  friend void PrintTo(const WhereItGoesOn& c, std::ostream* os) { *os << c.name; }
};

class StopAndRewind : public MusicDevice, public ::testing::WithParamInterface<WhereItGoesOn> {};

TEST_P(StopAndRewind, DecideWhereTheSongGoesOn) {
  openSong(song);
  device.setCommand("Play");
  serveFor(1.5);
  for (const auto& command : GetParam().commands) device.setCommand(command);
  serveFor(1.0);
  EXPECT_EQ(device.mode(), GetParam().modeASecondLater);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, StopAndRewind,
    ::testing::Values(
        WhereItGoesOn{"StopThenPlayGoesOnWhereItStopped", {"Stop", "Play"}, kModeStopped},
        WhereItGoesOn{"StopPrevPlayStartsFromTheBeginning", {"Stop", "Prev", "Play"}, kModePlaying},
        WhereItGoesOn{"NextWhilePlayingPlaysOnFromTheBeginning", {"Next"}, kModePlaying},
        WhereItGoesOn{"PlayWhilePlayingChangesNothing", {"Play"}, kModeStopped},
        WhereItGoesOn{"StopStaysStopped", {"Stop"}, kModeStopped},
        WhereItGoesOn{"PrevWhenStoppedDoesNotPlay", {"Stop", "Prev"}, kModeStopped}),
    [](const auto& info) { return std::string(info.param.name); });

struct TheGame : Form {
  using Form::Form;
};
struct Dialog : Form {
  using Form::Form;
  void Form_KeyPress(std::int16_t& keyAscii) override {
    if (keyAscii == vbKeyReturn) unload();
  }
};

TEST_F(MusicDevice, StatusEventsComeEveryIntervalInsideAModalDialog) {
  TheGame table("frmMain");
  Dialog dialog("frmHiScore");
  table.show();
  std::vector<double> events;
  device.onStatusUpdate = [&] { events.push_back(now()); };
  device.setUpdateInterval(55);
  headless->script("frmHiScore", velloran::rt::pressKeys({vbKeyReturn}, 0.5));
  dialog.showModal();
  ASSERT_EQ(events.size(), 9u) << "every 55 ms for the half second the dialog was open";
  for (std::size_t i = 1; i < events.size(); ++i)
    EXPECT_NEAR(events[i] - events[i - 1], 0.055, 1e-9);
  device.setUpdateInterval(0);
  serveFor(1.0);
  EXPECT_EQ(events.size(), 9u);
  EXPECT_EQ(device.updateInterval(), 0);
}

// Nothing keeps the audio device open (and its mixer running) while the game is silent: it
// opens when the song first plays or a sound starts, and closes once both are over.
TEST_F(MusicDevice, TheAudioDeviceIsOpenOnlyWhileSomethingSounds) {
  closeAudioDevice();
  const std::string thunder = folder.file("Thunder2.wav");
  writeFile(thunder, waveTone(0.05));
  openSong(song);
  EXPECT_FALSE(audioDeviceOpen()) << "opening the song loads nothing yet";
  device.setCommand("Play");
  EXPECT_TRUE(audioDeviceOpen());
  device.setCommand("Next");  // the song at its end: started again at once
  device.setCommand("Play");
  app().doEvents();
  EXPECT_TRUE(audioDeviceOpen()) << "started again, the song keeps the device";
  switchOff();
  app().doEvents();
  EXPECT_FALSE(audioDeviceOpen()) << "stopped and rewound, nothing sounds";
  EXPECT_EQ(device.mode(), kModeStopped);

  ASSERT_TRUE(sndPlaySound(thunder, kSoundAsync | kSoundNoDefault));
  EXPECT_TRUE(audioDeviceOpen());
  // The mixer says from its own thread when the sound is over; the loop closes the device.
  for (int turn = 0; turn < 300 && audioDeviceOpen(); ++turn) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    app().doEvents();
  }
  EXPECT_FALSE(audioDeviceOpen()) << "the thunder has rolled away";

  device.setCommand("Play");
  EXPECT_TRUE(audioDeviceOpen()) << "the song loads again when it plays again";
  EXPECT_EQ(device.mode(), kModePlaying);
  device.setCommand("Close");
  app().doEvents();
  EXPECT_FALSE(audioDeviceOpen());
}

TEST_F(MusicDevice, CommandsBeforeAnyOpenDoNothing) {
  for (const char* command : {"Stop", "Prev", "Play", "Next", "Close"}) {
    EXPECT_NO_THROW(device.setCommand(command)) << command;
  }
  EXPECT_EQ(device.mode(), kModeNotOpen);
  EXPECT_EQ(errorOf([&] { device.setCommand("Eject"); }), kInvalidProcedureCall);
}

struct BadSong {
  const char* name;
  std::function<void(const std::string& path)> make;
  const char* deviceType;
  std::int32_t error;
  friend void PrintTo(const BadSong& c, std::ostream* os) { *os << c.name; }
};

class OpenFails : public MusicDevice, public ::testing::WithParamInterface<BadSong> {};

TEST_P(OpenFails, WithARunTimeErrorAndLeavesTheDeviceClosed) {
  openSong(song);  // a song that was open is closed by the failed Open
  const std::string path = folder.file("bad.mid");
  GetParam().make(path);
  device.setFileName(path);
  device.setDeviceType(GetParam().deviceType);
  EXPECT_EQ(errorOf([&] { device.setCommand("Open"); }), GetParam().error);
  EXPECT_EQ(device.mode(), kModeNotOpen);
  device.setCommand("Stop");
  device.setCommand("Prev");
  EXPECT_EQ(device.mode(), kModeNotOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenFails,
    ::testing::Values(BadSong{"MissingFile", [](const std::string&) {}, "Sequencer", kFileNotFound},
                      BadSong{"Folder",
                              [](const std::string& p) { std::filesystem::create_directory(p); },
                              "Sequencer", kFileNotFound},
                      BadSong{"Text",
                              [](const std::string& p) {
                                writeFile(p, Bytes{'n', 'o', ' ', 's', 'o', 'n', 'g'});
                              },
                              "Sequencer", kDeviceIOError},
                      BadSong{"CutShort",
                              [](const std::string& p) {
                                Bytes bytes = midiFile({pianoBeats(4)});
                                bytes.resize(bytes.size() - 9);
                                writeFile(p, bytes);
                              },
                              "Sequencer", kDeviceIOError},
                      BadSong{"OtherDeviceType",
                              [](const std::string& p) { writeFile(p, midiFile({pianoBeats(1)})); },
                              "WaveAudio", kInvalidProcedureCall}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MusicDevice, WithoutAnAudioDeviceTheSongKeepsItsTimeSilentlyAndWavesAreSilent) {
  // Another output for this test alone: the device opens afresh on both sides of it.
  const std::string driver = getenv("SDL_AUDIODRIVER") ? getenv("SDL_AUDIODRIVER") : "";
  closeAudioDevice();
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const std::string thunder = folder.file("Thunder2.wav");
  writeFile(thunder, waveTone(0.2));
  device.setFileName(song);
  device.setDeviceType("Sequencer");
  EXPECT_EQ(errorOf([&] { device.setCommand("Open"); }), 0) << "no error box on a silent machine";
  EXPECT_EQ(device.mode(), kModeStopped);
  device.setCommand("Play");
  EXPECT_EQ(device.mode(), kModePlaying) << "the game's music loop runs as ever, silently";
  device.setCommand("Stop");
  EXPECT_EQ(device.mode(), kModeStopped);
  EXPECT_FALSE(sndPlaySound(thunder, kSoundAsync | kSoundNoDefault));
  closeAudioDevice();
  setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
}

TEST_F(MusicDevice, WavesPlayAndMissingOrUnplayableOnesAreSilent) {
  writeFile(folder.file("Thunder2.wav"), waveTone(0.2));
  writeFile(folder.file("notes.wav"), Bytes{'R', 'I', 'F', 'F', 1, 2, 3});
  const unsigned flags = kSoundAsync | kSoundNoDefault;
  EXPECT_TRUE(sndPlaySound(folder.path() + "\\Thunder2.wav", flags));
  EXPECT_TRUE(sndPlaySound(folder.file("Thunder2.wav"), flags)) << "again, over the first";
  EXPECT_FALSE(sndPlaySound(folder.file("Missing.wav"), flags));
  EXPECT_FALSE(sndPlaySound(folder.file("notes.wav"), flags));
  EXPECT_FALSE(sndPlaySound(folder.path(), flags));
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(MusicDevice, TheGameSongAndThunderPlay) {
  const std::string assets = std::string(VELLORAN_BINARY_DIR) + "/";  // where the game finds them
  if (!std::filesystem::exists(assets + "quiven1.mid") ||
      !std::filesystem::exists(assets + "Thunder2.wav")) {
    GTEST_SKIP() << "the song and the thunder are not made yet";
  }
  openSong(assets + "quiven1.mid");
  device.setCommand("Play");
  EXPECT_EQ(device.mode(), kModePlaying);
  serveFor(10);
  EXPECT_EQ(device.mode(), kModePlaying) << "the song lasts longer than ten seconds";
  EXPECT_TRUE(sndPlaySound(assets + "Thunder2.wav", kSoundAsync | kSoundNoDefault));
}

// Ticks of 480 to the beat; 500000 microseconds a beat unless a tempo event says otherwise.
Bytes tempo(std::uint32_t microsecondsPerBeat, Bytes delta = {0x00}) {
  delta.insert(delta.end(), {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsecondsPerBeat >> 16),
                             static_cast<std::uint8_t>(microsecondsPerBeat >> 8),
                             static_cast<std::uint8_t>(microsecondsPerBeat)});
  return delta;
}
Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct SongLength {
  const char* name;
  Bytes file;
  std::optional<double> seconds;
  friend void PrintTo(const SongLength& c, std::ostream* os) { *os << c.name; }
};

class MidiLength : public ::testing::TestWithParam<SongLength> {};

TEST_P(MidiLength, RunsThroughTheLastEventAtTheTempoOfTheMoment) {
  const auto length = midiSongLength(GetParam().file);
  ASSERT_EQ(length.has_value(), GetParam().seconds.has_value());
  if (length) {
    EXPECT_NEAR(*length, *GetParam().seconds, 1e-9);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, MidiLength,
    ::testing::Values(
        SongLength{"FourBeats", midiFile({pianoBeats(4)}), 2.0},
        // Two beats at 120 a minute, then 60 a minute for two more.
        SongLength{"TempoChange", midiFile({concat(pianoBeats(2), concat(tempo(1000000), pianoBeats(2)))}), 3.0},
        // The tempo track of a format 1 file rules the notes of the others; the longest track ends it.
        SongLength{"TempoTrack", midiFile({tempo(250000), pianoBeats(2), pianoBeats(6)}), 1.5},
        SongLength{"FramesPerSecond", midiFile({pianoBeats(1)}, 0xE728), 0.48},  // 25 x 40 ticks a second
        SongLength{"EndOfTrackAfterSilence", midiFile({{0x87, 0x40, 0xFF, 0x01, 0x00}}), 1.0},
        SongLength{"NotMidi", waveTone(0.01), std::nullopt},
        SongLength{"NoTracks", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 0, 1, 0xE0}, std::nullopt},
        SongLength{"DataWithoutStatus", midiFile({{0x00, 0x40, 0x40}}), std::nullopt},
        SongLength{"FiveByteDelta", midiFile({{0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}}), std::nullopt},
        SongLength{"TrackLongerThanTheFile",
                   [] {
                     Bytes file = midiFile({pianoBeats(1)});
                     file[21] = 0x7F;
                     return file;
                   }(),
                   std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velloran::rt
