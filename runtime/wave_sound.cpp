#include "runtime/wave_sound.h"

#include <SDL2/SDL_mixer.h>

#include <filesystem>
#include <map>

#include "runtime/audio.h"

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
  Mix_Chunk* chunk = Mix_LoadWAV(file.c_str());
  if (chunk) sounds.emplace(path, chunk);
  return chunk;
}

}  // namespace

bool sndPlaySound(const std::string& path, unsigned flags) {
  (void)flags;
  if (!openAudioDevice()) return false;
  Mix_Chunk* chunk = loadSound(path);
  if (chunk && Mix_PlayChannel(kWaveChannel, chunk, 0) != -1) return true;
  closeAudioWhenSilent();  // it may have opened for this sound alone
  return false;
}

void releaseWaveSounds() {
  for (auto& [path, chunk] : loadedSounds()) Mix_FreeChunk(chunk);
  loadedSounds().clear();
}

}  // namespace velloran::rt
