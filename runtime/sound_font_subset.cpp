#include "runtime/sound_font_subset.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

namespace velloran::rt {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct NotCuttable {};

std::uint32_t little(const std::uint8_t* at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

void setLittle(std::uint8_t* at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void append(Bytes& out, const void* bytes, std::size_t size) {
  const auto* from = static_cast<const std::uint8_t*>(bytes);
  out.insert(out.end(), from, from + size);
}

void appendLittle(Bytes& out, std::uint32_t value) {
  std::uint8_t bytes[4];
  setLittle(bytes, value, 4);
  append(out, bytes, 4);
}

void appendChunk(Bytes& out, const std::string& id, const Bytes& body) {
  append(out, id.data(), 4);
  appendLittle(out, static_cast<std::uint32_t>(body.size()));
  append(out, body.data(), body.size());
  if (body.size() % 2) out.push_back(0);
}

// A table of fixed-size records, the last of them the closing one the format asks for.
struct Table {
  Bytes bytes;
  std::size_t size = 1;
  std::size_t count() const { return bytes.size() / size; }
  const std::uint8_t* at(std::size_t index) const {
    if (index >= count()) throw NotCuttable{};
    return bytes.data() + index * size;
  }
  std::uint32_t field(std::size_t index, int offset, int width) const {
    return little(at(index) + offset, width);
  }
};

Table table(const std::map<std::string, Bytes>& chunks, const std::string& id, std::size_t size) {
  const auto found = chunks.find(id);
  if (found == chunks.end() || found->second.size() % size || found->second.size() < size) {
    throw NotCuttable{};
  }
  return {found->second, size};
}

// One level of the file: headers (presets, or instruments), each owning the zones from its
// bag index up to the next header's, each zone owning generators and modulators the same way.
// One generator of a zone links it to the level below: a preset zone's instrument, an
// instrument zone's sample.
struct Level {
  Table headers, bags, modulators, generators;
  int bagOffset;         // of the header's bag index
  std::uint16_t linkId;  // the linking generator

  std::pair<std::size_t, std::size_t> zonesOf(std::size_t header) const {
    return {headers.field(header, bagOffset, 2), headers.field(header + 1, bagOffset, 2)};
  }
  std::pair<std::size_t, std::size_t> range(const Table& of, std::size_t bag, int offset) const {
    const std::size_t from = bags.field(bag, offset, 2), to = bags.field(bag + 1, offset, 2);
    if (from > to || to >= of.count()) throw NotCuttable{};
    return {from, to};
  }

  // What the headers' zones link to below.
  std::set<std::uint16_t> links(const std::vector<std::size_t>& kept) const {
    std::set<std::uint16_t> found;
    for (const std::size_t header : kept) {
      const auto [first, end] = zonesOf(header);
      for (std::size_t bag = first; bag < end; ++bag) {
        const auto [from, to] = range(generators, bag, 0);
        for (std::size_t g = from; g < to; ++g) {
          if (generators.field(g, 0, 2) == linkId) found.insert(generators.field(g, 2, 2));
        }
      }
    }
    return found;
  }

  // The kept headers with their zones, numbered afresh, each link renumbered by `relink`;
  // the closing header and a closing record for each table end them as the format asks.
  Level cut(const std::vector<std::size_t>& kept,
            const std::map<std::uint16_t, std::uint16_t>& relink) const {
    Level out{{{}, headers.size},    {{}, 4},   {{}, modulators.size},
              {{}, generators.size}, bagOffset, linkId};
    auto addHeader = [&](std::size_t header) {
      append(out.headers.bytes, headers.at(header), headers.size);
      setLittle(out.headers.bytes.data() + out.headers.bytes.size() - headers.size + bagOffset,
                static_cast<std::uint32_t>(out.bags.count()), 2);
    };
    auto addBag = [&] {
      std::uint8_t bag[4];
      setLittle(bag, static_cast<std::uint32_t>(out.generators.count()), 2);
      setLittle(bag + 2, static_cast<std::uint32_t>(out.modulators.count()), 2);
      append(out.bags.bytes, bag, 4);
    };
    for (const std::size_t header : kept) {
      addHeader(header);
      const auto [first, end] = zonesOf(header);
      for (std::size_t bag = first; bag < end; ++bag) {
        addBag();
        const auto [from, to] = range(generators, bag, 0);
        for (std::size_t g = from; g < to; ++g) {
          append(out.generators.bytes, generators.at(g), generators.size);
          if (generators.field(g, 0, 2) == linkId) {
            setLittle(out.generators.bytes.data() + out.generators.bytes.size() - 2,
                      relink.at(static_cast<std::uint16_t>(generators.field(g, 2, 2))), 2);
          }
        }
        const auto [modFrom, modTo] = range(modulators, bag, 2);
        for (std::size_t m = modFrom; m < modTo; ++m) {
          append(out.modulators.bytes, modulators.at(m), modulators.size);
        }
      }
    }
    addHeader(headers.count() - 1);
    addBag();
    out.modulators.bytes.resize(out.modulators.bytes.size() + modulators.size);
    out.generators.bytes.resize(out.generators.bytes.size() + generators.size);
    return out;
  }

  // The level's chunks, named as the format names them (level "p": "phdr", "pbag", ...).
  void write(Bytes& out, const std::string& level, const std::string& headerId) const {
    appendChunk(out, headerId, headers.bytes);
    appendChunk(out, level + "bag", bags.bytes);
    appendChunk(out, level + "mod", modulators.bytes);
    appendChunk(out, level + "gen", generators.bytes);
  }
};

Level readLevel(const std::map<std::string, Bytes>& hydra, const std::string& level,
                const std::string& headerId, std::size_t headerSize, int bagOffset,
                std::uint16_t linkId) {
  return {table(hydra, headerId, headerSize),
          table(hydra, level + "bag", 4),
          table(hydra, level + "mod", 10),
          table(hydra, level + "gen", 4),
          bagOffset,
          linkId};
}

// The numbers of `kept` in order, for renumbering links to them.
std::map<std::uint16_t, std::uint16_t> numbering(const std::set<std::uint16_t>& kept) {
  std::map<std::uint16_t, std::uint16_t> numbers;
  for (const std::uint16_t index : kept) {
    numbers.emplace(index, static_cast<std::uint16_t>(numbers.size()));
  }
  return numbers;
}

// Sample headers: name, start, end, loop start, loop end (points into the sample data),
// rate, pitch, correction, the linked sample of a stereo pair, and the type.
constexpr std::size_t kSampleHeader = 46;
constexpr int kStart = 20, kEnd = 24, kLoopStart = 28, kLoopEnd = 32, kLink = 42, kType = 44;
constexpr std::uint32_t kMonoSample = 1, kRomSample = 0x8000;
// Points after each sample's end that the format asks to be kept (and silent).
constexpr std::uint32_t kGuardPoints = 46;

// Where a sample's points end: at its end, or at its loop's end if that lies further.
std::uint32_t pointsEnd(const Table& samples, std::size_t sample) {
  return std::max(samples.field(sample, kEnd, 4), samples.field(sample, kLoopEnd, 4));
}

struct File {
  std::ifstream& in;
  Bytes info;
  std::uint64_t samplesAt = 0;  // of the 16-bit sample data
  std::uint32_t samplePoints = 0;
  std::map<std::string, Bytes> hydra;

  Bytes read(std::uint64_t at, std::size_t size) {
    Bytes bytes(size);
    in.seekg(static_cast<std::streamoff>(at));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
      throw NotCuttable{};
    }
    return bytes;
  }

  File(std::ifstream& file, const std::string& path) : in(file) {
    in.open(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    const auto length = static_cast<std::uint64_t>(in.tellg());
    const Bytes head = read(0, 12);
    if (std::memcmp(head.data(), "RIFF", 4) || std::memcmp(head.data() + 8, "sfbk", 4)) {
      throw NotCuttable{};
    }
    bool sawSamples = false;
    for (std::uint64_t at = 12; at + 12 <= length;) {
      const Bytes chunk = read(at, 12);
      const std::uint64_t size = little(chunk.data() + 4, 4);
      if (at + 8 + size > length) throw NotCuttable{};
      if (!std::memcmp(chunk.data(), "LIST", 4)) {
        if (size < 4) throw NotCuttable{};
        const std::string type(chunk.begin() + 8, chunk.end());
        if (type == "INFO") info = read(at + 12, size - 4);
        if (type == "sdta") sawSamples = findSamples(at + 12, at + 8 + size);
        if (type == "pdta") readHydra(read(at + 12, size - 4));
      }
      at += 8 + size + size % 2;
    }
    if (info.empty() || !sawSamples) throw NotCuttable{};
  }

  // Finds the 16-bit samples; 24-bit ones (their low bytes in a chunk apart) are not cut.
  bool findSamples(std::uint64_t at, std::uint64_t end) {
    bool found = false;
    while (at + 8 <= end) {
      const Bytes chunk = read(at, 8);
      const std::uint32_t size = little(chunk.data() + 4, 4);
      if (at + 8 + size > end || !std::memcmp(chunk.data(), "sm24", 4)) throw NotCuttable{};
      if (!std::memcmp(chunk.data(), "smpl", 4)) {
        samplesAt = at + 8;
        samplePoints = size / 2;
        found = true;
      }
      at += 8 + size + size % 2;
    }
    return found;
  }

  void readHydra(const Bytes& list) {
    for (std::size_t at = 0; at + 8 <= list.size();) {
      const std::uint32_t size = little(list.data() + at + 4, 4);
      if (at + 8 + size > list.size()) throw NotCuttable{};
      hydra[std::string(list.begin() + static_cast<std::ptrdiff_t>(at),
                        list.begin() + static_cast<std::ptrdiff_t>(at) + 4)] =
          Bytes(list.begin() + static_cast<std::ptrdiff_t>(at) + 8,
                list.begin() + static_cast<std::ptrdiff_t>(at + 8 + size));
      at += 8 + size + size % 2;
    }
  }
};

}  // namespace

class SoundFontCutter {
 public:
  static std::unique_ptr<SoundFontSubset> cut(const std::string& path,
                                              const std::set<Preset>& presets);
};

std::unique_ptr<SoundFontSubset> SoundFontCutter::cut(const std::string& path,
                                                      const std::set<Preset>& presets) {
  auto subset = std::make_unique<SoundFontSubset>();
  File file(subset->file_, path);
  // Presets link to instruments by generator 41, instruments to samples by generator 53.
  const Level presetLevel = readLevel(file.hydra, "p", "phdr", 38, 24, 41);
  const Level instrumentLevel = readLevel(file.hydra, "i", "inst", 22, 20, 53);
  const Table samples = table(file.hydra, "shdr", kSampleHeader);

  std::vector<std::size_t> keptPresets;
  std::set<Preset> found;
  for (std::size_t p = 0; p + 1 < presetLevel.headers.count(); ++p) {
    const Preset preset{static_cast<int>(presetLevel.headers.field(p, 22, 2)),
                        static_cast<int>(presetLevel.headers.field(p, 20, 2))};
    if (presets.count(preset)) {
      keptPresets.push_back(p);
      found.insert(preset);
    }
  }
  if (found != presets) throw NotCuttable{};

  const std::set<std::uint16_t> instruments = presetLevel.links(keptPresets);
  const std::vector<std::size_t> keptInstruments(instruments.begin(), instruments.end());
  if (!instruments.empty() && *instruments.rbegin() + 1u >= instrumentLevel.headers.count()) {
    throw NotCuttable{};
  }
  std::set<std::uint16_t> kept = instrumentLevel.links(keptInstruments);
  // Both halves of a stereo pair.
  for (std::vector<std::uint16_t> more(kept.begin(), kept.end()); !more.empty();) {
    const std::uint16_t sample = more.back();
    more.pop_back();
    if (sample + 1u >= samples.count()) throw NotCuttable{};
    if (samples.field(sample, kType, 2) & kRomSample) throw NotCuttable{};
    if (samples.field(sample, kType, 2) != kMonoSample &&
        kept.insert(static_cast<std::uint16_t>(samples.field(sample, kLink, 2))).second) {
      more.push_back(static_cast<std::uint16_t>(samples.field(sample, kLink, 2)));
    }
  }
  const auto sampleNumbers = numbering(kept);

  // Each kept sample's points, from its start past its end and loop by the guard points,
  // one after the other, read from the file when wanted; its positions moved along.
  std::vector<SoundFontSubset::Piece> sampleData;
  std::uint64_t samplePoints = 0;
  Bytes sampleHeaders;
  for (const std::uint16_t sample : kept) {
    const std::uint32_t start = samples.field(sample, kStart, 4);
    const auto end = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        std::uint64_t{pointsEnd(samples, sample)} + kGuardPoints, file.samplePoints));
    if (start > end) throw NotCuttable{};
    const std::int64_t shift = static_cast<std::int64_t>(samplePoints) - start;
    append(sampleHeaders, samples.at(sample), kSampleHeader);
    std::uint8_t* header = sampleHeaders.data() + sampleHeaders.size() - kSampleHeader;
    for (const int offset : {kStart, kEnd, kLoopStart, kLoopEnd}) {
      const std::int64_t moved = static_cast<std::int64_t>(little(header + offset, 4)) + shift;
      if (moved < 0) throw NotCuttable{};
      setLittle(header + offset, static_cast<std::uint32_t>(moved), 4);
    }
    const auto link = sampleNumbers.find(static_cast<std::uint16_t>(little(header + kLink, 2)));
    setLittle(header + kLink, link == sampleNumbers.end() ? 0 : link->second, 2);
    sampleData.push_back({2ull * (end - start), file.samplesAt + 2ull * start, {}});
    samplePoints += end - start;
  }
  append(sampleHeaders, samples.at(samples.count() - 1), kSampleHeader);

