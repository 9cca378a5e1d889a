#include "runtime/audio.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <map>

#include "runtime/app.h"
#include "runtime/mixer_library.h"
#include "runtime/shared_library.h"
#include "runtime/wave_sound.h"

namespace velloran::rt {
namespace {

enum class DeviceState { Closed, Open, Unavailable };
DeviceState deviceState = DeviceState::Closed;

std::map<const void*, std::function<void()>>& holders() {
  static std::map<const void*, std::function<void()>> held;
  return held;
}

bool tryOpen() {
  const MixerLibrary* mix = loadMixer();
  if (!mix || SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  // Buffers of 4096 frames (93 ms): the mixer's thread wakes 11 times a second rather than
  // 43, which halves what the music costs; a thunder starts that much later at most. The
  // song renders straight into them: always 16-bit stereo, whatever the output is.
  if (mix->OpenAudioDevice(MIX_DEFAULT_FREQUENCY, AUDIO_S16SYS, 2, 4096, nullptr,
                           SDL_AUDIO_ALLOW_FREQUENCY_CHANGE) != 0) {
    mix->Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  // Runs on the mixer's thread: it only asks the loop to look.
  mix->ChannelFinished([](int) { closeAudioWhenSilent(); });
  return true;
}

bool silent() {
  return mixer().GetMusicHookData() == nullptr && mixer().Playing(-1) == 0;
}

}  // namespace

const MixerLibrary* loadMixer() {
  static MixerLibrary library;
  static const bool loaded = bindSharedLibrary(library, "libSDL2_mixer-2.0.so.0");
  return loaded ? &library : nullptr;
}

const MixerLibrary& mixer() {
  return *loadMixer();
}

bool openAudioDevice() {
  if (deviceState == DeviceState::Closed) {
    deviceState = tryOpen() ? DeviceState::Open : DeviceState::Unavailable;
  }
  return deviceState == DeviceState::Open;
}

bool audioDeviceOpen() {
  return deviceState == DeviceState::Open;
}

void closeAudioDevice() {
  if (deviceState == DeviceState::Open) {
    mixer().ChannelFinished(nullptr);
    mixer().HaltChannel(-1);
    // A release may let go of other holders: take them one at a time.
    while (!holders().empty()) {
      const auto release = std::move(holders().begin()->second);
      holders().erase(holders().begin());
      if (release) release();
    }
    releaseWaveSounds();
    mixer().CloseAudio();
    mixer().Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  deviceState = DeviceState::Closed;
}

void closeAudioWhenSilent() {
  App::instance().post([] {
    if (deviceState == DeviceState::Open && silent()) closeAudioDevice();
  });
}

void holdOnAudio(const void* holder, std::function<void()> release) {
  holders()[holder] = std::move(release);
}

void letGoOfAudio(const void* holder) {
  holders().erase(holder);
}

std::string nativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace velloran::rt
