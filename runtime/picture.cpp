#include "runtime/picture.h"

#include <png.h>

#include <algorithm>
#include <cstring>

#include "assets/embedded.h"
#include "base/run_time_error.h"

namespace velloran::rt {
namespace {

constexpr std::int32_t kInvalidPicture = 481;

// Stored words are 0x00RRGGBB; the game's colours are 0x00BBGGRR.
std::uint32_t toStored(Colour c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
Colour fromStored(std::uint32_t word) {
  return toStored(word & 0xFFFFFF);
}

// A block that starts left of (or above) its picture starts at 0 instead: the other
// picture's corner moves with it and the block shrinks by as much.
void clipStart(int& start, int& otherStart, int& size) {
  if (start >= 0) return;
  otherStart -= start;
  size += start;
  start = 0;
}

}  // namespace

Picture::Picture(int width, int height, Colour backColour)
    : width_(std::max(0, width)), height_(std::max(0, height)), backColour_(backColour) {
  pixels_.assign(static_cast<std::size_t>(width_) * height_, toStored(backColour));
}

Colour Picture::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return fromStored(row(y)[x]);
}

void Picture::setPixel(int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  row(y)[x] = toStored(colour);
}

void Picture::fillRect(int x, int y, int width, int height, Colour colour) {
  const int left = std::max(0, x), top = std::max(0, y);
  const int right = std::min(width_, x + width), bottom = std::min(height_, y + height);
  const std::uint32_t word = toStored(colour);
  for (int yy = top; yy < bottom; ++yy) std::fill(row(yy) + left, row(yy) + right, word);
}

void Picture::setBackground(const Picture& background) {
  width_ = background.width_;
  height_ = background.height_;
  pixels_ = background.pixels_;
  background_ = background.pixels_;
}

void Picture::resize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  const std::uint32_t fill = toStored(backColour_);
  const auto resized = [&](const std::vector<std::uint32_t>& old) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, fill);
    for (int y = 0; y < std::min(height, height_); ++y) {
      std::copy_n(old.begin() + static_cast<std::ptrdiff_t>(y) * width_, std::min(width, width_),
                  pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    return pixels;
  };
  pixels_ = resized(pixels_);
  if (hasBackground()) background_ = resized(background_);
  width_ = width;
  height_ = height;
}

void Picture::clear() {
  if (hasBackground()) {
    pixels_ = background_;
  } else {
    std::fill(pixels_.begin(), pixels_.end(), toStored(backColour_));
  }
}

int BitBlt(Picture& destination, int x, int y, int width, int height, const Picture& source,
           int sourceX, int sourceY, std::uint32_t rasterOp) {
  if (rasterOp != SRCCOPY && rasterOp != SRCAND && rasterOp != SRCPAINT) return 0;
  // Clip the block to the source, then to the destination, moving both corners together.
  clipStart(sourceX, x, width);
  clipStart(sourceY, y, height);
  clipStart(x, sourceX, width);
  clipStart(y, sourceY, height);
  width = std::min({width, source.width() - sourceX, destination.width() - x});
  height = std::min({height, source.height() - sourceY, destination.height() - y});
  if (width <= 0 || height <= 0) return 1;

  // A copy within one picture reads from a snapshot, so overlapping blocks stay intact.
  Picture snapshot;
  const Picture* from = &source;
  if (&source == &destination) {
    snapshot = source;
    from = &snapshot;
  }
  for (int row = 0; row < height; ++row) {
    const std::uint32_t* in = from->row(sourceY + row) + sourceX;
    std::uint32_t* out = destination.row(y + row) + x;
    switch (rasterOp) {
      case SRCCOPY:
        std::memcpy(out, in, sizeof(std::uint32_t) * width);
        break;
      case SRCAND:
        for (int i = 0; i < width; ++i) out[i] &= in[i];
        break;
      default:
        for (int i = 0; i < width; ++i) out[i] |= in[i];
        break;
    }
  }
  return 1;
}

Picture decodePng(std::span<const std::uint8_t> bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (bytes.empty() || !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    throw RunTimeError(kInvalidPicture, "Invalid picture");
  }
  image.format = PNG_FORMAT_BGRA;  // little-endian words 0xAARRGGBB
  Picture picture(static_cast<int>(image.width), static_cast<int>(image.height));
  if (!png_image_finish_read(&image, nullptr, picture.data(), 0, nullptr)) {
    png_image_free(&image);
    throw RunTimeError(kInvalidPicture, "Invalid picture");
  }
  std::uint32_t* word = picture.data();
  for (std::size_t i = 0, n = static_cast<std::size_t>(picture.width()) * picture.height(); i < n;
       ++i) {
    word[i] &= 0xFFFFFF;
  }
  return picture;
}

bool savePng(const Picture& picture, const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width());
  image.height = static_cast<png_uint_32>(picture.height());
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint32_t> words(
      picture.data(),
      picture.data() + static_cast<std::size_t>(picture.width()) * picture.height());
  for (auto& word : words) word |= 0xFF000000;  // opaque
  return png_image_write_to_file(&image, path.c_str(), 0, words.data(), 0, nullptr) != 0;
}

Picture loadResourcePicture(std::string_view name) {
  const auto bytes = assets::findPicture(name);
  if (bytes.empty()) raiseError(kFileNotFound);
  return decodePng(bytes);
}

}  // namespace velloran::rt
