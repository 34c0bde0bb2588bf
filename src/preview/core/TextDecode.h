// Decoding a whole text file for the text view: a byte-order mark wins; otherwise UTF-8
// (strict), then the ANSI code page (strict), then ASCII.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/TextCodec.h"

namespace kestrel::preview {

// The encodings tried in turn; the last one tried stays the view's default encoding.
enum class TextAttempt { Utf8, Ansi, Ascii };

struct TDecodedText {
  std::string text;                 // UTF-8, byte-order mark removed
  TextAttempt attempt;              // the attempt that succeeded
  std::optional<TextEncoding> bom;  // the byte-order mark's encoding, when there is one
};

// std::nullopt when every attempt fails, which only a file with a byte-order mark and bytes
// invalid in the mark's encoding does: ASCII shows bytes above 127 as U+FFFD rather than fail.
std::optional<TDecodedText> DecodeForTextView(std::string_view bytes);
// The same, reusing the buffer of `bytes` for the text when it is UTF-8 already: a large file
// is then not held twice.
std::optional<TDecodedText> DecodeOwnedForTextView(std::string&& bytes);

// The largest text the view loads: beyond it the editor's positions and the machine's memory
// give out (a sparse file of many gigabytes reads in no time, but would have to be held whole).
inline constexpr uint64_t kMaxTextViewBytes = uint64_t(1) << 30;

// The whole file as large as it was when opened, or std::nullopt when it cannot be opened or
// read, is not a regular file, or is larger than `maxBytes`. `path` is the file system's bytes
// (UTF-8 on Windows).
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         uint64_t maxBytes = kMaxTextViewBytes);

}  // namespace kestrel::preview
