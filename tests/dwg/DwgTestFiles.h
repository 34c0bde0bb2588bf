// DWG files built in the test: a header with its version and image seeker, the seeker's block
// with a picture entry, and the picture itself (a bitmap without its file header, or PNG bytes).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrel::test {

inline void PutU32(std::string& s, size_t at, uint32_t v) {
  if (s.size() < at + 4) s.resize(at + 4, '\0');
  for (int i = 0; i < 4; ++i)
    s[at + size_t(i)] = char(v >> (8 * i));
}
inline void PutU16(std::string& s, size_t at, uint16_t v) {
  if (s.size() < at + 2) s.resize(at + 2, '\0');
  s[at] = char(v);
  s[at + 1] = char(v >> 8);
}

struct TDwgLayout {
  std::string version = "AC1015";
  uint32_t seeker = 0x40;  // P
  uint8_t code = 2;
  // Overrides of the entry's start and size; by default the picture follows the entry.
  int64_t start = -1;
  int64_t size = -1;
};

// The picture entry at P + 21 .. P + 38, the picture right after it at P + 39.
inline std::string MakeDwg(const std::string& picture, const TDwgLayout& l = {}) {
  std::string f = l.version;
  f.resize(0x19, '\0');
  PutU32(f, 13, l.seeker);
  const size_t p = l.seeker;
  f.resize(std::max<size_t>(f.size(), p + 39), '\0');
  f[p + 20] = 2;  // entries: header and picture
  f[p + 21] = 1;  // the header entry (not read)
  f[p + 30] = char(l.code);
  const uint32_t start = l.start >= 0 ? uint32_t(l.start) : uint32_t(p + 39);
  const uint32_t size = l.size >= 0 ? uint32_t(l.size) : uint32_t(picture.size());
  PutU32(f, p + 31, start);
  PutU32(f, p + 35, size);
  if (l.start < 0) {
    f.resize(p + 39);
    f += picture;
  }
  return f;
}

// A device-independent bitmap (40-byte header, bottom-up rows) of `depth` bits per pixel.
// `index(x, y)` gives the palette index for depths up to 8; `rgb(x, y)` the colour 0xRRGGBB
// otherwise. A 32-bit picture with `bitFields` stores its three masks after the header.
struct TDib {
  int width = 16, height = 12, depth = 8;
  std::vector<uint32_t> palette;  // 0xRRGGBB; empty for 24 and 32 bits
  std::function<int(int, int)> index;
  std::function<uint32_t(int, int)> rgb;
  bool bitFields = false;
  bool topDown = false;
};

inline std::string MakeDib(const TDib& d) {
  std::string s;
  PutU32(s, 0, 40);
  PutU32(s, 4, uint32_t(d.width));
  PutU32(s, 8, uint32_t(d.topDown ? -d.height : d.height));
  PutU16(s, 12, 1);
  PutU16(s, 14, uint16_t(d.depth));
  PutU32(s, 16, d.bitFields ? 3 : 0);
  PutU32(s, 20, 0);
  PutU32(s, 32, uint32_t(d.palette.size()));
  s.resize(40);
  if (d.bitFields) {
    PutU32(s, 40, 0xFF0000);
    PutU32(s, 44, 0x00FF00);
    PutU32(s, 48, 0x0000FF);
  }
  for (uint32_t c : d.palette)
    PutU32(s, s.size(), c);
  const size_t rowBytes = (size_t(d.width) * size_t(d.depth) + 31) / 32 * 4;
  for (int r = 0; r < d.height; ++r) {
    const int y = d.topDown ? r : d.height - 1 - r;
    std::string row(rowBytes, '\0');
    for (int x = 0; x < d.width; ++x) {
      if (d.depth <= 8) {
        const int i = d.index(x, y);
        const size_t bit = size_t(x) * size_t(d.depth);
        row[bit / 8] = char(uint8_t(row[bit / 8]) | (i << (8 - d.depth - bit % 8)));
      } else {
        const uint32_t c = d.rgb(x, y);
        const size_t at = size_t(x) * size_t(d.depth / 8);
        row[at] = char(c);
        row[at + 1] = char(c >> 8);
        row[at + 2] = char(c >> 16);
        if (d.depth == 32) row[at + 3] = char(0xFF);
      }
    }
    s += row;
  }
  return s;
}

}  // namespace kestrel::test
