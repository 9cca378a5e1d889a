// Build step: turns a PNG of assets/pictures into the pixels the game copies straight into a
// picture, so that start-up decodes nothing. The file: "VPX1", the width and the height as
// 32-bit little-endian numbers, then the rows of 0x00RRGGBB words, little-endian. With
// --alpha (the window icons) "VPA1" and 0xAARRGGBB words: the transparency stays.

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  const bool alpha = argc == 4 && std::strcmp(argv[3], "--alpha") == 0;
  if (argc != 3 && !alpha) {
    std::fprintf(stderr, "usage: %s PICTURE.png OUTPUT [--alpha]\n", argv[0]);
    return 2;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, argv[1])) {
    std::fprintf(stderr, "%s: %s\n", argv[1], image.message);
    return 1;
  }
  image.format = PNG_FORMAT_BGRA;  // little-endian words 0xAARRGGBB
  std::vector<std::uint32_t> words(static_cast<std::size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, words.data(), 0, nullptr)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], image.message);
    return 1;
  }
  std::vector<unsigned char> bytes{'V', 'P', static_cast<unsigned char>(alpha ? 'A' : 'X'), '1'};
  const auto little = [&](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
  };
  little(image.width);
  little(image.height);
  for (const std::uint32_t word : words) little(alpha ? word : word & 0xFFFFFF);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
      std::fclose(out) != 0) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
