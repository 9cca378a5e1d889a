#include "runtime/music_device.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "base/clock.h"
#include "base/run_time_error.h"
#include "runtime/audio.h"
#include "runtime/mixer_library.h"
#include "runtime/song_synth.h"

namespace velloran::rt {
namespace {

struct NotASong {};

// Reads a Standard MIDI File; every read past the end means the file is no song.
class SongReader {
 public:
  explicit SongReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t left() const { return bytes_.size() - at_; }
  std::uint8_t peek() const {
    if (left() < 1) throw NotASong{};
    return bytes_[at_];
  }
  std::uint8_t byte() {
    const std::uint8_t value = peek();
    ++at_;
    return value;
  }
  std::uint32_t bigEndian(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | byte();
    return value;
  }
  // A MIDI variable-length number: at most four bytes of seven bits.
  std::uint32_t variable() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t next = byte();
      value = value << 7 | (next & 0x7F);
      if (!(next & 0x80)) return value;
    }
    throw NotASong{};
  }
  std::span<const std::uint8_t> take(std::size_t count) {
    if (left() < count) throw NotASong{};
    const auto part = bytes_.subspan(at_, count);
    at_ += count;
    return part;
  }
  bool startsWith(const char (&id)[5]) const {
    return left() >= 4 && std::equal(id, id + 4, bytes_.begin() + static_cast<std::ptrdiff_t>(at_));
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

// What the tracks tell: the tempo changes by tick, the presets the song picks, and whether
// it could pick others than its program changes tell.
struct SongEvents {
  std::multimap<std::uint64_t, std::uint32_t> tempos;
  std::set<Preset> presets;
  bool picksOthers = false;
};

// The channel the synthesiser plays drums on, and the bank it picks its kits from.
constexpr int kDrumChannel = 9;
constexpr int kDrumBank = 128;

// Walks one track; gives the tick of its last event and notes what it tells in `events`.
std::uint64_t readTrack(SongReader track, SongEvents& events) {
  std::uint64_t tick = 0;
  std::uint8_t running = 0;
  while (track.left() > 0) {
    tick += track.variable();
    std::uint8_t status = track.peek();
    if (status & 0x80) {
      track.byte();
    } else if (running) {
      status = running;  // running status: the data byte stays for the event below
    } else {
      throw NotASong{};
    }
    if (status == 0xFF) {
      const std::uint8_t type = track.byte();
      SongReader data(track.take(track.variable()));
      if (type == 0x51 && data.left() == 3) events.tempos.emplace(tick, data.bigEndian(3));
      if (type == 0x2F) break;  // end of track
      running = 0;
    } else if (status == 0xF0 || status == 0xF7) {
      track.take(track.variable());
      events.picksOthers = true;  // a system-exclusive message may set up the channels anew
      running = 0;
    } else if (status < 0xF0) {
      running = status;
      const std::uint8_t kind = status & 0xF0;
      const int channel = status & 0x0F;
      const auto data = track.take(kind == 0xC0 || kind == 0xD0 ? 1 : 2);
      if (kind == 0xC0) {
        events.presets.insert({channel == kDrumChannel ? kDrumBank : 0, data[0] & 0x7F});
      }
      // A bank select (its high or low byte) picks presets by more than the program.
      if (kind == 0xB0 && (data[0] == 0 || data[0] == 32)) events.picksOthers = true;
    } else {
      throw NotASong{};
    }
  }
  return tick;
}

double secondsAt(std::uint64_t endTick, std::uint16_t division,
                 const std::multimap<std::uint64_t, std::uint32_t>& tempos) {
  if (division & 0x8000) {
    // Frames per second (stored negated) times ticks per frame.
    const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
    const int ticksPerSecond = framesPerSecond * (division & 0xFF);
    if (ticksPerSecond <= 0) throw NotASong{};
    return static_cast<double>(endTick) / ticksPerSecond;
  }
  if (division == 0) throw NotASong{};
  double seconds = 0;
  std::uint64_t tick = 0;
  std::uint32_t microsecondsPerBeat = 500000;  // 120 beats a minute until told otherwise
  for (const auto& [at, tempo] : tempos) {
    if (at >= endTick) break;
    seconds += static_cast<double>(at - tick) * microsecondsPerBeat / 1e6 / division;
    tick = at;
    microsecondsPerBeat = tempo;
  }
  return seconds + static_cast<double>(endTick - tick) * microsecondsPerBeat / 1e6 / division;
}

bool isSequencer(const std::string& deviceType) {
  return deviceType.empty() || strcasecmp(deviceType.c_str(), "Sequencer") == 0;
}

}  // namespace

namespace {

struct Song {
  double seconds = 0;
  SongEvents events;
};

std::optional<Song> readSong(std::span<const std::uint8_t> bytes) {
  try {
    SongReader file(bytes);
    if (!file.startsWith("MThd")) return std::nullopt;
    file.take(4);
    SongReader header(file.take(file.bigEndian(4)));
    header.bigEndian(2);  // format: every track is timed from the start
    header.bigEndian(2);  // track count: the chunks themselves tell
    const auto division = static_cast<std::uint16_t>(header.bigEndian(2));
    Song song;
    std::uint64_t endTick = 0;
    int tracks = 0;
    while (file.left() >= 8) {
      const bool isTrack = file.startsWith("MTrk");
      file.take(4);
      SongReader chunk(file.take(file.bigEndian(4)));
      if (!isTrack) continue;  // chunks of other kinds are skipped
      endTick = std::max(endTick, readTrack(chunk, song.events));
      ++tracks;
    }
    if (tracks == 0) return std::nullopt;
    song.seconds = secondsAt(endTick, division, song.events.tempos);
    return song;
  } catch (const NotASong&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<double> midiSongLength(std::span<const std::uint8_t> bytes) {
  const auto song = readSong(bytes);
  if (!song) return std::nullopt;
  return song->seconds;
}

std::optional<std::set<Preset>> midiSongPresets(std::span<const std::uint8_t> bytes) {
  auto song = readSong(bytes);
  if (!song || song->events.picksOthers) return std::nullopt;
  // Every channel starts on the first program of its bank.
  song->events.presets.insert({0, 0});
  song->events.presets.insert({kDrumBank, 0});
  return song->events.presets;
}

MultimediaControl::MultimediaControl()
    : statusTimer_([this] {
        const auto handler = onStatusUpdate;
        if (handler) handler();
        scheduleStatus();
      }) {}

MultimediaControl::~MultimediaControl() {
  close();
}

void MultimediaControl::setUpdateInterval(std::int16_t milliseconds) {
  updateInterval_ = milliseconds;
  scheduleStatus();
}

void MultimediaControl::scheduleStatus() {
  if (updateInterval_ <= 0) {
    statusTimer_.setEnabled(false);
    return;
  }
  // An event while the song plays would find it playing and do nothing: the next event is
  // the first of the coming ones, every interval from now, that finds the song over.
  int wait = updateInterval_;
  if (open_ && playing_) {
    const double left = length_ - position_ - (now() - startedAt_);
    const double intervals = std::ceil(left * 1000.0 / updateInterval_);
    wait = static_cast<int>(std::clamp(intervals, 1.0, 86'400'000.0 / updateInterval_)) *
           updateInterval_;
  }
  statusTimer_.setInterval(wait);
  statusTimer_.setEnabled(true);
}

double MultimediaControl::now() const {
  return gameClock().monotonic();
}

void MultimediaControl::settle() {
  if (playing_ && position_ + (now() - startedAt_) >= length_) {
    // The mixer may still ring out the last notes; the song itself is over.
    position_ = length_;
    playing_ = false;
  }
}

std::int32_t MultimediaControl::mode() {
  if (!open_) return kModeNotOpen;
  settle();
  return playing_ ? kModePlaying : kModeStopped;
}

void MultimediaControl::setCommand(const std::string& command) {
  if (command == "Open") {
    open();
  } else if (command == "Play") {
    play();
  } else if (command == "Stop") {
    stop();
  } else if (command == "Prev" || command == "Next") {
    rewind();  // the song is the one track there is: both go to its beginning
  } else if (command == "Close") {
    close();
  } else {
    raiseError(kInvalidProcedureCall);
  }
  // Inside the status event the event itself schedules the next one.
  if (statusTimer_.enabled()) scheduleStatus();
}

void MultimediaControl::open() {
  close();
  if (!isSequencer(deviceType_)) raiseError(kInvalidProcedureCall);
  const std::string path = nativePath(fileName_);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) raiseError(kFileNotFound);
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  const auto length = midiSongLength(bytes);
  if (!length || *length <= 0) raiseError(kDeviceIOError);
  // The audio device opens and the synthesiser loads the song when it first plays.
  path_ = path;
  open_ = true;
  length_ = *length;
  position_ = 0;
  playing_ = false;
}

// The song on the audio device, loaded when first wanted; none without an audio device.
bool MultimediaControl::loadIntoMixer() {
  if (synth_) return true;
  int frequency = 0;
  if (!openAudioDevice() || !mixer().QuerySpec(&frequency, nullptr, nullptr)) return false;
  std::ifstream in(path_, std::ios::binary);
  const std::vector<std::uint8_t> song{std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()};
  synth_ = SongSynth::load(song, midiSongPresets(song), frequency);
  if (!synth_) return false;
  // The device closes once nothing sounds: the song goes with it and loads again when wanted.
  holdOnAudio(this, [this] { freeMusic(); });
  return true;
}

void MultimediaControl::mixSong(void* device, std::uint8_t* stream, int bytes) {
  auto& self = *static_cast<MultimediaControl*>(device);
  if (self.paused_) return;  // the mixer's buffer stays silent
  self.synth_->render(reinterpret_cast<std::int16_t*>(stream), bytes / 4);
}

void MultimediaControl::leaveMixer() {
  if (inMixer_) mixer().HookMusic(nullptr, nullptr);  // waits while the mixer mixes
  inMixer_ = false;
}

void MultimediaControl::freeMusic() {
  letGoOfAudio(this);
  leaveMixer();
  synth_.reset();
}

void MultimediaControl::play() {
  if (!open_) return;
  settle();
  if (playing_ || position_ >= length_) return;
  paused_ = false;
  if (loadIntoMixer() && !inMixer_) {
    mixer().HookMusic(mixSong, this);
    inMixer_ = true;
  }
  // without an audio device the song only keeps its time
  playing_ = true;
  startedAt_ = now();
}

void MultimediaControl::stop() {
  if (!open_) return;
  settle();
  if (!playing_) return;
  position_ += now() - startedAt_;
  playing_ = false;
  paused_ = true;
}

void MultimediaControl::rewind() {
  if (!open_) return;
  settle();
  const bool wasPlaying = playing_;
  leaveMixer();
  if (synth_ && !synth_->rewind()) freeMusic();
  playing_ = false;
  position_ = 0;
  if (wasPlaying) play();
  closeAudioWhenSilent();  // unless the song plays again by then
}

void MultimediaControl::close() {
  if (!open_) return;
  open_ = false;
  freeMusic();
  playing_ = false;
  closeAudioWhenSilent();
}

}  // namespace velloran::rt
