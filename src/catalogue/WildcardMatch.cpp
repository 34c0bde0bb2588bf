#include "catalogue/WildcardMatch.h"

#include "base/TextCodec.h"
#include "base/Utf8Chars.h"

namespace kestrel::catalogue {

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
      n += Utf8CharLength(name, n);
    } else if (m < mask.size() && AsciiLower(mask[m]) == AsciiLower(name[n])) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask;
      starName += Utf8CharLength(name, starName);
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
