#include "dxf/DxfText.h"

#include <algorithm>

#include "base/TextCodec.h"

namespace kestrel::dxf {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the valid UTF-8 sequence at p, 0 when it is not one.
size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end, char32_t& cp) {
  const unsigned c = *p;
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  size_t n;
  char32_t min;
  if ((c & 0xE0) == 0xC0) {
    n = 2, min = 0x80, cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3, min = 0x800, cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4, min = 0x10000, cp = c & 0x07;
  } else {
    return 0;
  }
  if (size_t(end - p) < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::u32string ToCodePoints(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  while (p < end) {
    char32_t cp = 0;
    const size_t n = Utf8SequenceLength(p, end, cp);
    out += n ? cp : kReplacement;
    p += n ? n : 1;
  }
  return out;
}

// Surrogate halves from escapes pair up into one character; a lone half cannot be UTF-8.
std::string FromUtf16Units(const std::u32string& units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

constexpr std::u32string_view kEscape = U"\\U+";
constexpr size_t kEscapeLength = 7;  // "\U+" and four digits

char32_t HexValue(std::u32string_view digits) {
  if (digits.empty()) return 0;
  char32_t v = 0;
  for (char32_t c : digits) {
    int d;
    if (c >= '0' && c <= '9') {
      d = int(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      d = int(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      d = int(c - 'a' + 10);
    } else {
      return 0;
    }
    v = v * 16 + char32_t(d);
  }
  return v;
}

void ReplaceAll(std::u32string& t, std::u32string_view from, char32_t to) {
  std::u32string out;
  out.reserve(t.size());
  size_t i = 0;
  while (i < t.size()) {
    const size_t hit = t.find(from, i);
    if (hit == std::u32string::npos) break;
    out.append(t, i, hit - i);
    out += to;
    i = hit + from.size();
  }
  out.append(t, std::min(i, t.size()), std::u32string::npos);
  t = std::move(out);
}

// Left to right in one pass. A decoded backslash is looked at again, so that it can open the
// next escape as it does when the whole text is searched again.
void DecodeInOnePass(std::u32string& t) {
  std::u32string out;
  out.reserve(t.size());
  size_t i = 0;
  while (i < t.size()) {
    if (t.compare(i, kEscape.size(), kEscape) != 0) {
      out += t[i++];
      continue;
    }
    const size_t len = std::min(kEscapeLength, t.size() - i);
    const char32_t c = HexValue(std::u32string_view(t).substr(i + 3, len - 3));
    i += len - 1;
    t[i] = c;
    if (c != U'\\') out += t[i++];
  }
  t = std::move(out);
}

}  // namespace

std::string Utf8Lenient(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return FromUtf16Units(ToCodePoints(bytes));
}

void DecodeUnicodeEscapes(std::string& text) {
  if (text.find("\\U+") == std::string::npos) return;
  std::u32string t = ToCodePoints(text);
  // Each distinct escape is replaced throughout the text, earliest first. A text built to hold
  // thousands of distinct escapes would make that quadratic, so past a budget of work the rest
  // is decoded in one pass, which gives the same characters for every ordinary text.
  size_t work = 0;
  const size_t budget = 64 * t.size() + 4096;
  for (;;) {
    const size_t pos = t.find(kEscape);
    if (pos == std::u32string::npos) break;
    if (work > budget) {
      DecodeInOnePass(t);
      break;
    }
    const std::u32string pattern = t.substr(pos, kEscapeLength);
    ReplaceAll(t, pattern, HexValue(std::u32string_view(pattern).substr(3)));
    work += t.size();
  }
  text = FromUtf16Units(t);
}

void DecodeUnicodeEscapes(SharedString& text) {
  if (text.view().find("\\U+") == std::string_view::npos) return;
  std::string decoded(text);
  DecodeUnicodeEscapes(decoded);
  text = decoded;
}

}  // namespace kestrel::dxf
