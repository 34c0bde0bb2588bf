#include "catalogue/WildcardMatch.h"

#include "base/TextCodec.h"

namespace kestrel::catalogue {
namespace {

// Length of the UTF-8 character that starts at `s[i]` (1 for stray continuation bytes).
size_t CharLength(std::string_view s, size_t i) {
  auto c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return i + n <= s.size() ? n : s.size() - i;
}

}  // namespace

bool MatchesMask(std::string_view mask, std::string_view name) {
  if (mask == "*.*" || mask == "*") return true;
  // Greedy matching with one backtrack point: the last star seen. Linear in practice.
  size_t m = 0, n = 0;
  size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = ++m;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      ++m;
      n += CharLength(name, n);
    } else if (m < mask.size() && AsciiLower(mask[m]) == AsciiLower(name[n])) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask;
      starName += CharLength(name, starName);
      n = starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

}  // namespace kestrel::catalogue
