#pragma once
// Small songs and sounds that a test writes for itself: a MIDI tune of so many beats and a
// wave file of a plain tone.

#include <cmath>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace velloran::testing {

using Bytes = std::vector<std::uint8_t>;

inline void appendBigEndian(Bytes& bytes, std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A MIDI file of the given tracks (raw track events, end of track added) at `division` ticks.
inline Bytes midiFile(std::initializer_list<Bytes> tracks, std::uint16_t division = 480) {
  Bytes file{'M', 'T', 'h', 'd', 0,
             0,   0,   6,   0,   tracks.size() > 1 ? std::uint8_t{1} : std::uint8_t{0}};
  appendBigEndian(file, static_cast<std::uint32_t>(tracks.size()), 2);
  appendBigEndian(file, division, 2);
  for (Bytes track : tracks) {
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    appendBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

// Piano notes of one beat each (480 ticks, half a second at the default tempo), written with
// running status.
inline Bytes pianoBeats(int beats) {
  Bytes track{0x00, 0xC0, 0x00};
  for (int beat = 0; beat < beats; ++beat) {
    const auto note = static_cast<std::uint8_t>(60 + beat % 12);
    track.insert(track.end(), {0x00, 0x90, note, 100, 0x83, 0x60, note, 0});
  }
  return track;
}

// A wave file: 16-bit mono at 22050 Hz, a 440 Hz tone.
inline Bytes waveTone(double seconds) {
  const int rate = 22050;
  const auto samples = static_cast<std::uint32_t>(seconds * rate);
  Bytes file{'R', 'I', 'F', 'F'};
  auto little = [&](std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  little(36 + samples * 2, 4);
  file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  little(16, 4), little(1, 2), little(1, 2), little(rate, 4), little(rate * 2, 4), little(2, 2);
  little(16, 2);
  file.insert(file.end(), {'d', 'a', 't', 'a'});
  little(samples * 2, 4);
  for (std::uint32_t i = 0; i < samples; ++i) {
    little(static_cast<std::uint16_t>(
               static_cast<std::int16_t>(12000 * std::sin(i * 2 * M_PI * 440 / rate))),
           2);
  }
  return file;
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace velloran::testing
