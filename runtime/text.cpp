#include "runtime/text.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "base/run_time_error.h"
#include "runtime/shared_library.h"

namespace velloran::rt {
namespace {

// The font renderer and fontconfig, loaded when the first text is measured or drawn.
struct FontLibraries {
#define VELLORAN_TTF_FUNCTIONS(X) \
  X(TTF_Init)                     \
  X(TTF_WasInit)                  \
  X(TTF_OpenFontDPI)              \
  X(TTF_SetFontStyle) X(TTF_CloseFont) X(TTF_SizeUTF8) X(TTF_FontHeight) X(TTF_RenderUTF8_Blended)
#define VELLORAN_FONTCONFIG_FUNCTIONS(X)                                            \
  X(FcInit)                                                                         \
  X(FcPatternCreate)                                                                \
  X(FcPatternAddString)                                                             \
  X(FcPatternAddInteger)                                                            \
  X(FcConfigSubstitute) X(FcDefaultSubstitute) X(FcFontMatch) X(FcPatternGetString) \
      X(FcPatternGetInteger) X(FcPatternDestroy)
#define VELLORAN_DECLARE(name) decltype(&::name) name = nullptr;
  struct Ttf {
    VELLORAN_TTF_FUNCTIONS(VELLORAN_DECLARE)
    template <class Each>
    void forEach(Each&& each) {
#define VELLORAN_EACH(name) each(name, #name);
      VELLORAN_TTF_FUNCTIONS(VELLORAN_EACH)
    }
  } ttf;
  struct Fontconfig {
    VELLORAN_FONTCONFIG_FUNCTIONS(VELLORAN_DECLARE)
    template <class Each>
    void forEach(Each&& each) {
      VELLORAN_FONTCONFIG_FUNCTIONS(VELLORAN_EACH)
#undef VELLORAN_EACH
    }
  } fc;
#undef VELLORAN_DECLARE
#undef VELLORAN_FONTCONFIG_FUNCTIONS
#undef VELLORAN_TTF_FUNCTIONS
};

const FontLibraries& fonts() {
  static FontLibraries libraries;
  static const bool loaded = bindSharedLibrary(libraries.ttf, "libSDL2_ttf-2.0.so.0") &&
                             bindSharedLibrary(libraries.fc, "libfontconfig.so.1");
  if (!loaded) raiseError(kFileNotFound);
  return libraries;
}

// Families the game asks for that Linux desktops rarely have, with the look-alike we draw.
const std::map<std::string, std::string> kStandIns = {
    {"wonton icg", "Liberation Serif"},  // narrow enough for the boards' fields
    {"times new roman", "Liberation Serif"},
    {"ms sans serif", "Liberation Sans"},
    {"arial", "Liberation Sans"},
};

std::string lowered(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return result;
}

// Asks fontconfig; empty when it found nothing at all.
ResolvedFont match(const std::string& family, bool bold) {
  ResolvedFont result;
  const auto& fc = fonts().fc;
  if (!fc.FcInit()) return result;
  FcPattern* pattern = fc.FcPatternCreate();
  fc.FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  fc.FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  fc.FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  fc.FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  fc.FcDefaultSubstitute(pattern);
  FcResult outcome = FcResultNoMatch;
  if (FcPattern* found = fc.FcFontMatch(nullptr, pattern, &outcome)) {
    FcChar8* file = nullptr;
    FcChar8* foundFamily = nullptr;
    int weight = FC_WEIGHT_REGULAR;
    if (fc.FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) {
      result.file = reinterpret_cast<const char*>(file);
    }
    if (fc.FcPatternGetString(found, FC_FAMILY, 0, &foundFamily) == FcResultMatch) {
      result.family = reinterpret_cast<const char*>(foundFamily);
    }
    fc.FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
    result.syntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
    fc.FcPatternDestroy(found);
  }
  fc.FcPatternDestroy(pattern);
  return result;
}

struct FontCloser {
  void operator()(TTF_Font* font) const { fonts().ttf.TTF_CloseFont(font); }
};

// A font by family, size and boldness. Sizes are kept in quarter points so 11.25 and 8.25
// point fonts stay distinct.
using FontKey = std::tuple<std::string, int, bool>;
FontKey keyOf(const Font& font) {
  return {lowered(font.name), static_cast<int>(font.points * 4 + 0.5), font.bold};
}

// Open fonts; opening a font file is far dearer than drawing.
TTF_Font* openFont(const Font& font) {
  static std::map<FontKey, std::unique_ptr<TTF_Font, FontCloser>> cache;
  if (!fonts().ttf.TTF_WasInit() && fonts().ttf.TTF_Init() != 0) raiseError(kDeviceIOError);
  const FontKey key = keyOf(font);
  const int quarterPoints = std::get<1>(key);
  auto it = cache.find(key);
  if (it == cache.end()) {
    const ResolvedFont resolved = resolveFont(font.name, font.bold);
    // Quarter points at a quarter of 96 dots to the inch: fractional sizes stay exact.
    TTF_Font* opened = fonts().ttf.TTF_OpenFontDPI(resolved.file.c_str(),
                                                   std::max(1, quarterPoints), 96 / 4, 96 / 4);
    if (!opened) raiseError(kFileNotFound);
    if (resolved.syntheticBold) fonts().ttf.TTF_SetFontStyle(opened, TTF_STYLE_BOLD);
    it = cache.emplace(key, std::unique_ptr<TTF_Font, FontCloser>(opened)).first;
  }
  return it->second.get();
}

}  // namespace

std::string latin1ToUtf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size() * 2);
  for (unsigned char c : text) {
    if (c < 0x80) {
      utf8.push_back(static_cast<char>(c));
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return utf8;
}

ResolvedFont resolveFont(const std::string& family, bool bold) {
  ResolvedFont found = match(family, bold);
  if (!found.file.empty() && lowered(found.family) == lowered(family)) return found;
  const auto standIn = kStandIns.find(lowered(family));
  ResolvedFont replacement =
      match(standIn != kStandIns.end() ? standIn->second : "DejaVu Sans", bold);
  return replacement.file.empty() ? found : replacement;
}

void prepareFont(const Font& font) {
  try {
    openFont(font);
  } catch (const RunTimeError&) {
  }
}

int textWidth(const Font& font, std::string_view text) {
  int width = 0, height = 0;
  if (text.empty()) return 0;
  fonts().ttf.TTF_SizeUTF8(openFont(font), latin1ToUtf8(text).c_str(), &width, &height);
  return width;
}

int textHeight(const Font& font) {
  return fonts().ttf.TTF_FontHeight(openFont(font));
}

namespace {

// A text as the font renderer drew it: how much each pixel is covered, row after row.
struct Coverage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> alpha;
};

Coverage render(const Font& font, std::string_view text) {
  Coverage coverage;
  SDL_Surface* glyphs = fonts().ttf.TTF_RenderUTF8_Blended(
      openFont(font), latin1ToUtf8(text).c_str(), SDL_Color{255, 255, 255, 255});
  if (!glyphs) return coverage;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(glyphs, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(glyphs);
  if (!argb) return coverage;
  coverage.width = argb->w;
  coverage.height = argb->h;
  coverage.alpha.resize(static_cast<std::size_t>(argb->w) * argb->h);
  for (int row = 0; row < argb->h; ++row) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(argb->pixels) + row * argb->pitch);
    for (int col = 0; col < argb->w; ++col) {
      coverage.alpha[static_cast<std::size_t>(row) * argb->w + col] =
          static_cast<std::uint8_t>(in[col] >> 24);
    }
  }
  SDL_FreeSurface(argb);
  return coverage;
}

