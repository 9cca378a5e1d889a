#include "runtime/song_synth.h"

#include <fluidsynth.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "runtime/shared_library.h"

namespace velloran::rt {
namespace {

struct FluidLibrary {
#define VELLORAN_FLUID_FUNCTIONS(X)                                                       \
  X(new_fluid_settings)                                                                   \
  X(delete_fluid_settings)                                                                \
  X(fluid_settings_setnum)                                                                \
  X(fluid_settings_setint)                                                                \
  X(new_fluid_synth) X(delete_fluid_synth) X(fluid_synth_sfload) X(fluid_synth_set_gain)  \
      X(fluid_synth_write_s16) X(fluid_synth_system_reset) X(new_fluid_defsfloader)       \
          X(fluid_sfloader_set_callbacks) X(fluid_synth_add_sfloader) X(new_fluid_player) \
              X(delete_fluid_player) X(fluid_player_add_mem) X(fluid_player_play)         \
                  X(fluid_player_get_status)
#define VELLORAN_DECLARE(name) decltype(&::name) name = nullptr;
  VELLORAN_FLUID_FUNCTIONS(VELLORAN_DECLARE)
#undef VELLORAN_DECLARE

  template <class Each>
  void forEach(Each&& each) {
#define VELLORAN_EACH(name) each(name, #name);
    VELLORAN_FLUID_FUNCTIONS(VELLORAN_EACH)
#undef VELLORAN_EACH
  }
#undef VELLORAN_FLUID_FUNCTIONS
};

const FluidLibrary* loadFluid() {
  static FluidLibrary library;
  static const bool loaded = bindSharedLibrary(library, "libfluidsynth.so.3");
  return loaded ? &library : nullptr;
}

// The synthesiser readies the soundfont's samples on every core, once, and the threads it
// starts for that (one a core) then sleep for as long as the game runs: on this thread alone
// it takes a few milliseconds and leaves no thread behind.
void readySamplesOnThisThread() {
  using SetThreads = void (*)(int);
  static const auto setThreads = reinterpret_cast<SetThreads>(
      sharedFunction(openSharedLibrary("libfluidsynth.so.3"), "omp_set_num_threads"));
  if (setThreads) setThreads(1);  // none in a synthesiser built without threads
}

// The small General MIDI soundfont; the system's default one, often far larger, stands in
// when it is missing.
constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

// No song sounds more voices at once than this (the game's own at most 60); a note beyond it
// would silence the oldest. The synthesiser's default of 256 costs 2 MiB more.
constexpr int kVoices = 64;
// The loudness the mixer's MIDI player has always given the song.
constexpr float kGain = 1.2f;

// The cut soundfont, handed to the synthesiser's file reader while it loads: it asks for
// files by name only.
SoundFontSubset* subsetLoading = nullptr;
const char* subsetName = nullptr;
std::uint64_t subsetAt = 0;

void* openSubset(const char* name) {
  if (!subsetLoading || std::string(name) != subsetName) return nullptr;
  subsetAt = 0;
  return subsetLoading;
}

int readSubset(void* into, fluid_long_long_t count, void* subset) {
  if (count < 0 ||
      !static_cast<SoundFontSubset*>(subset)->read(subsetAt, static_cast<std::uint8_t*>(into),
                                                   static_cast<std::uint64_t>(count))) {
    return FLUID_FAILED;
  }
  subsetAt += static_cast<std::uint64_t>(count);
  return FLUID_OK;
}

int seekSubset(void* subset, fluid_long_long_t offset, int origin) {
  const auto size = static_cast<fluid_long_long_t>(static_cast<SoundFontSubset*>(subset)->size());
  const fluid_long_long_t from = origin == SEEK_CUR   ? static_cast<fluid_long_long_t>(subsetAt)
                                 : origin == SEEK_END ? size
                                                      : 0;
  if (from + offset < 0 || from + offset > size) return FLUID_FAILED;
  subsetAt = static_cast<std::uint64_t>(from + offset);
  return FLUID_OK;
}

fluid_long_long_t tellSubset(void*) {
  return static_cast<fluid_long_long_t>(subsetAt);
}

int closeSubset(void*) {
  return FLUID_OK;
}

}  // namespace

struct SongSynth::Parts {
  const FluidLibrary& fluid;
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  std::vector<std::uint8_t> song;

  ~Parts() {
    if (player) fluid.delete_fluid_player(player);
    if (synth) fluid.delete_fluid_synth(synth);
    if (settings) fluid.delete_fluid_settings(settings);
  }

  // A player of its own for each play from the beginning: one sent back to the beginning
  // would keep the tempo it had reached.
  bool startPlayer() {
    if (player) fluid.delete_fluid_player(player);
    player = fluid.new_fluid_player(synth);
    return player && fluid.fluid_player_add_mem(player, song.data(), song.size()) == FLUID_OK &&
           fluid.fluid_player_play(player) == FLUID_OK;
  }

  // Only the cut soundfont is read when there is one; the synthesiser reads the file itself
  // otherwise.
  bool loadSoundFont(const std::string& file, SoundFontSubset* subset) {
    if (subset) {
      fluid_sfloader_t* loader = fluid.new_fluid_defsfloader(settings);
      if (!loader) return false;
      fluid.fluid_sfloader_set_callbacks(loader, openSubset, readSubset, seekSubset, tellSubset,
                                         closeSubset);
      fluid.fluid_synth_add_sfloader(synth, loader);  // tried before the synthesiser's own
    }
    subsetLoading = subset;
    subsetName = file.c_str();
    const int loaded = fluid.fluid_synth_sfload(synth, file.c_str(), 1);
    subsetLoading = nullptr;
    subsetName = nullptr;
    return loaded != FLUID_FAILED;
  }
};

SongSynth::SongSynth(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

SongSynth::~SongSynth() = default;

std::unique_ptr<SongSynth> SongSynth::load(std::span<const std::uint8_t> song,
                                           const std::optional<std::set<Preset>>& presets,
                                           int frequency) {
  const FluidLibrary* fluid = loadFluid();
  if (!fluid) return nullptr;
  auto parts = std::make_unique<Parts>(*fluid);
  parts->settings = fluid->new_fluid_settings();
  if (!parts->settings) return nullptr;
  fluid->fluid_settings_setnum(parts->settings, "synth.sample-rate", frequency);
  fluid->fluid_settings_setint(parts->settings, "synth.polyphony", kVoices);
  parts->synth = fluid->new_fluid_synth(parts->settings);
  if (!parts->synth) return nullptr;
  const std::string soundFont = access(kSoundFont, R_OK) == 0 ? kSoundFont : kDefaultSoundFont;
  const auto subset = presets ? soundFontSubset(soundFont, *presets) : nullptr;
  readySamplesOnThisThread();
  if (!parts->loadSoundFont(soundFont, subset.get())) return nullptr;
  fluid->fluid_synth_set_gain(parts->synth, kGain);
  parts->song.assign(song.begin(), song.end());
  if (!parts->startPlayer()) return nullptr;
  return std::unique_ptr<SongSynth>(new SongSynth(std::move(parts)));
}

void SongSynth::render(std::int16_t* stereo, int frames) {
  const FluidLibrary& fluid = parts_->fluid;
  if (fluid.fluid_player_get_status(parts_->player) != FLUID_PLAYER_PLAYING) return;
  fluid.fluid_synth_write_s16(parts_->synth, frames, stereo, 0, 2, stereo, 1, 2);
}

bool SongSynth::rewind() {
  parts_->fluid.fluid_synth_system_reset(parts_->synth);
  return parts_->startPlayer();
}

}  // namespace velloran::rt
