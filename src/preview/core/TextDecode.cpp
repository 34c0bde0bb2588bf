#include "preview/core/TextDecode.h"

#include <cstdint>
#include <cstring>

#include "base/PathBytes.h"
#include "base/RegularFile.h"

namespace kestrel::preview {
namespace {

// IsValidUtf8 with a fast path over the ASCII start, eight bytes at a time; source files are
// mostly ASCII.
bool IsUtf8(std::string_view bytes) {
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if (word & 0x8080808080808080ull) break;
  }
  return IsValidUtf8(bytes.substr(i));
}

std::optional<std::string> DecodeAs(std::string_view body, TextEncoding enc) {
  switch (enc) {
    case TextEncoding::Utf8:
      if (IsUtf8(body)) return std::string(body);
      return std::nullopt;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      return Utf16ToUtf8Strict(body, enc == TextEncoding::Utf16BE);
    case TextEncoding::Ansi:
      return AnsiToUtf8Strict(body);
  }
  return std::nullopt;
}

std::string AsciiWithReplacement(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  for (char c : body) {
    if (static_cast<unsigned char>(c) < 0x80) {
      out += c;
    } else {
      out += "\xEF\xBF\xBD";
    }
  }
  return out;
}

}  // namespace

std::optional<TDecodedText> DecodeForTextView(std::string_view bytes) {
  const BomInfo bom = DetectBom(bytes);
  const std::string_view body = bytes.substr(bom.length);
  if (bom.encoding) {
    // The mark decides the encoding of every attempt, so they all succeed or all fail.
    if (auto text = DecodeAs(body, *bom.encoding))
      return TDecodedText{std::move(*text), TextAttempt::Utf8, bom.encoding};
    return std::nullopt;
  }
  if (IsUtf8(body)) return TDecodedText{std::string(body), TextAttempt::Utf8, {}};
  if (auto text = AnsiToUtf8Strict(body))
    return TDecodedText{std::move(*text), TextAttempt::Ansi, {}};
  return TDecodedText{AsciiWithReplacement(body), TextAttempt::Ascii, {}};
}

std::optional<TDecodedText> DecodeOwnedForTextView(std::string&& bytes) {
  const BomInfo bom = DetectBom(bytes);
  if (bom.encoding && *bom.encoding != TextEncoding::Utf8)
    return DecodeForTextView(std::string_view(bytes));
  if (!IsUtf8(std::string_view(bytes).substr(bom.length))) {
    if (bom.encoding) return std::nullopt;
    return DecodeForTextView(std::string_view(bytes));
  }
  bytes.erase(0, bom.length);
  return TDecodedText{std::move(bytes), TextAttempt::Utf8, bom.encoding};
}

std::optional<std::string> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  return ReadRegularFile(NativePath(path), maxBytes);
}

}  // namespace kestrel::preview
