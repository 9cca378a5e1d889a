#pragma once
// The keystroke filter of the game's text boxes: control keys pass, Enter may become a Tab,
// and a character passes only when it is among the allowed ones, either case alike.

#include <cstdint>
#include <string>

namespace velloran {

// Filters `keyAscii` in place: 0 swallows it. With `enterAsTab`, Enter is swallowed and a
// Tab keystroke is sent in its place.
void gsProcessKey(std::int16_t& keyAscii, const std::string& allowed, bool enterAsTab);
// The key when it is a control character or among `allowed` (case ignored), else 0.
std::int16_t gintfValidateKey(const std::string& allowed, std::int16_t keyAscii);

}  // namespace velloran
