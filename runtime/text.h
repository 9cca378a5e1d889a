#pragma once
// Printing a line of text on a picture with a font asked for by family name, size in
// points (96 pixels to the inch), boldness and colour, over a transparent background.
// Text is taken as single-byte characters (Latin-1), as the game types and keeps it.

#include <string>
#include <string_view>

#include "runtime/picture.h"

namespace velloran::rt {

struct Font {
  std::string name;
  double points = 8.25;
  bool bold = false;
};

// The font file drawn for a family: the installed font of that name, or our stand-in
// for a family this machine does not have ("Times New Roman" -> Liberation Serif, ...).
struct ResolvedFont {
  std::string file;
  std::string family;
  bool syntheticBold = false;
};
ResolvedFont resolveFont(const std::string& family, bool bold);

// Opens the font ahead of its first text (the font renderer loads its libraries and the
// system's font list then), where that would stall what the player sees. Quietly does
// nothing when it cannot: the text itself reports it.
void prepareFont(const Font& font);

// Prints `text` with its top-left corner at (x, y); returns the width printed.
int printText(Picture& target, int x, int y, std::string_view text, Colour colour,
              const Font& font);
int textWidth(const Font& font, std::string_view text);
int textHeight(const Font& font);  // height of one line

// The game's single-byte text as the UTF-8 that fonts and the desktop take.
std::string latin1ToUtf8(std::string_view text);

}  // namespace velloran::rt
