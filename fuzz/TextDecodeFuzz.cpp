// The first bytes' sniff of the text view and the decoders of file contents: the lenient ones
// always give UTF-8, the strict ones agree with them, the owned-buffer path with the copying
// one, and what is encoded decodes back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "base/TextCodec.h"
#include "preview/core/FileHead.h"
#include "preview/core/TextDecode.h"

using namespace kestrel;
using namespace kestrel::preview;

namespace {

bool Same(const std::optional<TDecodedText>& a, const std::optional<TDecodedText>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || (a->text == b->text && a->attempt == b->attempt && a->bom == b->bom);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const THeadSniff head = SniffHeadBytes(bytes);
  Check(IsValidUtf8(head.head) && head.head.size() <= 31 * 3);
  Check(size >= 32 || (!head.binary && head.head.empty()));

  const std::optional<TDecodedText> view = DecodeForTextView(bytes);
  Check(Same(view, DecodeOwnedForTextView(std::string(bytes))));
  Check(!view || IsValidUtf8(view->text));
  Check(view || DetectBom(bytes).encoding);

  for (TextEncoding fallback : {TextEncoding::Ansi, TextEncoding::Utf8}) {
    TextEncoding used;
    const std::string text = DecodeText(bytes, fallback, &used);
    Check(IsValidUtf8(text));
  }
  const std::string lenient = AnsiToUtf8(bytes);
  Check(IsValidUtf8(lenient));
  if (const std::optional<std::string> strict = AnsiToUtf8Strict(bytes)) {
    Check(*strict == lenient);
    // Text that came from the code page goes back to it.
    Check(Utf8ToAnsi(*strict).has_value());
  }
  for (bool bigEndian : {false, true}) {
    if (const std::optional<std::string> strict = Utf16ToUtf8Strict(bytes, bigEndian))
      Check(IsValidUtf8(*strict));
  }

  if (IsValidUtf8(bytes)) {
    for (TextEncoding encoding :
         {TextEncoding::Ansi, TextEncoding::Utf8, TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
      TextEncoding used;
      const std::string encoded = EncodeText(bytes, encoding, true, &used);
      // A mark at the start of the text itself would be taken for the file's.
      Check(DecodeText(encoded, used) == bytes);
    }
    if (const std::optional<std::string> ansi = Utf8ToAnsiUnambiguous(bytes))
      Check(IsAscii(*ansi) || !IsValidUtf8(*ansi));
  }
  return 0;
}
