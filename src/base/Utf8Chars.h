// Characters of a byte string that should be UTF-8 but need not be: file names on Linux are
// whatever bytes their writer chose (Latin-1, Shift_JIS from an old disk, cut-off names).
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrel {

// The length of the character that starts at `s[i]` (i < s.size()): 2 to 4 for a complete,
// well-formed UTF-8 sequence (no overlong form, no surrogate, nothing above U+10FFFF), else 1.
// Any other byte, a stray continuation byte or the lead byte of a cut-off sequence, is a
// character of its own, so that no invalid byte ever swallows the bytes after it.
inline size_t Utf8CharLength(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  size_t n;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) low = 0xA0;   // overlong below U+0800
    if (c == 0xED) high = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) low = 0x90;   // overlong below U+10000
    if (c == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 1;
  }
  if (s.size() - i < n) return 1;
  const auto second = static_cast<unsigned char>(s[i + 1]);
  if (second < low || second > high) return 1;
  for (size_t k = 2; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace kestrel
