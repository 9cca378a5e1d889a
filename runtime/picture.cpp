#include "runtime/picture.h"

#include <png.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

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

// Damage is kept as a few rectangles. Two are kept as one where that covers little more than
// both: far apart, their union would make every later copy look over what lies between.
constexpr std::size_t kMostDamageRects = 32;

long area(const Rect& r) {
  return static_cast<long>(r.width) * r.height;
}

Rect unite(const Rect& a, const Rect& b) {
  const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

// What taking the two as one adds: pixels in their union that neither covers (overlaps count
// twice, so overlapping rectangles come out cheap to join).
long waste(const Rect& a, const Rect& b) {
  return area(unite(a, b)) - area(a) - area(b);
}

// Worth joining: the union is at most an eighth larger than both (or a few rows of slack).
bool worthJoining(const Rect& a, const Rect& b) {
  return waste(a, b) <= std::max<long>(64, (area(a) + area(b)) / 8);
}

}  // namespace

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this, whole pages of 2 MiB would hold more empty memory than pixels.
constexpr std::size_t kHugePageFrom = kHugePage * 3 / 4;

std::size_t roundedToHugePages(std::size_t bytes) {
  return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}
}  // namespace

void* allocatePixels(std::size_t bytes) {
  if (bytes < kHugePageFrom) return ::operator new(bytes);
  // Aligned to 2 MiB: map one page more and give back what lies before and after.
  const std::size_t size = roundedToHugePages(bytes);
  void* mapped =
      mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > start) munmap(mapped, aligned - start);
  if (const std::size_t after = start + kHugePage - aligned; after > 0) {
    munmap(reinterpret_cast<void*>(aligned + size), after);
  }
  void* at = reinterpret_cast<void*>(aligned);
  madvise(at, size, MADV_HUGEPAGE);
  return at;
}

void freePixels(void* at, std::size_t bytes) {
  if (bytes < kHugePageFrom) {
    ::operator delete(at);
  } else {
    munmap(at, roundedToHugePages(bytes));
  }
}

Rect intersection(const Rect& a, const Rect& b) {
  const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.width, b.x + b.width);
  const int bottom = std::min(a.y + a.height, b.y + b.height);
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

namespace {

// Adds an area to a few rectangles that cover it with the others.
void addArea(std::vector<Rect>& areas, Rect added) {
  // Joined with one, the union may now be worth joining with another: go on until none is.
  for (std::size_t i = 0; i < areas.size();) {
    if (worthJoining(areas[i], added)) {
      added = unite(areas[i], added);
      areas[i] = areas.back();
      areas.pop_back();
      i = 0;
    } else {
      ++i;
    }
  }
  areas.push_back(added);
  if (areas.size() <= kMostDamageRects) return;
  // Too many: join the two whose union adds least.
  std::size_t first = 0, second = 1;
  long least = waste(areas[0], areas[1]);
  for (std::size_t i = 0; i < areas.size(); ++i) {
    for (std::size_t j = i + 1; j < areas.size(); ++j) {
      if (const long w = waste(areas[i], areas[j]); w < least) {
        least = w;
        first = i;
        second = j;
      }
    }
  }
  areas[first] = unite(areas[first], areas[second]);
  areas[second] = areas.back();
  areas.pop_back();
}

}  // namespace

void Picture::markDamaged(Rect area) {
  area = intersection(area, {0, 0, width_, height_});
  if (area.empty()) return;
  addArea(damage_, area);
  if (hasBackground()) addArea(drawn_, area);
}

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
  pixelRow(y)[x] = toStored(colour);
  markDamaged({x, y, 1, 1});
}

void Picture::fillRect(int x, int y, int width, int height, Colour colour) {
  const int left = std::max(0, x), top = std::max(0, y);
  const int right = std::min(width_, x + width), bottom = std::min(height_, y + height);
  if (right <= left || bottom <= top) return;  // wholly outside
  const std::uint32_t word = toStored(colour);
  for (int yy = top; yy < bottom; ++yy) std::fill(pixelRow(yy) + left, pixelRow(yy) + right, word);
  markDamaged({left, top, right - left, bottom - top});
}

void Picture::setBackground(const Picture& background) {
  if (&background == this) return setBackground(Picture(background));
  width_ = background.width_;
  height_ = background.height_;
  pixels_ = background.pixels_;
  // A picture that shows just its background passes that on; any other is copied once.
  background_ = background.hasBackground() && background.drawn_.empty()
                    ? background.background_
                    : std::make_shared<const Pixels>(background.pixels_);
  drawn_.clear();
  markDamaged({0, 0, width_, height_});
  drawn_.clear();  // the image is the background
}

