#pragma once
// What the player hears: the sound effects the mixer is playing, and when the song plays,
// read from the music device's mode as the virtual clock runs.

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <map>
#include <string>
#include <vector>

#include "runtime/app.h"
#include "runtime/music_device.h"
#include "runtime/timer.h"

namespace velloran::testing {

// Silences every sound effect, so that the next one heard is new.
inline void silenceSounds() {
  if (SDL_WasInit(SDL_INIT_AUDIO)) Mix_HaltChannel(-1);
}

// True while a sound effect from the wave file plays on some channel of the mixer.
inline bool sounding(const std::string& waveFile) {
  if (!SDL_WasInit(SDL_INIT_AUDIO)) return false;
  // A sound is known by its length in the mixer's own format.
  static std::map<std::string, Uint32> lengths;
  if (!lengths.count(waveFile)) {
    Mix_Chunk* wave = Mix_LoadWAV(waveFile.c_str());
    if (!wave) return false;
    lengths[waveFile] = wave->alen;
    Mix_FreeChunk(wave);
  }
  bool playing = false;
  for (int channel = 0; channel < Mix_AllocateChannels(-1); ++channel) {
    const Mix_Chunk* chunk = Mix_Playing(channel) ? Mix_GetChunk(channel) : nullptr;
    playing = playing || (chunk && chunk->alen == lengths[waveFile]);
  }
  return playing;
}

// One stretch of the song playing, in seconds of the virtual clock.
struct Played {
  double from, to;
  double length() const { return to - from; }
};

// Notes when the song plays, looking at the device's mode every few milliseconds of the
// virtual clock, in whatever event loop is running (a dialog's too).
class Ear {
 public:
  explicit Ear(rt::MultimediaControl& device, int stepMilliseconds = 5)
      : device_(device), timer_([this] { look(); }, stepMilliseconds) {
    look();
    timer_.setEnabled(true);
  }
  std::vector<Played> heard() {
    look();
    return heard_;
  }

 private:
  void look() {
    const double at = rt::App::instance().clock().monotonic();
    const bool playing = device_.mode() == rt::kModePlaying;
    if (playing && !was_) heard_.push_back({at, at});
    if (playing) heard_.back().to = at;
    was_ = playing;
  }
  rt::MultimediaControl& device_;
  rt::Timer timer_;
  std::vector<Played> heard_;
  bool was_ = false;
};

// Serves events for `seconds` and notes when the song was playing.
inline std::vector<Played> listen(rt::MultimediaControl& device, double seconds) {
  Ear ear(device);
  rt::App& app = rt::App::instance();
  app.serveUntil(app.clock().monotonic() + seconds);
  return ear.heard();
}

}  // namespace velloran::testing