  const Level presetsCut = presetLevel.cut(keptPresets, numbering(instruments));
  const Level instrumentsCut = instrumentLevel.cut(keptInstruments, sampleNumbers);

  Bytes hydra = {'p', 'd', 't', 'a'};
  presetsCut.write(hydra, "p", "phdr");
  instrumentsCut.write(hydra, "i", "inst");
  appendChunk(hydra, "shdr", sampleHeaders);
  Bytes info = {'I', 'N', 'F', 'O'};
  append(info, file.info.data(), file.info.size());
  Bytes hydraList;
  appendChunk(hydraList, "LIST", hydra);

  // RIFF, the information, and the sample data's headers before the points.
  Bytes head;
  appendChunk(head, "LIST", info);
  const std::uint64_t sampleBytes = 2 * samplePoints;
  if (sampleBytes > UINT32_MAX - 12) throw NotCuttable{};
  const auto sampleList = static_cast<std::uint32_t>(sampleBytes + 12);
  append(head, "LIST", 4);
  appendLittle(head, sampleList);
  append(head, "sdtasmpl", 8);
  appendLittle(head, static_cast<std::uint32_t>(sampleBytes));
  const std::uint64_t riff = 4 + head.size() + sampleBytes + hydraList.size();
  if (riff > UINT32_MAX) throw NotCuttable{};
  Bytes riffHead{'R', 'I', 'F', 'F'};
  appendLittle(riffHead, static_cast<std::uint32_t>(riff));
  append(riffHead, "sfbk", 4);
  riffHead.insert(riffHead.end(), head.begin(), head.end());

