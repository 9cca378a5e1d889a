#pragma once
// Sound effects: a wave file played in the background while the game goes on.

#include <string>

namespace velloran::rt {

// The flags the game passes: play in the background, and no fall-back sound when the file
// cannot be played. Every sound here plays in the background and none falls back, so the
// flags change nothing.
inline constexpr unsigned kSoundAsync = 1;
inline constexpr unsigned kSoundNoDefault = 2;

// Starts the wave file and returns at once; a new sound cuts off the one still playing.
// A missing or unplayable file, or no audio device, gives silence and false, never an error.
// Each file is read once and kept while the audio device stays open.
bool sndPlaySound(const std::string& path, unsigned flags);

// Frees the kept sounds; the audio device does it before it closes.
void releaseWaveSounds();

}  // namespace velloran::rt
