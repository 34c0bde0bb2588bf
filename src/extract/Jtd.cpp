// Ichitaro documents (.jtd, .jtt) are compound files whose text layout is not published. What
// is found: the compound file's streams are read (FAT and mini FAT, every chain checked for
// cycles and bounds); the stream "DocumentText" when there is one, else every stream, is
// scanned for runs of UTF-16LE text (Japanese, full-width forms, Latin), and the runs are
// given in stream order. The result is labelled as approximate on its first line.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "extract/Formats.h"

namespace kestrel::extract {
namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr size_t kShortestRun = 4;  // characters; shorter runs are mostly table data

uint32_t U32(std::string_view b, size_t at) {
  if (at + 4 > b.size()) return kFreeSector;
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;  // little-endian hosts
}
uint16_t U16(std::string_view b, size_t at) {
  if (at + 2 > b.size()) return 0;
  uint16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

struct Entry {
  std::u16string name;
  uint8_t type = 0;  // 2: stream, 5: root
  uint32_t start = 0;
  uint64_t size = 0;
};

class CompoundFile {
 public:
  bool Open(std::string_view bytes) {
    bytes_ = bytes;
    if (bytes.size() < 512 ||
        bytes.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
      return false;
    const uint16_t shift = U16(bytes, 30), miniShift = U16(bytes, 32);
    if (shift != 9 && shift != 12) return false;
    if (miniShift != 6) return false;
    sector_ = size_t(1) << shift;
    // The FAT's sectors: 109 in the header, the rest in the DIFAT chain.
    std::vector<uint32_t> fatSectors;
    for (int i = 0; i < 109; ++i)
      fatSectors.push_back(U32(bytes, 76 + 4 * i));
    uint32_t difat = U32(bytes, 68);
    for (int guard = 0; difat < kEndOfChain - 16 && guard < 100000; ++guard) {
      const size_t at = Offset(difat);
      if (at + sector_ > bytes.size()) break;
      for (size_t i = 0; i + 1 < sector_ / 4; ++i)
        fatSectors.push_back(U32(bytes, at + 4 * i));
      difat = U32(bytes, at + sector_ - 4);
    }
    for (uint32_t s : fatSectors) {
      if (s >= kEndOfChain - 16) continue;
      const size_t at = Offset(s);
      if (at + sector_ > bytes.size()) continue;
      for (size_t i = 0; i < sector_ / 4; ++i)
        fat_.push_back(U32(bytes, at + 4 * i));
      if (fat_.size() > bytes.size() / 4) break;
    }
    const std::string dir = Chain(fat_, U32(bytes, 48), false, bytes.size());
    for (size_t at = 0; at + 128 <= dir.size(); at += 128) {
      Entry e;
      const uint16_t nameBytes = std::min<uint16_t>(U16(dir, at + 64), 64);
      for (size_t k = 0; k + 2 < nameBytes; k += 2)
        e.name += char16_t(U16(dir, at + k));
      e.type = uint8_t(dir[at + 66]);
      e.start = U32(dir, at + 116);
      e.size = U32(dir, at + 120);
      entries_.push_back(std::move(e));
    }
    if (entries_.empty() || entries_[0].type != 5) return false;
    miniCutoff_ = U32(bytes, 56);
    miniStream_ = Chain(fat_, entries_[0].start, false, entries_[0].size);
    miniFat_ = {};
    const std::string miniFatBytes = Chain(fat_, U32(bytes, 60), false, bytes.size());
    for (size_t i = 0; i + 4 <= miniFatBytes.size(); i += 4)
      miniFat_.push_back(U32(miniFatBytes, i));
    return true;
  }

  const std::vector<Entry>& Entries() const { return entries_; }

  std::string Read(const Entry& e) const {
    const uint64_t size = std::min<uint64_t>(e.size, bytes_.size());
    if (size < miniCutoff_) return Chain(miniFat_, e.start, true, size);
    return Chain(fat_, e.start, false, size);
  }

 private:
  size_t Offset(uint32_t s) const { return (size_t(s) + 1) * sector_; }

  // The bytes of a sector chain, at most `size`; a cycle or a sector out of the file ends it.
  std::string Chain(const std::vector<uint32_t>& table, uint32_t s, bool mini,
                    uint64_t size) const {
    std::string out;
    const size_t unit = mini ? 64 : sector_;
    const std::string_view source = mini ? std::string_view(miniStream_) : bytes_;
    std::vector<bool> seen(table.size(), false);
    while (s < table.size() && !seen[s] && out.size() < size) {
      seen[s] = true;
      const size_t at = mini ? size_t(s) * 64 : Offset(s);
      if (at + unit > source.size()) break;
      out.append(source.substr(at, std::min<uint64_t>(unit, size - out.size())));
      s = table[s];
    }
    return out;
  }

  std::string_view bytes_;
  size_t sector_ = 512;
  uint32_t miniCutoff_ = 4096;
  std::vector<uint32_t> fat_, miniFat_;
  std::vector<Entry> entries_;
  std::string miniStream_;
};

bool IsTextUnit(char16_t u) {
  return (u >= 0x20 && u < 0x7F) || (u >= 0x3000 && u <= 0x30FF) ||  // kana, CJK punctuation
         (u >= 0x4E00 && u <= 0x9FFF) ||                             // kanji
         (u >= 0xFF01 && u <= 0xFF9F) ||                             // full- and half-width forms
         (u >= 0x2010 && u <= 0x2312) || (u >= 0x2460 && u <= 0x24FF) ||
         (u >= 0xD800 && u <= 0xDFFF);
}

// Runs of UTF-16LE text units in `s`, one line each; CR and LF inside a run end its line.
void TextRuns(std::string_view s, TextOut& out) {
  std::string run;
  size_t count = 0;
  auto flush = [&] {
    if (count >= kShortestRun) {
      out.Append(run);
      out.NewLine();
    }
    run.clear();
    count = 0;
  };
  for (size_t i = 0; i + 1 < s.size() && !out.Full(); i += 2) {
    const char16_t u = char16_t(uint8_t(s[i]) | (uint8_t(s[i + 1]) << 8));
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
      const char16_t lo = char16_t(uint8_t(s[i + 2]) | (uint8_t(s[i + 3]) << 8));
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        AppendUtf8(run, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        ++count;
        i += 2;
        continue;
      }
    }
    if (IsTextUnit(u) && !(u >= 0xD800 && u <= 0xDFFF)) {
      AppendUtf8(run, u);
      ++count;
    } else {
      flush();
    }
  }
  flush();
}

}  // namespace

bool ReadJustSystemsDocument(std::string_view bytes, TextOut& out, std::string* error) {
  CompoundFile cf;
  if (!cf.Open(bytes)) {
    *error = "一太郎の文書として読めません";
    return false;
  }
  out.Append("[一太郎文書: 本文の推定抽出]");
  out.NewLine();
  const Entry* text = nullptr;
  for (const Entry& e : cf.Entries()) {
    if (e.type == 2 && e.name == u"DocumentText") text = &e;
  }
  if (text) {
    TextRuns(cf.Read(*text), out);
  } else {
    // Streams may share sectors in a damaged file: the reading stops at a few times its size.
    uint64_t budget = uint64_t(bytes.size()) * 4;
    for (const Entry& e : cf.Entries()) {
      if (e.type != 2 || out.Full() || e.size > budget) continue;
      budget -= e.size;
      TextRuns(cf.Read(e), out);
    }
  }
  return true;
}

}  // namespace kestrel::extract
