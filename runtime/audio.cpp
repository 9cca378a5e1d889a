#include "runtime/audio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <unistd.h>

#include <algorithm>

#include "runtime/wave_sound.h"

namespace velloran::rt {
namespace {

// The small General MIDI soundfont; the system's default may be a far larger one that takes
// seconds to load with every song.
constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

enum class DeviceState { Untried, Open, Unavailable };
DeviceState deviceState = DeviceState::Untried;

bool tryOpen() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (access(kSoundFont, R_OK) == 0) Mix_SetSoundFonts(kSoundFont);
  Mix_Init(MIX_INIT_MID);
  if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

}  // namespace

bool openAudioDevice() {
  if (deviceState == DeviceState::Untried) {
    deviceState = tryOpen() ? DeviceState::Open : DeviceState::Unavailable;
  }
  return deviceState == DeviceState::Open;
}

void closeAudioDevice() {
  if (deviceState == DeviceState::Open) {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    releaseWaveSounds();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  deviceState = DeviceState::Untried;
}

std::string nativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace velloran::rt
