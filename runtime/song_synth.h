#pragma once
// The synthesiser that plays the song: FluidSynth, loaded when the song first plays, with
// the General MIDI soundfont cut down to the presets the song picks, and only as many voices
// as a small song sounds at once. It renders straight into the audio device's buffers, on
// the mixer's thread.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <span>

#include "runtime/sound_font_subset.h"

namespace velloran::rt {

class SongSynth {
 public:
  // The song ready to play from its beginning at `frequency` frames a second; nullptr when
  // the synthesiser is not installed or cannot read the song or the soundfont. With
  // `presets` (those the song can pick), only they are read from the soundfont.
  static std::unique_ptr<SongSynth> load(std::span<const std::uint8_t> song,
                                         const std::optional<std::set<Preset>>& presets,
                                         int frequency);
  ~SongSynth();
  SongSynth(const SongSynth&) = delete;
  SongSynth& operator=(const SongSynth&) = delete;

  // Renders the next `frames` stereo frames of 16 bits; once the song has played its last
  // event, it renders nothing more and leaves `stereo` as it is.
  void render(std::int16_t* stereo, int frames);
  // Back to the beginning, with every voice silenced, as when just loaded; false when the
  // song can no longer play. Never while rendering.
  bool rewind();

 private:
  struct Parts;
  explicit SongSynth(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

}  // namespace velloran::rt
