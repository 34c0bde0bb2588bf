// The AutoLISP tokenizer over whole files, line by line with the range carried, as the text
// view highlights them: decoded as the view loads a file, and over the raw bytes too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "FuzzCheck.h"
#include "base/TextCodec.h"
#include "preview/core/AutoLispSyn.h"
#include "preview/core/TextDecode.h"

using namespace kestrel;
using namespace kestrel::preview;

namespace {

void ScanWholeText(std::string_view text) {
  const bool utf8 = IsValidUtf8(text);
  LispLineScanner scanner;
  TRangeState range = rsUnKnown;
  size_t lineStart = 0;
  for (;;) {
    size_t lineEnd = text.find_first_of("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);

    // The scanner as the editor drives it, and the run function the lexer uses: the same runs.
    Check(scanner.GetRange() == range);
    scanner.SetLine(line);
    std::vector<std::tuple<size_t, size_t, TtkTokenKind>> runs;
    size_t expected = 0;
    for (size_t tokens = 0;; ++tokens) {
      Check(tokens <= line.size() + 1);  // every token takes at least one byte
      Check(scanner.GetTokenPos() == expected);
      const size_t length = scanner.GetTokenLength();
      Check(length > 0 && scanner.GetToken().size() <= length);
      // A token never starts inside a character.
      if (utf8 && expected < line.size())
        Check((static_cast<unsigned char>(line[expected]) & 0xC0) != 0x80);
      expected += length;
      if (scanner.GetEol()) break;
      runs.emplace_back(scanner.GetTokenPos(), length, scanner.GetTokenID());
      scanner.Next();
    }
    Check(expected == line.size() + 1);
    std::vector<std::tuple<size_t, size_t, TtkTokenKind>> viaRuns;
    range = HighlightLispLine(line, range, [&](size_t start, size_t length, TtkTokenKind kind) {
      viaRuns.emplace_back(start, length, kind);
    });
    Check(runs == viaRuns && range == scanner.GetRange());

    if (lineEnd == text.size()) break;
    lineStart =
        lineEnd +
        ((text[lineEnd] == '\r' && lineEnd + 1 < text.size() && text[lineEnd + 1] == '\n') ? 2 : 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const std::optional<TDecodedText> decoded = DecodeForTextView(bytes))
    ScanWholeText(decoded->text);
  ScanWholeText(bytes);
  return 0;
}
