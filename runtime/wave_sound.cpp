#include "runtime/wave_sound.h"

#include <SDL2/SDL.h>

#include <filesystem>
#include <map>

#include "runtime/app.h"
#include "runtime/audio.h"
#include "runtime/mixer_library.h"

namespace velloran::rt {
namespace {

// One sound at a time, on a channel of its own.
constexpr int kWaveChannel = 0;

std::map<std::string, Mix_Chunk*>& loadedSounds() {
  static std::map<std::string, Mix_Chunk*> sounds;
  return sounds;
}

Mix_Chunk* loadSound(const std::string& path) {
  auto& sounds = loadedSounds();
  if (auto found = sounds.find(path); found != sounds.end()) return found->second;
  const std::string file = nativePath(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return nullptr;
  Mix_Chunk* chunk = mixer().LoadWAV_RW(SDL_RWFromFile(file.c_str(), "rb"), 1);
  if (chunk) sounds.emplace(path, chunk);
  return chunk;
}

}  // namespace

bool sndPlaySound(const std::string& path, unsigned flags) {
  (void)flags;
  // What was drawn before the sound shows before the sound device opens, which takes a while.
  if (App::instance().hasBackend()) App::instance().backend().flush();
  if (!openAudioDevice()) return false;
  Mix_Chunk* chunk = loadSound(path);
  if (chunk && mixer().PlayChannelTimed(kWaveChannel, chunk, 0, -1) != -1) return true;
  closeAudioWhenSilent();  // it may have opened for this sound alone
  return false;
}

void releaseWaveSounds() {
  for (auto& [path, chunk] : loadedSounds()) mixer().FreeChunk(chunk);
  loadedSounds().clear();
}

}  // namespace velloran::rt