// The texts drawn lately: the table draws the same few words (the seats, the scores) at every
// hand, and the renderer's work is most of the cost of drawing them.
const Coverage& coverageOf(const Font& font, std::string_view text) {
  constexpr std::size_t kKept = 256;
  static std::map<std::pair<FontKey, std::string>, Coverage> drawn;
  auto key = std::make_pair(keyOf(font), std::string(text));
  if (const auto it = drawn.find(key); it != drawn.end()) return it->second;
  if (drawn.size() >= kKept) drawn.clear();
  return drawn.emplace(std::move(key), render(font, text)).first->second;
}

}  // namespace

int printText(Picture& target, int x, int y, std::string_view text, Colour colour,
              const Font& font) {
  if (text.empty()) return 0;
  const Coverage& coverage = coverageOf(font, text);
  const int red = redOf(colour), green = greenOf(colour), blue = blueOf(colour);
  for (int row = 0; row < coverage.height; ++row) {
    const int ty = y + row;
    if (ty < 0 || ty >= target.height()) continue;
    const std::uint8_t* in = coverage.alpha.data() + static_cast<std::size_t>(row) * coverage.width;
    std::uint32_t* out = target.row(ty, x, coverage.width);
    for (int col = 0; col < coverage.width; ++col) {
      const int tx = x + col;
      const int alpha = in[col];
      if (alpha == 0 || tx < 0 || tx >= target.width()) continue;
      const std::uint32_t under = out[tx];
      const auto blend = [alpha](int over, int below) {
        return (over * alpha + below * (255 - alpha) + 127) / 255;
      };
      const int r = blend(red, static_cast<int>((under >> 16) & 0xFF));
      const int g = blend(green, static_cast<int>((under >> 8) & 0xFF));
      const int b = blend(blue, static_cast<int>(under & 0xFF));
      out[tx] = (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
                static_cast<std::uint32_t>(b);
    }
  }
  return coverage.width;
}

}  // namespace velloran::rt