  auto& pieces = subset->pieces_;
  pieces.push_back({riffHead.size(), 0, std::move(riffHead)});
  pieces.insert(pieces.end(), sampleData.begin(), sampleData.end());
  pieces.push_back({hydraList.size(), 0, std::move(hydraList)});
  for (const auto& piece : pieces) subset->size_ += piece.size;
  return subset;
}

bool SoundFontSubset::read(std::uint64_t at, std::uint8_t* into, std::uint64_t count) {
  for (const Piece& piece : pieces_) {
    if (count == 0) break;
    if (at >= piece.size) {
      at -= piece.size;
      continue;
    }
    const std::uint64_t part = std::min(count, piece.size - at);
    if (!piece.bytes.empty()) {
      std::memcpy(into, piece.bytes.data() + at, part);
    } else {
      file_.clear();
      file_.seekg(static_cast<std::streamoff>(piece.fileAt + at));
      if (!file_.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(part))) {
        return false;
      }
    }
    into += part;
    count -= part;
    at = 0;
  }
  return count == 0;
}

std::unique_ptr<SoundFontSubset> soundFontSubset(const std::string& path,
                                                 const std::set<Preset>& presets) {
  try {
    return SoundFontCutter::cut(path, presets);
  } catch (const NotCuttable&) {
    return nullptr;
  } catch (const std::out_of_range&) {  // a link to nothing
    return nullptr;
  }
}

}  // namespace velloran::rt
