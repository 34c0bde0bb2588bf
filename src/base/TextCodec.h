// Conversions between the encodings Kestrel meets in files: UTF-8 (its own), the ANSI code
// page (932, Shift_JIS as Windows writes it) and UTF-16 with a byte-order mark.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// The byte-order mark at the start of `bytes`, if any, and its length in bytes.
struct BomInfo {
  std::optional<TextEncoding> encoding;
  size_t length = 0;
};
BomInfo DetectBom(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);
bool IsAscii(std::string_view bytes);

// Strict decoders: std::nullopt when a byte sequence is not valid in that encoding.
std::optional<std::string> AnsiToUtf8Strict(std::string_view bytes);
std::optional<std::string> Utf16ToUtf8Strict(std::string_view bytes, bool bigEndian);

// Lenient decoder for file contents that must not fail: invalid bytes become U+FFFD.
std::string AnsiToUtf8(std::string_view bytes);

// Encodes UTF-8 text in the ANSI code page; std::nullopt when a character has no code there.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
// The same, for files whose readers take valid UTF-8 as UTF-8: std::nullopt also when the
// bytes would read as other text that way (half-width "ﾃｽ" is C3 BD, the UTF-8 of "ý").
std::optional<std::string> Utf8ToAnsiUnambiguous(std::string_view utf8);

// Decodes a whole file's bytes: a byte-order mark wins, else `fallback` (Ansi or Utf8; an
// invalid UTF-8 sequence then decodes leniently). Reports the encoding that was used.
std::string DecodeText(std::string_view bytes, TextEncoding fallback, TextEncoding* used = nullptr);

// Encodes UTF-8 text for writing back in `encoding`, with its byte-order mark where it has
// one (`withBom` for UTF-8). When a character cannot be written in the ANSI code page the text
// is written as UTF-8 with a byte-order mark instead, so that nothing is lost.
std::string EncodeText(std::string_view utf8, TextEncoding encoding, bool withBom,
                       TextEncoding* used = nullptr);

// ASCII-only upper- and lower-casing, as the system compares file names and search words.
std::string AsciiUpper(std::string_view text);
inline char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}
inline char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

}  // namespace kestrel
