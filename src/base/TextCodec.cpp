#include "base/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace kestrel {
namespace {

// "CP932" is Windows' Shift_JIS: glibc's "SHIFT_JIS" lacks characters such as ① and ～.
constexpr const char* kAnsiName = "CP932";

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in`; on an invalid or unconvertible sequence either stops (strict) or
  // writes `replacement` and skips one byte.
  std::optional<std::string> Convert(std::string_view in, bool strict,
                                     std::string_view replacement) {
    if (!ok()) return std::nullopt;
    std::string out(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (true) {
      char* dst = out.data() + used;
      size_t dstLeft = out.size() - used;
      size_t rc = srcLeft == 0 ? iconv(cd_, nullptr, nullptr, &dst, &dstLeft)
                               : iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      used = out.size() - dstLeft;
      if (rc != static_cast<size_t>(-1)) {
        if (srcLeft == 0) break;
        continue;
      }
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ, EINVAL (truncated sequence at the end)
      if (strict) return std::nullopt;
      // Into the room the buffer has; it grows by doubling, so that a binary file full of
      // invalid bytes costs its length, not its square.
      if (out.size() - used < replacement.size()) out.resize(out.size() * 2 + replacement.size());
      std::memcpy(out.data() + used, replacement.data(), replacement.size());
      used += replacement.size();
      ++src;
      --srcLeft;
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

BomInfo DetectBom(std::string_view b) {
  auto u = [&](size_t i) { return static_cast<unsigned char>(b[i]); };
  if (b.size() >= 3 && u(0) == 0xEF && u(1) == 0xBB && u(2) == 0xBF) return {TextEncoding::Utf8, 3};
  if (b.size() >= 2 && u(0) == 0xFF && u(1) == 0xFE) return {TextEncoding::Utf16LE, 2};
  if (b.size() >= 2 && u(0) == 0xFE && u(1) == 0xFF) return {TextEncoding::Utf16BE, 2};
  return {};
}

namespace {

// The length of the valid UTF-8 sequence at `p`, or 0: overlong forms, surrogates, code points
// above U+10FFFF and truncated sequences are invalid.
size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
  unsigned c = *p;
  if (c < 0x80) return 1;
  size_t n;
  unsigned min;
  if ((c & 0xE0) == 0xC0) {
    n = 1, min = 0x80, c &= 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    n = 2, min = 0x800, c &= 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    n = 3, min = 0x10000, c &= 0x07;
  } else {
    return 0;
  }
  if (size_t(end - p) <= n) return 0;
  for (size_t i = 1; i <= n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (p[i] & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return n + 1;
}

// Every byte that does not begin a valid sequence becomes U+FFFD. (iconv's UTF-8 decoder lets
// code points above U+10FFFF and five-byte forms through, which are not UTF-8.)
std::string Utf8WithReplacement(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    const size_t n = Utf8SequenceLength(p, end);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++p;
    } else {
      out.append(reinterpret_cast<const char*>(p), n);
      p += n;
    }
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    if (*p < 0x80) {
      ++p;
      continue;
    }
    const size_t n = Utf8SequenceLength(p, end);
    if (n == 0) return false;
    p += n;
  }
  return true;
}

bool IsAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::optional<std::string> AnsiToUtf8Strict(std::string_view bytes) {
  bool ascii = true;
  for (char c : bytes)
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(bytes);
  return Iconv("UTF-8", kAnsiName).Convert(bytes, true, {});
}

std::string AnsiToUtf8(std::string_view bytes) {
  bool ascii = true;
  for (char c : bytes)
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(bytes);
  return Iconv("UTF-8", kAnsiName).Convert(bytes, false, "\xEF\xBF\xBD").value_or(std::string());
}

std::optional<std::string> Utf16ToUtf8Strict(std::string_view bytes, bool bigEndian) {
  return Iconv("UTF-8", bigEndian ? "UTF-16BE" : "UTF-16LE").Convert(bytes, true, {});
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
  return Iconv(kAnsiName, "UTF-8").Convert(utf8, true, {});
}

std::optional<std::string> Utf8ToAnsiUnambiguous(std::string_view utf8) {
  std::optional<std::string> ansi = Utf8ToAnsi(utf8);
  if (ansi && !IsAscii(*ansi) && IsValidUtf8(*ansi)) return std::nullopt;
  return ansi;
}

std::string DecodeText(std::string_view bytes, TextEncoding fallback, TextEncoding* used) {
  BomInfo bom = DetectBom(bytes);
  TextEncoding enc = bom.encoding.value_or(fallback);
  std::string_view body = bytes.substr(bom.length);
  if (used) *used = enc;
  switch (enc) {
    case TextEncoding::Utf8:
      if (IsValidUtf8(body)) return std::string(body);
      return Utf8WithReplacement(body);
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      return Iconv("UTF-8", enc == TextEncoding::Utf16BE ? "UTF-16BE" : "UTF-16LE")
          .Convert(body, false, "\xEF\xBF\xBD")
          .value_or(std::string());
    case TextEncoding::Ansi:
      break;
  }
  return AnsiToUtf8(body);
}

std::string EncodeText(std::string_view utf8, TextEncoding encoding, bool withBom,
                       TextEncoding* used) {
  if (encoding == TextEncoding::Ansi) {
    if (auto ansi = Utf8ToAnsi(utf8)) {
      if (used) *used = TextEncoding::Ansi;
      return *ansi;
    }
    encoding = TextEncoding::Utf8;
    withBom = true;
  }
  if (used) *used = encoding;
  std::string out;
  switch (encoding) {
    case TextEncoding::Utf8:
      if (withBom) out = "\xEF\xBB\xBF";
      out.append(utf8);
      return out;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      bool be = encoding == TextEncoding::Utf16BE;
      out = be ? "\xFE\xFF" : "\xFF\xFE";
      out += Iconv(be ? "UTF-16BE" : "UTF-16LE", "UTF-8")
                 .Convert(utf8, false, {})
                 .value_or(std::string());
      return out;
    }
    case TextEncoding::Ansi:
      break;
  }
  return out;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = AsciiUpper(c);
  return out;
}

}  // namespace kestrel