void Picture::setBackground(Picture&& background) {
  if (background.hasBackground() && background.drawn_.empty()) {
    setBackground(std::as_const(background));
    return;
  }
  width_ = background.width_;
  height_ = background.height_;
  background_ = std::make_shared<const Pixels>(std::move(background.pixels_));
  pixels_ = *background_;
  drawn_.clear();
  markDamaged({0, 0, width_, height_});
  drawn_.clear();
}

void Picture::resize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  const std::uint32_t fill = toStored(backColour_);
  const auto resized = [&](const Pixels& old) {
    Pixels pixels(static_cast<std::size_t>(width) * height, fill);
    for (int y = 0; y < std::min(height, height_); ++y) {
      std::copy_n(old.begin() + static_cast<std::ptrdiff_t>(y) * width_, std::min(width, width_),
                  pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    return pixels;
  };
  pixels_ = resized(pixels_);
  if (hasBackground()) background_ = std::make_shared<const Pixels>(resized(*background_));
  width_ = width;
  height_ = height;
  markDamaged({0, 0, width_, height_});
}

void Picture::clear() {
  if (!hasBackground()) {
    std::fill(pixels_.begin(), pixels_.end(), toStored(backColour_));
    markDamaged({0, 0, width_, height_});
    return;
  }
  // Only where something was drawn can the image differ from the background.
  std::vector<Rect> drawn;
  drawn.swap(drawn_);
  for (const Rect& area : drawn) {
    for (int y = area.y; y < area.y + area.height; ++y) {
      const std::size_t at = static_cast<std::size_t>(y) * width_ + area.x;
      std::copy_n(background_->begin() + static_cast<std::ptrdiff_t>(at), area.width,
                  pixels_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    addArea(damage_, area);
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
  destination.markDamaged({x, y, width, height});
  for (int row = 0; row < height; ++row) {
    const std::uint32_t* in = from->pixelRow(sourceY + row) + sourceX;
    std::uint32_t* out = destination.pixelRow(y + row) + x;
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

void copyChanges(Picture& destination, Picture& source, Rect block) {
  const Rect whole{0, 0, source.width(), source.height()};
  const bool takesAll = intersection(block, whole) == whole;
  block =
      intersection(intersection(block, whole), {0, 0, destination.width(), destination.height()});
  for (const Rect& damaged : source.damage()) {
    const Rect area = intersection(damaged, block);
    if (area.empty()) continue;
    int left = area.x + area.width, right = area.x - 1, top = -1, bottom = -1;
    for (int y = area.y; y < area.y + area.height; ++y) {
      const std::uint32_t* in = std::as_const(source).pixelRow(y) + area.x;
      std::uint32_t* out = destination.pixelRow(y) + area.x;
      if (std::memcmp(in, out, sizeof(std::uint32_t) * area.width) == 0) continue;
      int first = 0, last = area.width - 1;
      while (in[first] == out[first]) ++first;
      while (in[last] == out[last]) --last;
      std::memcpy(out + first, in + first, sizeof(std::uint32_t) * (last - first + 1));
      left = std::min(left, area.x + first);
      right = std::max(right, area.x + last);
      if (top < 0) top = y;
      bottom = y;
    }
    if (top >= 0) destination.markDamaged({left, top, right - left + 1, bottom - top + 1});
  }
  if (takesAll) source.clearDamage();
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
  // Ready pixels: "VPX1", width, height, then the words (see assets/png_to_pixels.cpp).
  constexpr std::size_t kHeader = 12;
  const auto number = [&](std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
  };
  if (bytes.size() < kHeader || std::memcmp(bytes.data(), "VPX1", 4) != 0) return decodePng(bytes);
  const std::uint32_t width = number(4), height = number(8);
  if (width > 0x4000 || height > 0x4000 ||
      bytes.size() - kHeader != std::size_t{width} * height * sizeof(std::uint32_t)) {
    throw RunTimeError(kInvalidPicture, "Invalid picture");
  }
  // Compiled in at a page boundary: the words after the header are aligned.
  Picture picture =
      Picture::fromWords(static_cast<int>(width), static_cast<int>(height),
                         reinterpret_cast<const std::uint32_t*>(bytes.data() + kHeader));
  // Read once: the whole pages they lie on go back to the system (the file keeps them).
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto first = (reinterpret_cast<std::uintptr_t>(bytes.data()) + page - 1) / page * page;
  const auto last = (reinterpret_cast<std::uintptr_t>(bytes.data()) + bytes.size()) / page * page;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
  return picture;
}

Picture Picture::fromWords(int width, int height, const std::uint32_t* words) {
  Picture picture;
  picture.width_ = std::max(0, width);
  picture.height_ = std::max(0, height);
  picture.pixels_.assign(words, words + static_cast<std::size_t>(picture.width_) * picture.height_);
  return picture;
}

}  // namespace velloran::rt
