#pragma once
// The one audio device that the song and the sound effects share. It opens on first use,
// once; when it cannot open (no sound card, no sound server) the game plays silently.

#include <string>

namespace velloran::rt {

// Opens the device on the first call; later calls give the same answer. False: no sound.
bool openAudioDevice();
// Frees the sound effects and closes the device, so that the next use opens it afresh with
// the output then in force. Close every song first.
void closeAudioDevice();

// The game builds its file names with backslashes; this system's separator is the slash.
std::string nativePath(std::string path);

}  // namespace velloran::rt
