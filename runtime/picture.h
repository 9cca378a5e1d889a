#pragma once
// A 24-bit picture in memory: the stand-in for picture boxes, form surfaces and the
// block copies between them. A picture may carry a background picture; clearing it
// puts the background back (what was drawn since is gone), as the table relies on.
// A picture keeps note of where it was drawn on (its damage), so that copying it to the
// screen can skip what did not change.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velloran::rt {

// A colour as the game writes it: red in the low byte, then green, then blue.
using Colour = std::uint32_t;
constexpr Colour rgb(int red, int green, int blue) {
  return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int redOf(Colour c) {
  return static_cast<int>(c & 0xFF);
}
constexpr int greenOf(Colour c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blueOf(Colour c) {
  return static_cast<int>((c >> 16) & 0xFF);
}

// A rectangle of pixels: its top-left corner and its size.
struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Rect&) const = default;
};
Rect intersection(const Rect& a, const Rect& b);

// Raster operations of the block copy, with their usual codes.
enum RasterOp : std::uint32_t {
  SRCCOPY = 0x00CC0020,   // destination = source
  SRCAND = 0x008800C6,    // destination = destination AND source
  SRCPAINT = 0x00EE0086,  // destination = destination OR source
};

// Memory for pixels. A picture as large as a window gets pages of 2 MiB where the system
// offers them: touching fresh memory page by page costs far more than the pixels' copying.
void* allocatePixels(std::size_t bytes);
void freePixels(void* at, std::size_t bytes);

template <class T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() = default;
  template <class U>
  PixelAllocator(const PixelAllocator<U>&) {}
  T* allocate(std::size_t count) { return static_cast<T*>(allocatePixels(count * sizeof(T))); }
  void deallocate(T* at, std::size_t count) { freePixels(at, count * sizeof(T)); }
  template <class U>
  bool operator==(const PixelAllocator<U>&) const {
    return true;
  }
};
using Pixels = std::vector<std::uint32_t, PixelAllocator<std::uint32_t>>;

class Picture {
 public:
  Picture() = default;
  Picture(int width, int height, Colour backColour = 0);
  // A picture of these words (0x00RRGGBB, row after row), copied.
  static Picture fromWords(int width, int height, const std::uint32_t* words);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }

  Colour pixel(int x, int y) const;  // 0 outside the picture
  void setPixel(int x, int y, Colour colour);
  void fillRect(int x, int y, int width, int height, Colour colour);

  // Makes `background` this picture's background and its current image (size included).
  // Pictures share a background rather than copy it.
  void setBackground(const Picture& background);
  void setBackground(Picture&& background);
  bool hasBackground() const { return background_ != nullptr; }
  // New size; what lies inside both sizes stays, in the image and in the background alike.
  void resize(int width, int height);
  // Puts the background back, or fills with the back colour when there is none.
  void clear();
  Colour backColour() const { return backColour_; }
  void setBackColour(Colour colour) { backColour_ = colour; }

  // Pixels as 0x00RRGGBB words, row after row: the layout of a window surface. Writing
  // through data() damages the whole picture, through row() that row or the part named.
  const std::uint32_t* data() const { return pixels_.data(); }
  std::uint32_t* data() {
    markDamaged({0, 0, width_, height_});
    return pixels_.data();
  }
  const std::uint32_t* row(int y) const { return pixelRow(y); }
  std::uint32_t* row(int y) {
    markDamaged({0, y, width_, 1});
    return pixelRow(y);
  }
  std::uint32_t* row(int y, int x, int width) {
    markDamaged({x, y, width, 1});
    return pixelRow(y);
  }

  // Where the picture was drawn on since its damage was last taken or cleared: a few
  // rectangles that together cover every changed pixel, and may cover more.
  const std::vector<Rect>& damage() const { return damage_; }
  void markDamaged(Rect area);
  void clearDamage() { damage_.clear(); }

  bool operator==(const Picture& other) const {
    return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
  }

 private:
  friend int BitBlt(Picture&, int, int, int, int, const Picture&, int, int, std::uint32_t);
  friend void copyChanges(Picture&, Picture&, Rect);
  std::uint32_t* pixelRow(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* pixelRow(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * width_;
  }

  int width_ = 0;
  int height_ = 0;
  Colour backColour_ = 0;
  Pixels pixels_;
  std::shared_ptr<const Pixels> background_;  // never changed: shared between pictures
  std::vector<Rect> damage_;
  std::vector<Rect> drawn_;  // where the image may differ from its background
};

// Copies a width x height block of `source` at (sourceX, sourceY) onto `destination` at
// (x, y) with the raster operation, clipped to both pictures. Returns 0 for an unknown
// operation, else non-zero.
int BitBlt(Picture& destination, int x, int y, int width, int height, const Picture& source,
           int sourceX, int sourceY, std::uint32_t rasterOp);

// Copies onto `destination` the pixels of `source` that differ there, looking only where
// `source` was damaged within `block` (the same place in both pictures), and damages
// `destination` only where pixels changed. `source` must differ from `destination` nowhere
// else, as when `destination` is written only by this copy. A block that covers the whole
// source takes its damage.
void copyChanges(Picture& destination, Picture& source, Rect block);

// PNG in and out. decodePng raises "Invalid picture" (481) for bytes that are not a PNG.
Picture decodePng(std::span<const std::uint8_t> bytes);
bool savePng(const Picture& picture, const std::string& path);

// A picture compiled into the game, by name; "File not found" (53) when there is none.
Picture loadResourcePicture(std::string_view name);

}  // namespace velloran::rt
