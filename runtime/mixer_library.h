#pragma once
// The functions of SDL_mixer that the game's sound uses, loaded when sound is first wanted.

#include <SDL2/SDL_mixer.h>

namespace velloran::rt {

struct MixerLibrary {
#define VELLORAN_MIXER_FUNCTIONS(X)                                                          \
  X(Quit)                                                                                    \
  X(OpenAudioDevice) X(QuerySpec) X(CloseAudio) X(ChannelFinished) X(Playing) X(HaltChannel) \
      X(HookMusic) X(GetMusicHookData) X(LoadWAV_RW) X(PlayChannelTimed) X(FreeChunk)
#define VELLORAN_DECLARE(name) decltype(&Mix_##name) name = nullptr;
  VELLORAN_MIXER_FUNCTIONS(VELLORAN_DECLARE)
#undef VELLORAN_DECLARE

  template <class Each>
  void forEach(Each&& each) {
#define VELLORAN_EACH(name) each(name, "Mix_" #name);
    VELLORAN_MIXER_FUNCTIONS(VELLORAN_EACH)
#undef VELLORAN_EACH
  }
#undef VELLORAN_MIXER_FUNCTIONS
};

// Loads the library on the first call; nullptr when it is not installed.
const MixerLibrary* loadMixer();
// The loaded library: only while the audio device is open.
const MixerLibrary& mixer();

}  // namespace velloran::rt
