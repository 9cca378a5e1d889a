#pragma once
// The MIDI sequencer device of the table window: a hidden control that opens one song,
// plays, stops and rewinds it on command, tells what it is doing as a mode number, and
// raises a status event at a set interval, by which its owner starts the song again once
// it has played to its end. While the song plays, the mode can only change when it ends, so
// the event then waits for the end instead of waking the game every interval.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>

#include "runtime/sound_font_subset.h"
#include "runtime/timer.h"

namespace velloran::rt {

class SongSynth;

// The modes the device reads.
//   524  no song open: before "Open", after an "Open" that failed, after "Close".
//   525  a song is open and not playing: just opened, stopped, rewound, or played to its end.
//   526  the song is playing.
//   530  open and idle with nothing to play, as a device with a tray or door reads while it
//        is out. A sequencer has none, so it never reads 530: its song stays open until
//        "Close" or the end of the program.
enum DeviceMode : std::int32_t {
  kModeNotOpen = 524,
  kModeStopped = 525,
  kModePlaying = 526,
  kModeOpen = 530,
};

class MultimediaControl {
 public:
  MultimediaControl();
  ~MultimediaControl();
  MultimediaControl(const MultimediaControl&) = delete;
  MultimediaControl& operator=(const MultimediaControl&) = delete;

  // Two options of the device that change nothing in how it plays.
  bool firstSetting() const { return firstSetting_; }
  void setFirstSetting(bool value) { firstSetting_ = value; }
  bool secondSetting() const { return secondSetting_; }
  void setSecondSetting(bool value) { secondSetting_ = value; }

  // While not 0, the status event comes about every that many milliseconds, in nested
  // event loops too, except while the song plays: then it comes when the song has played to
  // its end. 0 (or less) stops it.
  std::int16_t updateInterval() const { return updateInterval_; }
  void setUpdateInterval(std::int16_t milliseconds);

  const std::string& fileName() const { return fileName_; }
  void setFileName(std::string fileName) { fileName_ = std::move(fileName); }
  // "Sequencer" (or empty) is the one device there is.
  const std::string& deviceType() const { return deviceType_; }
  void setDeviceType(std::string deviceType) { deviceType_ = std::move(deviceType); }

  std::int32_t mode();

  // "Open" opens the file on the device (closing a song already open) and raises a
  // RunTimeError when it cannot: 53 for a missing file, 57 for a file that is no song. The
  // sound itself starts when the song first plays; with no audio device, or a song the
  // synthesiser cannot read, it plays in silence and keeps its time all the same. "Play" plays from
  // where the song stands; "Stop" stops it there; "Prev" and "Next" move it back to its beginning
  // (playing on if it was); "Close" closes the device. The others never raise (an unknown command
  // is error 5) and do nothing while no song is open, so the game's stop calls are harmless when
  // the music never set up.
  void setCommand(const std::string& command);

  // The status event.
  std::function<void()> onStatusUpdate;

 private:
  void open();
  void play();
  void stop();
  void rewind();
  void close();
  void settle();  // notices that the song has played to its end
  double now() const;
  void scheduleStatus();
  bool loadIntoMixer();
  void leaveMixer();
  void freeMusic();
  // Renders the song into the mixer's buffer, on the mixer's thread.
  static void mixSong(void* device, std::uint8_t* stream, int bytes);

  bool firstSetting_ = false;
  bool secondSetting_ = false;
  std::int16_t updateInterval_ = 0;
  std::string fileName_;
  std::string deviceType_;
  Timer statusTimer_;

  bool open_ = false;
  std::string path_;                  // of the open song
  std::unique_ptr<SongSynth> synth_;  // none until it plays, and while the audio device is closed
  double length_ = 0;                 // seconds
  double position_ = 0;               // seconds played up to the last start or stop
  double startedAt_ = 0;              // monotonic seconds when it last started playing
  bool playing_ = false;
  bool inMixer_ = false;              // the mixer mixes the song in, so that "Play" resumes it
  std::atomic<bool> paused_ = false;  // the mixer leaves the song out while stopped
};

// How long a Standard MIDI File plays, in seconds, through its last event; nullopt when the
// bytes are no such file.
std::optional<double> midiSongLength(std::span<const std::uint8_t> bytes);

// The presets a Standard MIDI File can pick, as the synthesiser picks them: each channel
// starts on the first program of its bank (the drum channel on the first kit) and a program
// change changes it. nullopt when the song can pick others than its program changes tell (a
// bank select, a system-exclusive message) or is no such file.
std::optional<std::set<Preset>> midiSongPresets(std::span<const std::uint8_t> bytes);

}  // namespace velloran::rt
