#pragma once
// The one audio device that the song and the sound effects share. It opens when a sound is
// first wanted and closes again once nothing sounds, so that no mixer runs while the game is
// silent. When it cannot open (no sound card, no sound server) the game plays silently and
// the device is not tried again until closeAudioDevice().

#include <functional>
#include <string>

namespace velloran::rt {

// Opens the device unless it is open; false: no sound.
bool openAudioDevice();
bool audioDeviceOpen();
// Frees everything loaded on the device and closes it, so that the next use opens it afresh
// with the output then in force.
void closeAudioDevice();
// At the event loop's next turn, closes the device if nothing sounds then. Safe from any
// thread (the mixer's thread calls it when a sound ends).
void closeAudioWhenSilent();

// What is loaded on the open device and must be freed before it closes: `release` runs then
// (on the loop's thread), once. A holder that lets go itself says so with letGoOfAudio.
void holdOnAudio(const void* holder, std::function<void()> release);
void letGoOfAudio(const void* holder);

// The game builds its file names with backslashes; this system's separator is the slash.
std::string nativePath(std::string path);

}  // namespace velloran::rt
