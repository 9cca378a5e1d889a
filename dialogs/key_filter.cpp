#include "dialogs/key_filter.h"

#include "base/trap.h"
#include "runtime/app.h"
#include "runtime/keys.h"

namespace velloran {
namespace {

// Upper case in the single-byte character set the game keeps its text in (Latin-1).
unsigned char upperCase(unsigned char c) {
  const bool lowerAscii = c >= 'a' && c <= 'z';
  const bool lowerLatin1 = c >= 0xE0 && c <= 0xFE && c != 0xF7;
  return lowerAscii || lowerLatin1 ? static_cast<unsigned char>(c - 0x20) : c;
}

}  // namespace

void gsProcessKey(std::int16_t& keyAscii, const std::string& allowed, bool enterAsTab) {
  trap("gsProcessKey", [&] {
    if (keyAscii != rt::vbKeyReturn) {
      keyAscii = gintfValidateKey(allowed, keyAscii);
    } else if (enterAsTab) {
      keyAscii = 0;
      rt::App::instance().sendKeys("{TAB}");
    }
  });
}

std::int16_t gintfValidateKey(const std::string& allowed, std::int16_t keyAscii) {
  std::int16_t result = 0;
  trap("gintfValidateKey", [&] {
    if (keyAscii <= 31) {
      result = keyAscii;
      return;
    }
    // A code beyond the single-byte characters names none of them: refused like any other.
    if (keyAscii > 255) return;
    const unsigned char typed = upperCase(static_cast<unsigned char>(keyAscii));
    for (const char c : allowed) {
      if (upperCase(static_cast<unsigned char>(c)) == typed) {
        result = keyAscii;
        return;
      }
    }
  });
  return result;
}

}  // namespace velloran
